// Tokens of alias texts (and of structure field lists).
#pragma once

#include <string>
#include <string_view>

namespace kf::soap {

// Raised when a token is read and only white space (or nothing) is left.
struct SoapScannerException {};

enum class AliasTokenKind {
    LeftParen,
    RightParen,
    Comma,
    LeftBracket,
    RightBracket,
    Equals,
    In,
    Out,
    Return,
    ElementName,
    SoapElementName,
    Word,
};

struct AliasToken {
    AliasTokenKind kind = AliasTokenKind::Word;
    std::u16string text;
};

class AliasScanner {
public:
    // fieldList: only "ElementName" and "SoapElementName" are keywords.
    explicit AliasScanner(std::u16string_view text, bool fieldList = false)
        : text_(text), fieldList_(fieldList) {}

    AliasToken Next();

private:
    std::u16string_view text_;
    std::size_t pos_ = 0;
    bool fieldList_;
};

} // namespace kf::soap
