// Member names and file names compare ignoring letter case, as IDispatch and the Windows
// file system do (so "Filename" and "FileName" are one member).
#pragma once

#include <string>
#include <string_view>

namespace kf::model {

char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view s);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

} // namespace kf::model
