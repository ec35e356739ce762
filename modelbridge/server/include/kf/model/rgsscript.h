// Registration scripts in the component registrar script format:
//
//   HKCR { NoRemove CLSID { ForceRemove {guid} = s 'Name' { val ThreadingModel = s 'x' } } }
//
// Roots HKCR, HKCU, HKLM, HKU (or their long names); keys optionally marked NoRemove or
// ForceRemove, named by a bare word or a quoted text ('' stands for a quote), optionally
// with a default value and a block of subkeys and `val` entries. Values are `s` (text)
// or `d` (double word, decimal or 0x hex, bare or quoted). %NAME% in a text or name is
// replaced from the replacement map (%% is a percent sign); an unknown name is an error.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kf::model {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

struct RegistryValue {
    enum class Type { String, Dword };
    Type type = Type::String;
    std::u16string text;      // Type::String
    std::uint32_t number = 0; // Type::Dword
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

enum class KeyMode { Plain, NoRemove, ForceRemove };

struct ScriptKey {
    std::u16string name;
    KeyMode mode = KeyMode::Plain;
    std::optional<RegistryValue> defaultValue;
    std::vector<std::pair<std::u16string, RegistryValue>> values; // `val` entries
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    RegistryRoot root;
    std::vector<ScriptKey> keys;
};

struct Script {
    std::vector<ScriptRoot> roots;
};

// Replacement map: variable name (without the percent signs) to its text.
using Replacements = std::map<std::u16string, std::u16string>;

struct ParseResult {
    std::optional<Script> script; // empty on error
    std::string error;            // what went wrong and where (line number)
};

ParseResult ParseScript(std::u16string_view text, const Replacements& replacements);

} // namespace kf::model
