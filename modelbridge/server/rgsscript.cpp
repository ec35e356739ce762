#include "kf/model/rgsscript.h"

#include <cctype>

namespace kf::model {
namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

struct Token {
    enum class Kind { End, Open, Close, Equals, Word, Quoted } kind = Kind::End;
    std::u16string text;
    int line = 1;
};

class Parser {
public:
    Parser(std::u16string_view text, const Replacements& replacements)
        : text_(text), replacements_(replacements) {}

    ParseResult Run() {
        Script script;
        Next();
        while (ok_ && token_.kind != Token::Kind::End) {
            ScriptRoot root{};
            if (!ParseRootName(root.root))
                break;
            Next();
            if (!Expect(Token::Kind::Open, "'{' after the root key"))
                break;
            Next();
            ParseBlock(root.keys);
            if (!ok_)
                break;
            script.roots.push_back(std::move(root));
        }
        if (!ok_)
            return {std::nullopt, error_};
        return {std::move(script), {}};
    }

private:
    // Reads the next token into token_; the replacement of %NAME% happens here, inside
    // the token, so that a replaced text can never change the script's structure.
    void Next() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            if (text_[pos_] == u'\n')
                ++line_;
            ++pos_;
        }
        token_ = Token{};
        token_.line = line_;
        if (pos_ >= text_.size())
            return;
        char16_t c = text_[pos_];
        bool braceWord = c == u'{' && pos_ + 1 < text_.size() && !IsSpace(text_[pos_ + 1]) &&
                         text_[pos_ + 1] != u'}' && text_[pos_ + 1] != u'{';
        if (c == u'{' && !braceWord) {
            token_.kind = Token::Kind::Open;
            ++pos_;
        } else if (c == u'}') {
            token_.kind = Token::Kind::Close;
            ++pos_;
        } else if (c == u'=') {
            token_.kind = Token::Kind::Equals;
            ++pos_;
        } else if (c == u'\'') {
            token_.kind = Token::Kind::Quoted;
            ++pos_;
            std::u16string raw;
            for (;;) {
                if (pos_ >= text_.size())
                    return Fail("unterminated quoted text");
                char16_t q = text_[pos_++];
                if (q == u'\'') {
                    if (pos_ < text_.size() && text_[pos_] == u'\'') {
                        raw += u'\'';
                        ++pos_;
                        continue;
                    }
                    break;
                }
                if (q == u'\n')
                    ++line_;
                raw += q;
            }
            token_.text = Replace(raw);
        } else {
            token_.kind = Token::Kind::Word;
            std::u16string raw;
            if (braceWord) {
                while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != u'=') {
                    raw += text_[pos_];
                    if (text_[pos_++] == u'}')
                        break;
                }
            } else {
                while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != u'=' &&
                       text_[pos_] != u'{' && text_[pos_] != u'}' && text_[pos_] != u'\'')
                    raw += text_[pos_++];
            }
            token_.text = Replace(raw);
        }
    }

    std::u16string Replace(const std::u16string& raw) {
        std::u16string out;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != u'%') {
                out += raw[i];
                continue;
            }
            size_t end = raw.find(u'%', i + 1);
            if (end == std::u16string::npos) {
                Fail("unmatched '%'");
                return {};
            }
            std::u16string name = raw.substr(i + 1, end - i - 1);
            if (name.empty()) {
                out += u'%';
            } else {
                auto found = replacements_.find(name);
                if (found == replacements_.end()) {
                    Fail("unknown replacement variable");
                    return {};
                }
                out += found->second;
            }
            i = end;
        }
        return out;
    }

    bool ParseRootName(RegistryRoot& root) {
        if (token_.kind != Token::Kind::Word)
            return Fail("expected a root key"), false;
        struct Name {
            std::u16string_view shortName, longName;
            RegistryRoot root;
        };
        static constexpr Name kRoots[] = {
            {u"HKCR", u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
            {u"HKCU", u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
            {u"HKLM", u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
            {u"HKU", u"HKEY_USERS", RegistryRoot::Users},
        };
        for (const Name& n : kRoots) {
            if (EqualsNoCase(token_.text, n.shortName) || EqualsNoCase(token_.text, n.longName)) {
                root = n.root;
                return true;
            }
        }
        return Fail("unknown root key"), false;
    }

    // Entries up to and including the closing brace of the current block.
    void ParseBlock(std::vector<ScriptKey>& keys, ScriptKey* owner = nullptr) {
        while (ok_) {
            if (token_.kind == Token::Kind::Close) {
                Next();
                return;
            }
            if (token_.kind == Token::Kind::End)
                return Fail("missing '}'");
            if (token_.kind == Token::Kind::Word && EqualsNoCase(token_.text, u"val")) {
                if (!owner)
                    return Fail("'val' outside a key");
                Next();
                std::u16string name;
                if (!ParseName(name))
                    return;
                Next();
                if (!Expect(Token::Kind::Equals, "'=' after the value name"))
                    return;
                Next();
                RegistryValue value;
                if (!ParseValue(value))
                    return;
                owner->values.emplace_back(std::move(name), std::move(value));
                continue;
            }
            ScriptKey key;
            if (token_.kind == Token::Kind::Word && EqualsNoCase(token_.text, u"NoRemove")) {
                key.mode = KeyMode::NoRemove;
                Next();
            } else if (token_.kind == Token::Kind::Word &&
                       EqualsNoCase(token_.text, u"ForceRemove")) {
                key.mode = KeyMode::ForceRemove;
                Next();
            }
            if (!ParseName(key.name))
                return;
            Next();
            if (token_.kind == Token::Kind::Equals) {
                Next();
                RegistryValue value;
                if (!ParseValue(value))
                    return;
                key.defaultValue = std::move(value);
            }
            if (token_.kind == Token::Kind::Open) {
                Next();
                ParseBlock(key.subkeys, &key);
            }
            keys.push_back(std::move(key));
        }
    }

    bool ParseName(std::u16string& name) {
        if (token_.kind != Token::Kind::Word && token_.kind != Token::Kind::Quoted)
            return Fail("expected a key or value name"), false;
        if (token_.kind == Token::Kind::Word && token_.text.empty())
            return Fail("empty name"), false;
        // A backslash would silently address a key below the intended one.
        if (token_.text.find(u'\\') != std::u16string::npos)
            return Fail("'\\' in a key or value name"), false;
        name = token_.text;
        return true;
    }

    // Parses `s 'text'` or `d number`; leaves the token after the value current.
    bool ParseValue(RegistryValue& value) {
        if (token_.kind != Token::Kind::Word)
            return Fail("expected a value type"), false;
        std::u16string type = token_.text;
        Next();
        if (!ok_)
            return false;
        if (token_.kind != Token::Kind::Word && token_.kind != Token::Kind::Quoted)
            return Fail("expected a value"), false;
        if (EqualsNoCase(type, u"s")) {
            value.type = RegistryValue::Type::String;
            value.text = token_.text;
        } else if (EqualsNoCase(type, u"d")) {
            value.type = RegistryValue::Type::Dword;
            if (!ParseNumber(token_.text, value.number))
                return false;
        } else {
            return Fail("unsupported value type"), false;
        }
        Next();
        return ok_;
    }

    bool ParseNumber(std::u16string_view text, std::uint32_t& number) {
        unsigned base = 10;
        if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
            base = 16;
            text.remove_prefix(2);
        }
        if (text.empty())
            return Fail("empty number"), false;
        std::uint64_t n = 0;
        for (char16_t c : text) {
            unsigned digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (base == 16 && Lower(c) >= u'a' && Lower(c) <= u'f')
                digit = Lower(c) - u'a' + 10;
            else
                return Fail("malformed number"), false;
            n = n * base + digit;
            if (n > 0xFFFFFFFFull)
                return Fail("number out of range"), false;
        }
        number = static_cast<std::uint32_t>(n);
        return true;
    }

    bool Expect(Token::Kind kind, const char* what) {
        if (token_.kind != kind)
            return Fail((std::string("expected ") + what).c_str()), false;
        return true;
    }

    void Fail(const char* what) {
        if (!ok_)
            return;
        ok_ = false;
        error_ = "line " + std::to_string(token_.kind == Token::Kind::End ? line_ : token_.line) +
                 ": " + what;
    }

    std::u16string_view text_;
    const Replacements& replacements_;
    size_t pos_ = 0;
    int line_ = 1;
    Token token_;
    bool ok_ = true;
    std::string error_;
};

} // namespace

ParseResult ParseScript(std::u16string_view text, const Replacements& replacements) {
    return Parser(text, replacements).Run();
}

} // namespace kf::model
