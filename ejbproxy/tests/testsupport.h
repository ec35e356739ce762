#pragma once
// Small helpers shared by the generator's tests.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "kf/ejb/classreader.h"
#include "kf/ejb/classresolver.h"
#include "kf/ejb/javaclassproxy.h"

namespace kf::ejb::test {

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::filesystem::path DataDir() { return KF_TEST_DATA_DIR; }

// A fresh directory that is the working directory for the object's lifetime.
class ScopedWorkingDirectory {
public:
    ScopedWorkingDirectory() : previous_(std::filesystem::current_path()) {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("kf-ejb-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~ScopedWorkingDirectory() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

    // Names of the files in the directory, sorted.
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.insert(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// Hands out a record for every class, named after its simple name, except for the
// names it is told to fail; remembers what was asked for.
class RecordingResolver : public ClassResolver {
public:
    std::set<std::string> failing;
    std::vector<std::string> requested;
    std::vector<std::string> errors;

    JavaClassProxy* FindOrGenerate(const std::string& javaName) override {
        requested.push_back(javaName);
        if (failing.contains(javaName)) {
            errors.push_back("Can't get information of " + javaName);
            return nullptr;
        }
        auto& cls = records_[javaName];
        cls.javaName = javaName;
        auto dot = javaName.rfind('.');
        cls.proxyName = dot == std::string::npos ? javaName : javaName.substr(dot + 1);
        return &cls;
    }
    void AddError(std::string text) override { errors.push_back(std::move(text)); }

private:
    std::map<std::string, JavaClassProxy> records_;
};

// Describes classes from texts held in memory; unknown classes fail like javap does.
class FakeJavap : public JavapRunner {
public:
    std::map<std::string, std::string> classes;
    std::vector<std::string> described;

    JavapOutcome Describe(const std::string& javaName) override {
        described.push_back(javaName);
        auto it = classes.find(javaName);
        if (it == classes.end())
            return {false, "", "Error: class not found: " + javaName + "\n"};
        return {true, it->second, ""};
    }
};

// A classic-format description of a class with no members.
inline std::string EmptyClass(const std::string& name, const std::string& head = "") {
    return "Compiled from \"X.java\"\npublic class " + name + " " + head + "{\n}\n";
}

} // namespace kf::ejb::test
