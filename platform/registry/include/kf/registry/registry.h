#pragma once
// Read access to registry string values: the real registry on Windows, a .reg export
// file elsewhere.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kf::registry {

enum class Hive { LocalMachine, CurrentUser };

class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    virtual bool KeyExists(Hive hive, std::string_view keyPath) const = 0;
    // The string value, or nullopt when the key or value is missing, the value is not a
    // string, or it does not fit (with its terminating zero) in bufferSize bytes.
    virtual std::optional<std::string> ReadString(Hive hive, std::string_view keyPath,
                                                  std::string_view valueName,
                                                  std::size_t bufferSize) const = 0;
};

// Windows: the registry. Elsewhere: the .reg file named by KF_REGISTRY_FILE, or an
// empty registry when the variable is not set or the file cannot be read.
std::unique_ptr<RegistryReader> OpenSystemRegistry();

} // namespace kf::registry
