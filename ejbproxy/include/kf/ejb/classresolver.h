#pragma once
// What the type mapping and the class description parser need from the run they belong to.

#include <string>

namespace kf::ejb {

struct JavaClassProxy;

class ClassResolver {
public:
    virtual ~ClassResolver() = default;
    // The record for the class, generating it first when needed; nullptr when it cannot be.
    virtual JavaClassProxy* FindOrGenerate(const std::string& javaName) = 0;
    // Appends a text, unchanged, to the run's error list.
    virtual void AddError(std::string text) = 0;
};

} // namespace kf::ejb
