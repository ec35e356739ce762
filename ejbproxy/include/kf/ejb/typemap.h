#pragma once
// Java types and names to script types and legal script names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kf::ejb {

class ClassResolver;

struct MappedType {
    std::string scriptType; // empty for void
    bool simple = false;    // came from the simple-type table
};

// Maps a Java type name as printed (fully qualified, no brackets). A class type
// that is in neither table is generated first; nullopt when that fails.
std::optional<MappedType> MapJavaType(const std::string& javaType, ClassResolver& resolver);

// The run's registry of simple class names, handing out "_1", "_2", ... suffixes.
class ProxyNameRegistry {
public:
    // Computes the proxy name of a Java class and registers its key.
    std::string MakeProxyName(const std::string& javaName, const std::string& prefix);

private:
    struct ProxyNameEntry {
        std::string key;
        std::int16_t counter = 1;
    };
    std::vector<ProxyNameEntry> entries_;
};

// Reserved member names get "_j" appended; every other name is returned unchanged.
std::string LegaliseMemberName(const std::string& name);

// ASCII lower-casing, character by character.
std::string ToLowerAscii(std::string_view text);

bool IsReservedClassName(std::string_view lowerCaseName);
bool IsReservedMemberName(std::string_view lowerCaseName);

} // namespace kf::ejb
