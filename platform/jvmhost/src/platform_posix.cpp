#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "kf/jvmhost/vmsetup.h"
#include "platform.h"

namespace kf::jvmhost {
namespace {

// The JDK that `java` on the search path belongs to (bin/java -> its home).
std::optional<std::string> JavaHomeFromPath() {
    const auto path = EnvironmentVariable("PATH");
    if (!path)
        return std::nullopt;
    std::istringstream in(*path);
    for (std::string dir; std::getline(in, dir, ':');) {
        if (dir.empty())
            continue;
        std::error_code ec;
        const auto java = std::filesystem::path(dir) / "java";
        if (::access(java.c_str(), X_OK) != 0)
            continue;
        const auto real = std::filesystem::canonical(java, ec);
        if (ec)
            continue;
        return real.parent_path().parent_path().string();
    }
    return std::nullopt;
}

std::optional<JvmEntryPoints> Load() {
    std::vector<std::string> candidates;
    if (const auto home = EnvironmentVariable("JAVA_HOME"); home && !home->empty()) {
        candidates = JvmLibraryCandidates(*home);
    }
    if (const auto home = JavaHomeFromPath()) {
        for (auto& c : JvmLibraryCandidates(*home))
            candidates.push_back(c);
    }
    for (auto& c : JvmLibraryCandidates("/usr/lib/jvm/default-java"))
        candidates.push_back(c);
    candidates.push_back("libjvm.so");
    for (const auto& c : candidates) {
        if (c.find('/') != std::string::npos && ::access(c.c_str(), R_OK) != 0)
            continue;
        void* lib = ::dlopen(c.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (lib == nullptr)
            continue;
        JvmEntryPoints e;
        e.create = reinterpret_cast<CreateJavaVMProc>(::dlsym(lib, "JNI_CreateJavaVM"));
        e.getCreated =
            reinterpret_cast<GetCreatedJavaVMsProc>(::dlsym(lib, "JNI_GetCreatedJavaVMs"));
        if (e.create != nullptr && e.getCreated != nullptr)
            return e;
        ::dlclose(lib);
    }
    return std::nullopt;
}

} // namespace

std::optional<JvmEntryPoints> LoadJvmLibrary() {
    static const std::optional<JvmEntryPoints> loaded = Load();
    return loaded;
}

std::string OwnFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || !info.dli_fname) {
        return ".";
    }
    return std::filesystem::absolute(info.dli_fname).parent_path().string();
}

std::optional<std::string> EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

} // namespace kf::jvmhost
