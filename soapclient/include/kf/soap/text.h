// Small UTF-16 text helpers shared by the extension's files.
#pragma once

#include <string>
#include <string_view>

namespace kf::soap {

// ASCII letters only: names of classes, fields and keys are ASCII, and the result must
// not depend on the process locale.
std::u16string Lower(std::u16string_view text);
bool IsBlank(std::u16string_view text);
bool IsSpace(char16_t c);
std::u16string FromAscii(std::string_view text);
// UTF-8 for the SOAP library; UTF-16 back, with U+FFFD for malformed input.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

} // namespace kf::soap
