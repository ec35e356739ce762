#include "kf/soap/aliasscanner.h"

#include "kf/soap/text.h"

namespace kf::soap {
namespace {

bool IsPunctuation(char16_t c) {
    return c == u'(' || c == u')' || c == u',' || c == u'[' || c == u']' || c == u'=';
}

} // namespace

AliasToken AliasScanner::Next() {
    while (pos_ < text_.size() && IsSpace(text_[pos_]))
        ++pos_;
    if (pos_ == text_.size())
        throw SoapScannerException{};
    const char16_t c = text_[pos_];
    AliasToken token;
    if (IsPunctuation(c)) {
        ++pos_;
        token.text = std::u16string(1, c);
        switch (c) {
        case u'(':
            token.kind = AliasTokenKind::LeftParen;
            break;
        case u')':
            token.kind = AliasTokenKind::RightParen;
            break;
        case u',':
            token.kind = AliasTokenKind::Comma;
            break;
        case u'[':
            token.kind = AliasTokenKind::LeftBracket;
            break;
        case u']':
            token.kind = AliasTokenKind::RightBracket;
            break;
        default:
            token.kind = AliasTokenKind::Equals;
            break;
        }
        return token;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && !IsPunctuation(text_[pos_]))
        ++pos_;
    token.text = text_.substr(start, pos_ - start);
    token.kind = AliasTokenKind::Word;
    if (token.text == u"ElementName") {
        token.kind = AliasTokenKind::ElementName;
    } else if (token.text == u"SoapElementName") {
        token.kind = AliasTokenKind::SoapElementName;
    } else if (!fieldList_) {
        if (token.text == u"in")
            token.kind = AliasTokenKind::In;
        if (token.text == u"out")
            token.kind = AliasTokenKind::Out;
        if (token.text == u"return")
            token.kind = AliasTokenKind::Return;
    }
    return token;
}

} // namespace kf::soap
