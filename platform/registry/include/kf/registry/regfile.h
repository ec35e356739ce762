#pragma once
// A read-only registry loaded from a file in the Windows .reg export format
// ("Windows Registry Editor Version 5.00" in UTF-16 or UTF-8, or "REGEDIT4").

#include <map>
#include <string>
#include <string_view>

#include "kf/registry/registry.h"

namespace kf::registry {

class RegFileRegistry final : public RegistryReader {
public:
    // Parses the file's bytes; lines it does not understand are skipped.
    static RegFileRegistry Parse(std::string_view bytes);

    bool KeyExists(Hive hive, std::string_view keyPath) const override;
    std::optional<std::string> ReadString(Hive hive, std::string_view keyPath,
                                          std::string_view valueName,
                                          std::size_t bufferSize) const override;

private:
    struct Key {
        // Value names in lower case -> string data; non-string values are not kept.
        std::map<std::string, std::string> strings;
    };
    // "<hive>\<path>" in lower case, without trailing backslashes.
    std::map<std::string, Key> keys_;
};

} // namespace kf::registry
