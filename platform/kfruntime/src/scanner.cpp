#include "kf/kfruntime/scanner.h"

#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool NameStart(char16_t c) { return IsLetter(c) || c == u'_' || c == u'$' || c == u'#' || c == u'%'; }
bool NamePart(char16_t c) { return NameStart(c) || IsDigit(c) || c == u'-'; }
bool IsHexDigit(char16_t c) { return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

// Length of a run of digits at `i`.
std::size_t Digits(std::u16string_view s, std::size_t i) {
  std::size_t n = 0;
  while (i + n < s.size() && IsDigit(s[i + n])) ++n;
  return n;
}

// hh:mm:ss[.f+] at i; its length or 0.
std::size_t TimeAt(std::u16string_view s, std::size_t i) {
  std::size_t h = Digits(s, i);
  if (h < 1 || h > 2 || i + h >= s.size() || s[i + h] != u':') return 0;
  std::size_t j = i + h + 1;
  if (Digits(s, j) != 2 || j + 2 >= s.size() || s[j + 2] != u':') return 0;
  j += 3;
  if (Digits(s, j) != 2) return 0;
  j += 2;
  if (j < s.size() && s[j] == u'.' && Digits(s, j + 1) > 0) j += 1 + Digits(s, j + 1);
  return j - i;
}

// yyyy-mm-dd at i; its length or 0.
std::size_t DateAt(std::u16string_view s, std::size_t i) {
  if (Digits(s, i) != 4 || i + 4 >= s.size() || s[i + 4] != u'-') return 0;
  if (Digits(s, i + 5) != 2 || i + 7 >= s.size() || s[i + 7] != u'-') return 0;
  if (Digits(s, i + 8) != 2) return 0;
  return 10;
}

}  // namespace

bool Token::Is(TokenKind k, std::u16string_view t) const { return kind == k && text == t; }

bool Token::IsWord(std::u16string_view lowerWord) const {
  return kind == TokenKind::Name && EqualsNoCase(text, lowerWord);
}

std::vector<Token> ScanLine(std::u16string_view s, const std::string& file, int lineNumber) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < s.size()) {
    char16_t c = s[i];
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
      ++i;
      continue;
    }
    if (c == u'/' && i + 1 < s.size() && s[i + 1] == u'/') break;
    Token t;
    t.offset = i;
    if (NameStart(c)) {
      std::size_t j = i;
      while (j < s.size() && NamePart(s[j])) ++j;
      t.kind = TokenKind::Name;
      t.text = s.substr(i, j - i);
      i = j;
    } else if (c == u'"' || c == u'\'') {
      std::size_t j = i + 1;
      bool closed = false;
      while (j < s.size()) {
        char16_t d = s[j];
        if (d == c) {
          closed = true;
          ++j;
          break;
        }
        if (d == u'~' && j + 1 < s.size()) {
          char16_t e = s[j + 1];
          t.text += e == u'n' ? u'\n' : e == u't' ? u'\t' : e == u'r' ? u'\r' : e;
          j += 2;
          continue;
        }
        t.text += d;
        ++j;
      }
      if (!closed) throw Error(file, lineNumber, "unterminated string");
      t.kind = TokenKind::String;
      i = j;
    } else if (c == u'0' && i + 1 < s.size() && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
      // Scripts have no other way to make blob test data.
      std::size_t j = i + 2;
      while (j < s.size() && (IsHexDigit(s[j]) || NamePart(s[j]))) ++j;
      t.kind = TokenKind::Blob;
      t.text = s.substr(i, j - i);
      i = j;
    } else if (std::size_t n = DateAt(s, i); n != 0) {
      t.kind = TokenKind::Date;
      t.text = s.substr(i, n);
      i += n;
      if (i + 1 < s.size() && s[i] == u' ')
        if (std::size_t m = TimeAt(s, i + 1); m != 0) {
          t.kind = TokenKind::DateTime;
          t.text = s.substr(t.offset, n + 1 + m);
          i += 1 + m;
        }
    } else if (std::size_t n = TimeAt(s, i); n != 0) {
      t.kind = TokenKind::Time;
      t.text = s.substr(i, n);
      i += n;
    } else if (IsDigit(c) || ((c == u'-' || c == u'.') && i + 1 < s.size() && IsDigit(s[i + 1])) ||
               (c == u'-' && i + 2 < s.size() && s[i + 1] == u'.' && IsDigit(s[i + 2]))) {
      std::size_t j = i;
      if (s[j] == u'-') ++j;
      j += Digits(s, j);
      t.kind = TokenKind::Integer;
      if (j < s.size() && s[j] == u'.') {
        ++j;
        j += Digits(s, j);
        t.kind = TokenKind::Number;
      }
      if (j < s.size() && (s[j] == u'e' || s[j] == u'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == u'+' || s[k] == u'-')) ++k;
        if (Digits(s, k) > 0) {
          j = k + Digits(s, k);
          t.kind = TokenKind::Float;
        }
      }
      t.text = s.substr(i, j - i);
      i = j;
    } else {
      t.kind = TokenKind::Punct;
      t.text = std::u16string(1, c);
      ++i;
    }
    tokens.push_back(std::move(t));
  }
  Token end;
  end.offset = s.size();
  tokens.push_back(end);
  return tokens;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' || text[i] == u'\r') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace kf::rt
