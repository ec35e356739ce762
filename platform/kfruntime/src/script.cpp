#include "kf/kfruntime/script.h"

#include "kf/kfruntime/declarations.h"
#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {
namespace {

constexpr std::u16string_view kKeywords[] = {u"create", u"destroy", u"print", u"try",
                                             u"catch",  u"end",     u"true",  u"false"};

bool IsKeyword(const Token& t) {
  for (auto k : kKeywords)
    if (t.IsWord(k)) return true;
  return false;
}

bool IsLiteral(const Token& t) {
  switch (t.kind) {
    case TokenKind::Integer:
    case TokenKind::Number:
    case TokenKind::Float:
    case TokenKind::String:
    case TokenKind::Date:
    case TokenKind::Time:
    case TokenKind::DateTime:
    case TokenKind::Blob: return true;
    case TokenKind::Name: return t.IsWord(u"true") || t.IsWord(u"false");
    default: return false;
  }
}

// Deep nesting of expressions or try blocks is refused rather than recursed into.
constexpr int kMaxNesting = 100;

class Parser {
 public:
  Parser(std::u16string_view text, const std::string& file)
      : file_(file), lines_(SplitLines(text)) {}

  std::vector<StmtPtr> Block(bool inTry, int depth) {
    std::vector<StmtPtr> out;
    while (index_ < lines_.size()) {
      const int n = int(index_) + 1;
      LineReader r(ScanLine(lines_[index_], file_, n), file_, n);
      if (r.AtEnd()) {
        ++index_;
        continue;
      }
      if (r.Peek().IsWord(u"catch") || r.Peek().IsWord(u"end")) {
        if (inTry) return out;  // the try statement reads it
        r.Fail("'" + Narrow(r.Peek().text) + "' without 'try'");
      }
      ++index_;
      out.push_back(Statement(r, depth));
    }
    return out;
  }

 private:
  StmtPtr Statement(LineReader& r, int depth) {
    auto s = std::make_unique<Stmt>();
    s->line = r.line();
    const Token& first = r.Peek();
    if (first.IsWord(u"try")) {
      r.Next();
      r.ExpectEnd();
      Try(*s, depth + 1);
      return s;
    }
    if (first.IsWord(u"print")) {
      r.Next();
      s->kind = Stmt::Kind::Print;
      do s->items.push_back(Expression(r, 0));
      while (r.TakePunct(u','));
      r.ExpectEnd();
      return s;
    }
    if (first.IsWord(u"destroy")) {
      r.Next();
      s->kind = Stmt::Kind::Destroy;
      s->target = Expression(r, 0);
      r.ExpectEnd();
      return s;
    }
    if (first.kind == TokenKind::Name && r.Peek(1).kind == TokenKind::Name && !IsKeyword(first)) {
      s->kind = Stmt::Kind::Declare;
      s->typeName = first.text;
      TypeSpec base = r.ReadType();
      do {
        Declarator d;
        if (IsKeyword(r.Peek())) r.Fail("'" + Narrow(r.Peek().text) + "' is a reserved word");
        d.name = r.ExpectName("a variable name");
        d.type = base;
        r.ReadDimensions(d.type);
        if (r.TakePunct(u'=')) d.init = Expression(r, 0);
        s->declarators.push_back(std::move(d));
      } while (r.TakePunct(u','));
      r.ExpectEnd();
      return s;
    }
    ExprPtr e = Expression(r, 0);
    if (r.TakePunct(u'=')) {
      if (e->kind != Expr::Kind::Variable && e->kind != Expr::Kind::Index &&
          e->kind != Expr::Kind::Field)
        r.Fail("only a variable, a field or an array item can be assigned to");
      s->kind = Stmt::Kind::Assign;
      s->target = std::move(e);
      s->value = Expression(r, 0);
    } else if (e->kind == Expr::Kind::Call) {
      s->kind = Stmt::Kind::Evaluate;
      s->value = std::move(e);
    } else {
      r.Unexpected("'=' or a function call");
    }
    r.ExpectEnd();
    return s;
  }

  void Try(Stmt& s, int depth) {
    if (depth > kMaxNesting) throw Error(file_, s.line, "try blocks are nested too deeply");
    s.kind = Stmt::Kind::Try;
    s.body = Block(true, depth);
    for (;;) {
      if (index_ >= lines_.size()) throw Error(file_, s.line, "'try' without 'end try'");
      const int n = int(index_) + 1;
      LineReader r(ScanLine(lines_[index_], file_, n), file_, n);
      ++index_;
      if (r.TakeWord(u"end")) {
        r.ExpectWord(u"try");
        r.ExpectEnd();
        if (s.catches.empty()) throw Error(file_, s.line, "'try' without 'catch'");
        return;
      }
      r.ExpectWord(u"catch");
      CatchClause c;
      c.line = n;
      r.ExpectPunct(u'(');
      c.className = r.ExpectName("an exception class name");
      c.variable = r.ExpectName("a variable name");
      r.ExpectPunct(u')');
      r.ExpectEnd();
      c.body = Block(true, depth);
      s.catches.push_back(std::move(c));
    }
  }

  ExprPtr Expression(LineReader& r, int depth) {
    if (depth > kMaxNesting) r.Fail("expression is nested too deeply");
    auto e = std::make_unique<Expr>();
    e->line = r.line();
    const Token& t = r.Peek();
    if (IsLiteral(t)) {
      e->kind = Expr::Kind::Literal;
      e->literal = r.Next();
      return e;
    }
    if (t.IsWord(u"create")) {
      r.Next();
      e->kind = Expr::Kind::Create;
      e->name = r.ExpectName("a class name");
      return e;
    }
    if (t.kind != TokenKind::Name || IsKeyword(t)) r.Unexpected("a value");
    e->kind = Expr::Kind::Variable;
    e->name = r.Next().text;
    for (;;) {
      if (r.TakePunct(u'[')) {
        auto index = std::make_unique<Expr>();
        index->kind = Expr::Kind::Index;
        index->line = r.line();
        index->base = std::move(e);
        do index->args.push_back(Expression(r, depth + 1));
        while (r.TakePunct(u','));
        r.ExpectPunct(u']');
        e = std::move(index);
      } else if (r.TakePunct(u'.')) {
        auto member = std::make_unique<Expr>();
        member->line = r.line();
        member->name = r.ExpectName("a field or function name");
        member->base = std::move(e);
        member->kind = Expr::Kind::Field;
        if (r.TakePunct(u'(')) {
          member->kind = Expr::Kind::Call;
          if (!r.TakePunct(u')')) {
            do member->args.push_back(Expression(r, depth + 1));
            while (r.TakePunct(u','));
            r.ExpectPunct(u')');
          }
        }
        e = std::move(member);
      } else {
        return e;
      }
      if (++depth > kMaxNesting) r.Fail("expression is nested too deeply");
    }
  }

  std::string file_;
  std::vector<std::u16string_view> lines_;
  std::size_t index_ = 0;
};

}  // namespace

Script ParseScript(std::u16string_view text, const std::string& file) {
  Parser parser(text, file);
  Script script;
  script.file = file;
  script.statements = parser.Block(false, 0);
  return script;
}

}  // namespace kf::rt
