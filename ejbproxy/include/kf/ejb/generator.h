#pragma once
// One generation run: the ProxyGenerator and FindOrGenerate.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kf/ejb/classresolver.h"
#include "kf/ejb/javaclassproxy.h"
#include "kf/ejb/settings.h"
#include "kf/ejb/typemap.h"

namespace kf::ejb {

class JavapRunner;

inline constexpr const char* kFixedClasses[] = {
    "java.util.Collections",
    "java.util.Vector",
    "javax.naming.NoInitialContextException",
    "java.lang.ClassNotFoundException",
    "javax.ejb.DuplicateKeyException",
    "javax.ejb.ObjectNotFoundException",
};

class ProxyGenerator final : public ClassResolver {
public:
    ProxyGenerator(GeneratorSettings settings, std::string prefix, JavapRunner& javap);

    // Generates the home interface (default: remote + "Home"), the remote interface and
    // the fixed classes, then writes the result files. True when both interfaces were generated.
    bool Run(const std::string& remoteInterface, const std::optional<std::string>& homeInterface);

    JavaClassProxy* FindOrGenerate(const std::string& javaName) override;
    void AddError(std::string text) override;

    const std::string& Prefix() const { return prefix_; }
    const GeneratorSettings& Settings() const { return settings_; }
    const std::vector<std::unique_ptr<JavaClassProxy>>& Generated() const { return generated_; }
    const std::vector<std::string>& Errors() const { return errors_; }

private:
    bool GenerateClass(JavaClassProxy& cls);

    GeneratorSettings settings_;
    std::string prefix_;
    JavapRunner& javap_;
    std::vector<std::unique_ptr<JavaClassProxy>> generated_;
    std::vector<JavaClassProxy*> inProgress_;
    ProxyNameRegistry names_;
    std::vector<std::string> errors_;
};

struct RunRequest {
    std::optional<std::string> classPathList;
    std::string prefix;
    std::string remoteInterface;
    std::optional<std::string> homeInterface;
};

// A whole run as both front ends perform it: settings from the registry and the
// environment, the javap runner, the generation and the result files.
bool GenerateEjbProxies(const RunRequest& request);

} // namespace kf::ejb
