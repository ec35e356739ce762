// Structure member names that the script language reserves: generated structures carry
// such members as "ws_" followed by the name.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kf::soap {

// The 124 words, lower case.
std::span<const std::u16string_view> SoapReservedWords();
bool IsSoapReservedWord(std::u16string_view lowerName);
// The script field name for a field list name: "ws_" for reserved words, lower case.
std::u16string ScriptFieldName(std::u16string_view fieldName);

} // namespace kf::soap
