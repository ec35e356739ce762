// Away from Windows the registry is a .reg file named by KF_REGISTRY_FILE.

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "kf/registry/regfile.h"

namespace kf::registry {

std::unique_ptr<RegistryReader> OpenSystemRegistry() {
    std::string bytes;
    if (const char* path = std::getenv("KF_REGISTRY_FILE"); path != nullptr && *path != '\0') {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return std::make_unique<RegFileRegistry>(RegFileRegistry::Parse(bytes));
}

} // namespace kf::registry
