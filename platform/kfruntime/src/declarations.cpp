#include "kf/kfruntime/declarations.h"

#include <charconv>

#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {

std::string Describe(const Token& t) {
  switch (t.kind) {
    case TokenKind::End: return "end of line";
    case TokenKind::String: return "string \"" + Narrow(t.text) + "\"";
    default: return "'" + Narrow(t.text) + "'";
  }
}

const Token& LineReader::Peek(std::size_t ahead) const {
  std::size_t i = pos_ + ahead;
  return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token& LineReader::Next() {
  const Token& t = Peek();
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return t;
}

bool LineReader::TakeWord(std::u16string_view w) {
  if (!Peek().IsWord(w)) return false;
  Next();
  return true;
}

bool LineReader::TakePunct(char16_t c) {
  if (!Peek().IsPunct(c)) return false;
  Next();
  return true;
}

void LineReader::Fail(const std::string& message) const { throw Error(file_, line_, message); }

void LineReader::Unexpected(const char* expected) const {
  Fail(std::string("expected ") + expected + ", found " + Describe(Peek()));
}

void LineReader::ExpectWord(std::u16string_view w) {
  if (!TakeWord(w)) Unexpected(("'" + Narrow(w) + "'").c_str());
}

void LineReader::ExpectPunct(char16_t c) {
  if (!TakePunct(c)) Unexpected(("'" + Narrow(std::u16string(1, c)) + "'").c_str());
}

void LineReader::ExpectEnd() {
  if (!AtEnd()) Unexpected("end of line");
}

std::u16string LineReader::ExpectName(const char* what) {
  if (Peek().kind != TokenKind::Name) Unexpected(what);
  return Next().text;
}

TypeSpec LineReader::ReadType() {
  std::u16string name = ExpectName("a type name");
  std::u16string lower = Lower(name);
  if (auto builtin = BuiltinType(lower)) return TypeSpec::Scalar(*builtin);
  return TypeSpec::Class(lower);
}

void LineReader::ReadDimensions(TypeSpec& type) {
  if (!TakePunct(u'[')) return;
  type.isArray = true;
  if (TakePunct(u']')) return;
  auto number = [this]() -> std::int32_t {
    const Token& t = Peek();
    std::int32_t v = 0;
    std::string digits = Narrow(t.text);
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (t.kind != TokenKind::Integer || ec != std::errc() || p != digits.data() + digits.size())
      Unexpected("an array bound");
    Next();
    return v;
  };
  do {
    std::int32_t first = number();
    ArrayBound b{1, first};
    if (TakeWord(u"to")) b = ArrayBound{first, number()};
    type.bounds.push_back(b);
  } while (TakePunct(u','));
  ExpectPunct(u']');
  if (type.bounds.size() > 8 || !BoundedItemCount(type.bounds))
    Fail("array bounds are empty, reversed or too large");
}

FunctionDef LineReader::ReadPrototype() {
  FunctionDef f;
  f.line = line_;
  while (TakeWord(u"public") || TakeWord(u"protected") || TakeWord(u"private")) {
  }
  if (TakeWord(u"function")) {
    f.result = ReadType();
  } else if (!TakeWord(u"subroutine")) {
    Unexpected("'function' or 'subroutine'");
  }
  f.name = ExpectName("a function name");
  ExpectPunct(u'(');
  if (!TakePunct(u')')) {
    do {
      ParamDef p;
      if (TakeWord(u"ref")) p.byRef = true;
      else if (TakeWord(u"readonly")) p.readOnly = true;
      p.type = ReadType();
      p.name = ExpectName("a parameter name");
      if (TakePunct(u'[')) {
        ExpectPunct(u']');
        p.type.isArray = true;
      }
      f.params.push_back(std::move(p));
    } while (TakePunct(u','));
    ExpectPunct(u')');
  }
  if (TakeWord(u"throws")) {
    do f.throws.push_back(ExpectName("an exception class name"));
    while (TakePunct(u','));
  }
  if (TakeWord(u"alias")) {
    ExpectWord(u"for");
    if (Peek().kind != TokenKind::String) Unexpected("the alias text");
    f.alias = Next().text;
  }
  ExpectEnd();
  return f;
}

}  // namespace kf::rt
