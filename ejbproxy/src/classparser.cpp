// Tokenizer and recursive reader for prepared class descriptions.

#include "kf/ejb/classparser.h"

#include <algorithm>
#include <array>
#include <optional>

#include "kf/ejb/classresolver.h"
#include "kf/ejb/javaclassproxy.h"
#include "kf/ejb/typemap.h"

namespace kf::ejb {
namespace {

struct Keyword {
    std::string_view text;
    TokenKind kind;
};

constexpr std::array kKeywords = {
    Keyword{"(", TokenKind::OpenParen},
    Keyword{")", TokenKind::CloseParen},
    Keyword{"[", TokenKind::OpenBracket},
    Keyword{"]", TokenKind::CloseBracket},
    Keyword{"{", TokenKind::OpenBrace},
    Keyword{"}", TokenKind::CloseBrace},
    Keyword{",", TokenKind::Comma},
    Keyword{";", TokenKind::Semicolon},
    Keyword{"/*", TokenKind::CommentOpen},
    Keyword{"*/", TokenKind::CommentClose},
    Keyword{"public", TokenKind::Public},
    Keyword{"static", TokenKind::Static},
    Keyword{"synchronized", TokenKind::Synchronized},
    Keyword{"native", TokenKind::Native},
    Keyword{"final", TokenKind::Final},
    Keyword{"class", TokenKind::Class},
    Keyword{"abstract", TokenKind::Abstract},
    Keyword{"interface", TokenKind::Interface},
    Keyword{"implements", TokenKind::Implements},
    Keyword{"extends", TokenKind::Extends},
    Keyword{"throws", TokenKind::Throws},
};

bool IsWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsSeparator(char c) {
    return c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}' || c == ',' ||
           c == ';';
}

TokenKind KindOf(std::string_view text) {
    for (const Keyword& k : kKeywords) {
        if (k.text == text) return k.kind;
    }
    return TokenKind::Word;
}

bool IsModifier(TokenKind kind) {
    return kind == TokenKind::Public || kind == TokenKind::Static ||
           kind == TokenKind::Synchronized || kind == TokenKind::Native ||
           kind == TokenKind::Final || kind == TokenKind::Abstract;
}

// Reads one class. Every method returns false when the class fails; the message is
// already in the error list by then.
class Reader {
public:
    Reader(JavaClassProxy& cls, std::string_view text, ClassResolver& resolver,
           std::vector<ProxyMember>& members)
        : cls_(cls), tokens_(text), resolver_(resolver), members_(members) {}

    bool ReadClass() {
        if (!SkipTo([](const Token& t) { return t.kind == TokenKind::Public; })) return false;
        if (!SkipTo([](const Token& t) { return t.kind == TokenKind::Word; })) return false;
        if (current_.text != cls_.javaName) {
            resolver_.AddError("Bad Java class name: " + current_.text);
            return false;
        }
        if (!ReadHead()) return false;
        for (;;) {
            bool listEnded = false;
            if (!ReadMember(listEnded)) return false;
            if (listEnded || current_.kind == TokenKind::CloseBrace) return true;
        }
    }

private:
    void Advance() { current_ = tokens_.Next(); }

    bool AtEnd() {
        if (current_.kind != TokenKind::EndOfText) return false;
        resolver_.AddError("Unexpected end of the description of " + cls_.javaName);
        return true;
    }

    // Reads tokens until one satisfies the test; it becomes current.
    template <typename Test> bool SkipTo(Test test) {
        for (;;) {
            Advance();
            if (AtEnd()) return false;
            if (test(current_)) return true;
        }
    }

    std::optional<MappedType> MapCurrent() {
        if (AtEnd()) return std::nullopt;
        return MapJavaType(current_.text, resolver_);
    }

    bool ReadHead() {
        for (;;) {
            Advance();
            switch (current_.kind) {
            case TokenKind::Extends: {
                Advance();
                auto mapped = MapCurrent();
                if (!mapped) return false;
                const std::string& t = mapped->scriptType;
                cls_.ancestor = (t == "any" || t == "datetime" || t == "string")
                                    ? std::string("nonvisualobject")
                                    : t;
                break;
            }
            case TokenKind::Implements:
            case TokenKind::Comma: {
                Advance();
                auto mapped = MapCurrent();
                if (!mapped) return false;
                if (cls_.ancestor.empty()) cls_.ancestor = mapped->scriptType;
                break;
            }
            case TokenKind::CommentOpen:
                if (!SkipTo([](const Token& t) { return t.kind == TokenKind::CommentClose; }))
                    return false;
                break;
            case TokenKind::OpenBrace:
                if (cls_.ancestor.empty()) cls_.ancestor = "nonvisualobject";
                return true;
            case TokenKind::EndOfText:
                return !AtEnd();
            default:
                resolver_.AddError("Bad Java Description : " + current_.text);
                return false;
            }
        }
    }

