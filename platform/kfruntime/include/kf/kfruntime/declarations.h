// Pieces of declarations shared by export sources, class descriptions and scripts.
#pragma once

#include <string>
#include <vector>

#include "kf/kfruntime/classes.h"
#include "kf/kfruntime/scanner.h"

namespace kf::rt {

// Reads tokens of one line and throws Error(file, line, ...) for anything unexpected.
class LineReader {
 public:
  LineReader(std::vector<Token> tokens, const std::string& file, int line)
      : tokens_(std::move(tokens)), file_(file), line_(line) {}

  const Token& Peek(std::size_t ahead = 0) const;
  const Token& Next();
  bool AtEnd() const { return Peek().kind == TokenKind::End; }
  bool TakeWord(std::u16string_view lowerWord);
  bool TakePunct(char16_t c);
  void ExpectWord(std::u16string_view lowerWord);
  void ExpectPunct(char16_t c);
  void ExpectEnd();
  std::u16string ExpectName(const char* what);
  [[noreturn]] void Fail(const std::string& message) const;
  [[noreturn]] void Unexpected(const char* expected) const;

  // TYPE: a built-in type name or a class name.
  TypeSpec ReadType();
  // [ ] or [ n {, n} ] or [ a to b {, ...} ] after a name; leaves `type` alone otherwise.
  void ReadDimensions(TypeSpec& type);
  // function T name(params) / subroutine name(params), then [throws T {, T}] and
  // [alias for "text"].
  FunctionDef ReadPrototype();

  const std::string& file() const { return file_; }
  int line() const { return line_; }

 private:
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  std::string file_;
  int line_;
};

std::string Describe(const Token& token);

}  // namespace kf::rt
