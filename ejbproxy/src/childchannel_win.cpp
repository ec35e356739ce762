// Long-lived children on Windows.

#include "kf/ejb/childchannel.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>

namespace kf::ejb {

std::unique_ptr<ChildChannel> ChildChannel::Start(const std::string&,
                                                  const std::vector<std::string>&) {
    // Not available yet on Windows: runs use one javap process per class.
    return nullptr;
}

std::string ModuleDirectory() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCSTR>(&ModuleDirectory), &module))
        return {};
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string directory(path, length);
    const std::size_t slash = directory.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::string FindOnSearchPath(const std::string& program) {
    char found[MAX_PATH];
    char* filePart = nullptr;
    const DWORD length = ::SearchPathA(nullptr, program.c_str(), nullptr, MAX_PATH, found, &filePart);
    if (length == 0 || length >= MAX_PATH || filePart == nullptr) return {};
    return std::string(found, static_cast<std::size_t>(filePart - found));
}

} // namespace kf::ejb
