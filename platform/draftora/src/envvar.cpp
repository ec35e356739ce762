#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

#include "kf/draftora/tool.h"

namespace kf::draftora {

std::string EnvVar(const char* name) {
#ifdef _WIN32
    // The process's own block: the C runtime's copy is taken when it starts, and test
    // programs name the files just before the DLL loads.
    std::wstring wname(name, name + std::char_traits<char>::length(name));
    wchar_t buffer[4096];
    DWORD n = GetEnvironmentVariableW(wname.c_str(), buffer, 4096);
    if (n == 0 || n >= 4096)
        return {};
    return std::filesystem::path(std::wstring(buffer, n)).string();
#else
    const char* v = std::getenv(name);
    return v ? v : "";
#endif
}

} // namespace kf::draftora
