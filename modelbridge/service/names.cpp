#include "kf/model/names.h"

namespace kf::model {

// ASCII and Latin-1 letters: what member names and the file names here hold.
char16_t FoldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<char16_t>(c + 32);
    return c;
}

std::u16string FoldCase(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out)
        c = FoldCase(c);
    return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

} // namespace kf::model
