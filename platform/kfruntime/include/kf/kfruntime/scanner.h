// Tokens of one line of script text: export sources, class descriptions and kfrun scripts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kf::rt {

enum class TokenKind {
  Name,      // letters, digits, _ $ # % -; starting with a letter, _ $ # or %
  Integer,   // [-]digits
  Number,    // [-]digits.digits
  Float,     // with an exponent
  String,    // quoted, ~ escapes resolved
  Date,      // yyyy-mm-dd
  Time,      // hh:mm:ss[.fff]
  DateTime,  // a date, a blank and a time
  Blob,      // 0x and hex digits, two per byte
  Punct,     // any other single character
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::u16string text;  // the name, the digits, the string's content or the character
  std::size_t offset = 0;  // where the token starts in the line
  bool Is(TokenKind k, std::u16string_view t) const;
  bool IsPunct(char16_t c) const { return kind == TokenKind::Punct && text.size() == 1 && text[0] == c; }
  bool IsWord(std::u16string_view lowerWord) const;  // a name equal to it, ignoring case
};

// Splits a line into tokens; "//" starts a comment. Throws Error(file, line, ...) for an
// unterminated string.
std::vector<Token> ScanLine(std::u16string_view line, const std::string& file, int lineNumber);

// Splits text into lines at LF, CR LF or a lone CR.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

}  // namespace kf::rt
