// Small text helpers: case folding of script names and narrow <-> UTF-16 for messages.
#pragma once

#include <string>
#include <string_view>

namespace kf::rt {

// Script names are case-insensitive and ASCII; only A-Z are folded.
std::u16string Lower(std::u16string_view text);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// UTF-8 for messages and files; malformed input is replaced, never rejected.
std::string Narrow(std::u16string_view text);
std::u16string Widen(std::string_view text);

}  // namespace kf::rt