    // Consumes "[" "]" pairs starting at a current "["; counts them.
    int ConsumeBracketPairs() {
        int pairs = 0;
        while (current_.kind == TokenKind::OpenBracket) {
            ++pairs;
            Advance();
            if (current_.kind != TokenKind::CloseBracket) break;
            Advance();
        }
        return pairs;
    }

    bool ReadMember(bool& listEnded) {
        Advance();
        if (AtEnd()) return false;
        if (current_.kind == TokenKind::CloseBrace) {
            listEnded = true;
            return true;
        }
        while (IsModifier(current_.kind)) Advance();

        if (current_.kind == TokenKind::Class || current_.kind == TokenKind::Interface) {
            Advance();
            if (current_.kind == TokenKind::Word) resolver_.FindOrGenerate(current_.text);
            if (current_.kind != TokenKind::CloseBrace &&
                !SkipTo([](const Token& t) { return t.kind == TokenKind::CloseBrace; }))
                return false;
            listEnded = true;
            return true;
        }

        ProxyMember member;
        auto declared = MapCurrent();
        if (!declared) return false;

        Advance();
        if (AtEnd()) return false;
        if (current_.kind == TokenKind::OpenParen) {
            member.kind = ProxyMember::Kind::Constructor;
            member.javaName = declared->scriptType;
        } else {
            member.javaName = current_.text;
            member.type = declared->scriptType;
            member.simple = declared->simple;
            Advance();
            if (AtEnd()) return false;
            if (current_.kind == TokenKind::Semicolon) {
                member.kind = ProxyMember::Kind::Field;
            } else if (current_.kind == TokenKind::OpenBracket) {
                member.kind = ProxyMember::Kind::ArrayField;
                ConsumeBracketPairs();
                // The token after the last "]" (normally ";") is taken without a test.
                if (AtEnd()) return false;
            } else {
                member.kind = ProxyMember::Kind::Method;
            }
        }

        if (member.kind == ProxyMember::Kind::Method ||
            member.kind == ProxyMember::Kind::Constructor) {
            if (!ReadParameters(member) || !ReadMethodTail(member)) return false;
        }

        ReadSignature(member);
        if (AtEnd()) return false;
        members_.push_back(std::move(member));
        return true;
    }

    bool ReadParameters(ProxyMember& member) {
        for (;;) {
            if (current_.kind == TokenKind::CloseParen) return true;
            Advance();
            if (AtEnd()) return false;
            if (current_.kind == TokenKind::CloseParen) return true;
            auto mapped = MapCurrent();
            if (!mapped) return false;
            Advance();
            int pairs = ConsumeBracketPairs();
            member.parameters.push_back({mapped->scriptType, std::min(pairs, 2)});
            if (AtEnd()) return false;
        }
    }

    bool ReadMethodTail(ProxyMember& member) {
        Advance();
        while (current_.kind != TokenKind::Semicolon) {
            if (AtEnd()) return false;
            if (current_.kind == TokenKind::OpenBracket) {
                member.arrayResult = true;
                ConsumeBracketPairs();
            } else if (current_.kind == TokenKind::Throws) {
                if (!ReadExceptions(member)) return false;
            } else {
                resolver_.AddError("Error");
                return false;
            }
        }
        return true;
    }

    bool ReadExceptions(ProxyMember& member) {
        for (;;) {
            Advance();
            if (AtEnd()) return false;
            if (current_.kind != TokenKind::Word) {
                resolver_.AddError("Bad exception type");
                return false;
            }
            auto mapped = MapCurrent();
            if (!mapped) return false;
            member.exceptions.push_back(mapped->scriptType);
            Advance();
            if (current_.kind == TokenKind::Semicolon) return true;
            if (AtEnd()) return false;
        }
    }

    // Current token is the member's ";".
    void ReadSignature(ProxyMember& member) {
        Advance();
        if (current_.kind != TokenKind::CommentOpen) return;
        for (;;) {
            Advance();
            if (current_.kind == TokenKind::CommentClose || current_.kind == TokenKind::EndOfText)
                return;
            member.signature += current_.text;
        }
    }

    JavaClassProxy& cls_;
    DescriptionTokenizer tokens_;
    ClassResolver& resolver_;
    std::vector<ProxyMember>& members_;
    Token current_;
};

} // namespace

Token DescriptionTokenizer::Next() {
    while (pos_ < text_.size() && IsWhitespace(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return {};
    std::size_t start = pos_;
    if (IsSeparator(text_[pos_])) {
        ++pos_;
    } else {
        while (pos_ < text_.size() && !IsWhitespace(text_[pos_]) && !IsSeparator(text_[pos_]))
            ++pos_;
    }
    std::string_view text = text_.substr(start, pos_ - start);
    return Token{KindOf(text), std::string(text)};
}

bool ReadClassDescription(JavaClassProxy& cls, std::string_view preparedText,
                          ClassResolver& resolver, std::vector<ProxyMember>& members) {
    return Reader(cls, preparedText, resolver, members).ReadClass();
}

} // namespace kf::ejb
