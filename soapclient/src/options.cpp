#include "kf/soap/options.h"

#include "kf/soap/text.h"

namespace kf::soap {
namespace {

bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

bool ParseOptions(std::u16string_view text, const std::function<bool(const OptionPair&)>& apply) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipSpace = [&] {
        while (i < n && IsSpace(text[i]))
            ++i;
    };
    for (;;) {
        skipSpace();
        if (i == n)
            return true; // empty text, or only white space after the last comma
        OptionPair pair;
        if (!IsLetter(text[i]) && !IsDigit(text[i]) && text[i] != u'_')
            return false;
        const std::size_t keyStart = i;
        while (i < n && (IsLetter(text[i]) || IsDigit(text[i]) || text[i] == u'_'))
            ++i;
        pair.key = Lower(text.substr(keyStart, i - keyStart));
        skipSpace();
        if (i == n || text[i] != u'=')
            return false;
        ++i;
        skipSpace();
        if (i == n)
            return false;
        const char16_t c = text[i];
        if (c == u'"' || c == u'\'') {
            const std::size_t close = text.find(c, i + 1);
            if (close == std::u16string_view::npos)
                return false;
            pair.kind = OptionPair::Kind::Quoted;
            pair.value = text.substr(i + 1, close - i - 1);
            i = close + 1;
        } else if (IsDigit(c)) {
            const std::size_t start = i;
            while (i < n && IsDigit(text[i]))
                ++i;
            pair.kind = OptionPair::Kind::Number;
            pair.value = text.substr(start, i - start);
        } else if (IsLetter(c)) {
            const std::size_t start = i;
            while (i < n && IsLetter(text[i]))
                ++i;
            pair.kind = OptionPair::Kind::Word;
            pair.value = text.substr(start, i - start);
        } else {
            return false;
        }
        if (!apply(pair))
            return false;
        skipSpace();
        if (i == n)
            return true;
        if (text[i] != u',')
            return false;
        ++i;
        if (i == n)
            return false; // a comma as the very last character
    }
}

} // namespace kf::soap
