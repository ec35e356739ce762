// A generation run: FindOrGenerate and the order of the work.

#include "kf/ejb/generator.h"

#include <algorithm>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

#include "kf/ejb/classparser.h"
#include "kf/ejb/classreader.h"
#include "kf/ejb/proxywriter.h"
#include "kf/ejb/resultfiles.h"
#include "kf/ejb/textfile.h"
#include "kf/registry/registry.h"

namespace kf::ejb {
namespace {

// The process environment itself: on Windows the C runtime's copy misses what a calling
// program set with SetEnvironmentVariable after the library's runtime started.
std::optional<std::string> EnvironmentVariable(const char* name) {
#ifdef _WIN32
    const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::string value(size, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name, value.data(), size);
    if (length >= size || (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND))
        return std::nullopt;
    value.resize(length);
    return value;
#else
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
#endif
}

} // namespace

ProxyGenerator::ProxyGenerator(GeneratorSettings settings, std::string prefix, JavapRunner& javap)
    : settings_(std::move(settings)), prefix_(std::move(prefix)), javap_(javap) {}

void ProxyGenerator::AddError(std::string text) { errors_.push_back(std::move(text)); }

JavaClassProxy* ProxyGenerator::FindOrGenerate(const std::string& javaName) {
    auto sameName = [&](const auto& cls) { return cls->javaName == javaName; };
    if (auto it = std::find_if(generated_.begin(), generated_.end(), sameName);
        it != generated_.end())
        return it->get();
    // A class that refers back to one still being generated gets its record: this ends cycles.
    if (auto it = std::find_if(inProgress_.begin(), inProgress_.end(), sameName);
        it != inProgress_.end())
        return *it;

    auto cls = std::make_unique<JavaClassProxy>();
    cls->javaName = javaName;
    cls->proxyName = names_.MakeProxyName(javaName, prefix_);

    inProgress_.push_back(cls.get());
    const bool generated = GenerateClass(*cls);
    inProgress_.pop_back();
    if (!generated) return nullptr;
    generated_.push_back(std::move(cls));
    return generated_.back().get();
}

bool ProxyGenerator::GenerateClass(JavaClassProxy& cls) {
    JavapOutcome description = javap_.Describe(cls.javaName);
    if (!description.success) {
        AddError(std::move(description.errorText));
        return false;
    }
    std::vector<ProxyMember> members;
    if (!ReadClassDescription(cls, PrepareDescription(std::move(description.output)), *this,
                              members))
        return false;
    // A proxy file that cannot be written is not reported; the class still counts.
    WriteTextModeFile(cls.proxyName + ".srx", ComposeProxyText(cls, members));
    return true;
}

bool ProxyGenerator::Run(const std::string& remoteInterface,
                         const std::optional<std::string>& homeInterface) {
    const std::string home = homeInterface.value_or(remoteInterface + "Home");
    const bool succeeded =
        FindOrGenerate(home) != nullptr && FindOrGenerate(remoteInterface) != nullptr;
    if (succeeded) {
        for (const char* fixed : kFixedClasses) FindOrGenerate(fixed);
        WriteTextModeFile(MappingFileName(remoteInterface),
                          ComposeMappingFile(remoteInterface, generated_));
        WriteTextModeFile(kResultListFileName, ComposeResultList(remoteInterface, generated_));
    }
    if (!errors_.empty()) WriteTextModeFile(kErrorFileName, ComposeErrorFile(errors_));
    return succeeded;
}

bool GenerateEjbProxies(const RunRequest& request) {
    auto registry = kf::registry::OpenSystemRegistry();
    std::optional<std::string> classPathVariable;
    classPathVariable = EnvironmentVariable("CLASSPATH");
    GeneratorSettings settings = GatherSettings(request.classPathList, classPathVariable, *registry);
    auto javap = MakeJavapRunner(settings);
    ProxyGenerator generator(std::move(settings), request.prefix, *javap);
    return generator.Run(request.remoteInterface, request.homeInterface);
}

} // namespace kf::ejb
