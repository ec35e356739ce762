#pragma once
// Tokenizer and parser for the prepared text of a class description.

#include <string>
#include <string_view>
#include <vector>

namespace kf::ejb {

class ClassResolver;
struct JavaClassProxy;

enum class TokenKind {
    EndOfText,
    Word,
    // separators
    OpenParen, CloseParen, OpenBracket, CloseBracket, OpenBrace, CloseBrace, Comma, Semicolon,
    // comment marks
    CommentOpen, CommentClose,
    // keywords
    Public, Static, Synchronized, Native, Final, Class, Abstract, Interface, Implements, Extends,
    Throws,
};

struct Token {
    TokenKind kind = TokenKind::EndOfText;
    std::string text;
};

class DescriptionTokenizer {
public:
    explicit DescriptionTokenizer(std::string_view text) : text_(text) {}
    Token Next();

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

struct ProxyParameter {
    std::string type;   // script type
    int dimensions = 0; // 0, 1, or 2 meaning "2 and more"
};

struct ProxyMember {
    enum class Kind { Field, ArrayField, Method, Constructor };
    Kind kind = Kind::Field;
    std::string javaName; // for a constructor: its class's proxy name
    std::string type;     // empty for void results and constructors
    bool simple = false;
    bool arrayResult = false;
    std::vector<ProxyParameter> parameters;
    std::vector<std::string> exceptions;
    std::string signature;
};

// Reads one class description. On success sets cls.ancestor and fills members.
// Failure messages go to resolver.AddError.
bool ReadClassDescription(JavaClassProxy& cls, std::string_view preparedText,
                          ClassResolver& resolver, std::vector<ProxyMember>& members);

} // namespace kf::ejb
