#include <windows.h>

#include <cstdlib>

#include "kf/jvmhost/vmsetup.h"
#include "platform.h"

namespace kf::jvmhost {
namespace {

std::optional<std::string> RegistryText(HKEY root, const std::string& key, const char* value) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return std::nullopt;
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof(buffer) - 1;
    DWORD type = 0;
    const LONG rc =
        RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    buffer[size < sizeof(buffer) ? size : sizeof(buffer) - 1] = '\0';
    return std::string(buffer);
}

// JavaSoft keys of the installed JDKs and JREs: <key>\CurrentVersion names the subkey that
// holds JavaHome.
std::vector<std::string> RegistryJavaHomes() {
    std::vector<std::string> homes;
    for (const char* key : {"SOFTWARE\\JavaSoft\\JDK", "SOFTWARE\\JavaSoft\\JRE",
                            "SOFTWARE\\JavaSoft\\Java Development Kit",
                            "SOFTWARE\\JavaSoft\\Java Runtime Environment"}) {
        const auto version = RegistryText(HKEY_LOCAL_MACHINE, key, "CurrentVersion");
        if (!version)
            continue;
        const auto home =
            RegistryText(HKEY_LOCAL_MACHINE, std::string(key) + "\\" + *version, "JavaHome");
        if (home)
            homes.push_back(*home);
    }
    return homes;
}

std::optional<JvmEntryPoints> Load() {
    std::vector<std::string> candidates;
    if (const auto home = EnvironmentVariable("JAVA_HOME"); home && !home->empty()) {
        candidates = JvmLibraryCandidates(*home);
    }
    for (const auto& home : RegistryJavaHomes()) {
        for (auto& c : JvmLibraryCandidates(home))
            candidates.push_back(c);
    }
    for (const auto& c : candidates) {
        if (GetFileAttributesA(c.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        HMODULE lib = LoadLibraryA(c.c_str());
        if (lib == nullptr)
            continue;
        JvmEntryPoints e;
        e.create = reinterpret_cast<CreateJavaVMProc>(
            reinterpret_cast<void*>(GetProcAddress(lib, "JNI_CreateJavaVM")));
        e.getCreated = reinterpret_cast<GetCreatedJavaVMsProc>(
            reinterpret_cast<void*>(GetProcAddress(lib, "JNI_GetCreatedJavaVMs")));
        if (e.create != nullptr && e.getCreated != nullptr)
            return e;
        FreeLibrary(lib);
    }
    return std::nullopt;
}

} // namespace

std::optional<JvmEntryPoints> LoadJvmLibrary() {
    static const std::optional<JvmEntryPoints> loaded = Load();
    return loaded;
}

std::string OwnFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnFolder), &self)) {
        return ".";
    }
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return ".";
    std::string folder(path, n);
    const auto slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::optional<std::string> EnvironmentVariable(const char* name) {
    char buffer[32768];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    if (n == 0 || n >= sizeof(buffer))
        return std::nullopt;
    return std::string(buffer, n);
}

} // namespace kf::jvmhost
