#include "kf/soap/text.h"

#include "kf/rt/utf16.h"

namespace kf::soap {

std::u16string Lower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool IsBlank(std::u16string_view text) {
    for (char16_t c : text) {
        if (!IsSpace(c))
            return false;
    }
    return true;
}

std::u16string FromAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::string ToUtf8(std::u16string_view text) {
    // Names, namespaces and most values are ASCII: one pass without the general encoder.
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0x80)
            return rt::Utf16ToUtf8(text);
        out[i] = static_cast<char>(text[i]);
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    if (auto converted = rt::Utf8ToUtf16(text))
        return *converted;
    // Malformed bytes in a message must not hide the rest of it.
    std::u16string out;
    for (unsigned char c : text)
        out += c < 0x80 ? char16_t(c) : u'\xFFFD';
    return out;
}

} // namespace kf::soap
