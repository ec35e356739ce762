#include "kf/kfruntime/exportsource.h"

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "kf/kfruntime/convert.h"
#include "kf/kfruntime/declarations.h"
#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/runtime.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {
namespace {

constexpr std::u16string_view kHeader = u"$KFExportHeader$";
constexpr std::u16string_view kComments = u"$KFExportComments$";

bool IsAccessLabel(const LineReader& r) {
  return r.Peek().kind == TokenKind::Name && r.Peek(1).IsPunct(u':') &&
         r.Peek(2).kind == TokenKind::End;
}

// TYPE name [dims] [= literal] {, name [dims] [= literal]}
void ReadFields(LineReader& r, ClassDef& cls) {
  while (r.TakeWord(u"public") || r.TakeWord(u"protected") || r.TakeWord(u"private") ||
         r.TakeWord(u"privatewrite") || r.TakeWord(u"protectedwrite")) {
  }
  TypeSpec base = r.ReadType();
  do {
    FieldDef f;
    f.line = r.line();
    f.name = r.ExpectName("a variable name");
    f.type = base;
    r.ReadDimensions(f.type);
    if (r.TakePunct(u'=')) {
      if (f.type.isArray || f.type.type == ValueType::Object)
        r.Fail("variable " + Narrow(f.name) + " cannot take an initial value");
      const Token& t = r.Next();
      auto literal = LiteralValue(t);
      std::optional<Value> v = literal ? ConvertScalar(*literal, f.type) : std::nullopt;
      if (!v)
        r.Fail("initial value " + Describe(t) + " does not fit " + TypeName(f.type.type) + " " +
               Narrow(f.name));
      f.initial = *v;
    }
    cls.ownFields.push_back(std::move(f));
  } while (r.TakePunct(u','));
  r.ExpectEnd();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(path, 0, "cannot be read");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

std::unique_ptr<ClassDef> ParseExportSource(std::string_view bytes, const std::string& file) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::u16string text = Widen(bytes);
  std::vector<std::u16string_view> lines = SplitLines(text);
  if (lines.empty() || lines[0].substr(0, kHeader.size()) != kHeader)
    throw Error(file, 1, "the first line must begin with $KFExportHeader$");

  auto cls = std::make_unique<ClassDef>();
  cls->origin = ClassOrigin::Source;
  cls->file = file;
  enum class Block { Top, Type, Variables, Prototypes } block = Block::Top;
  int blockLine = 0;
  bool haveType = false, haveVariables = false, havePrototypes = false;

  for (std::size_t i = 1; i < lines.size(); ++i) {
    const int n = int(i) + 1;
    if (i == 1 && lines[i].substr(0, kComments.size()) == kComments) continue;
    LineReader r(ScanLine(lines[i], file, n), file, n);
    if (r.AtEnd()) continue;
    switch (block) {
      case Block::Top:
        if (r.TakeWord(u"global")) {
          if (haveType) r.Fail("a second 'global type' declaration");
          r.ExpectWord(u"type");
          cls->name = r.ExpectName("a class name");
          cls->line = n;
          r.ExpectWord(u"from");
          cls->ancestorName = r.ExpectName("an ancestor class name");
          r.ExpectEnd();
          haveType = true;
          block = Block::Type;
        } else if (r.TakeWord(u"type")) {
          if (!haveType) r.Fail("'type variables' before 'global type'");
          if (haveVariables) r.Fail("a second 'type variables' block");
          r.ExpectWord(u"variables");
          r.ExpectEnd();
          haveVariables = true;
          block = Block::Variables;
        } else if (r.TakeWord(u"forward")) {
          if (!haveType) r.Fail("'forward prototypes' before 'global type'");
          if (havePrototypes) r.Fail("a second 'forward prototypes' block");
          r.ExpectWord(u"prototypes");
          r.ExpectEnd();
          havePrototypes = true;
          block = Block::Prototypes;
        } else {
          r.Unexpected("'global type', 'type variables' or 'forward prototypes'");
        }
        blockLine = n;
        break;
      case Block::Type:
        if (r.TakeWord(u"end")) {
          r.ExpectWord(u"type");
          r.ExpectEnd();
          block = Block::Top;
        } else {
          ReadFields(r, *cls);
        }
        break;
      case Block::Variables:
        if (r.TakeWord(u"end")) {
          r.ExpectWord(u"variables");
          r.ExpectEnd();
          block = Block::Top;
        } else if (IsAccessLabel(r)) {
        } else if (r.TakeWord(u"indirect")) {
          IndirectDef d;
          d.type = r.ReadType();
          d.name = r.ExpectName("a variable name");
          r.ReadDimensions(d.type);
          if (!r.Peek().IsPunct(u'{')) r.Unexpected("'{'");
          std::u16string_view rest = lines[i].substr(r.Peek().offset + 1);
          auto close = rest.rfind(u'}');
          if (close == std::u16string_view::npos) r.Fail("'{' without '}'");
          LineReader after(ScanLine(rest.substr(close + 1), file, n), file, n);
          after.ExpectEnd();
          std::u16string_view inner = rest.substr(0, close);
          while (!inner.empty() && inner.front() == u' ') inner.remove_prefix(1);
          while (!inner.empty() && inner.back() == u' ') inner.remove_suffix(1);
          d.accessors = inner;
          cls->indirects.push_back(std::move(d));
        } else {
          ReadFields(r, *cls);
        }
        break;
      case Block::Prototypes:
        if (r.TakeWord(u"end")) {
          r.ExpectWord(u"prototypes");
          r.ExpectEnd();
          block = Block::Top;
        } else if (!IsAccessLabel(r)) {
          cls->functions.push_back(r.ReadPrototype());
        }
        break;
    }
  }
  if (block != Block::Top) {
    const char* what = block == Block::Type        ? "'global type' has no 'end type'"
                       : block == Block::Variables ? "'type variables' has no 'end variables'"
                                                   : "'forward prototypes' has no 'end prototypes'";
    throw Error(file, blockLine, what);
  }
  if (!haveType) throw Error(file, int(lines.size()), "no 'global type' declaration");
  return cls;
}

void LoadExportSources(Runtime& runtime, const std::vector<std::string>& files) {
  std::vector<std::unique_ptr<ClassDef>> pending;
  for (const auto& path : files) pending.push_back(ParseExportSource(ReadFile(path), path));
  // Add whatever has its ancestor in place, until nothing moves; what remains names the
  // missing ancestor.
  while (!pending.empty()) {
    bool progress = false;
    for (auto it = pending.begin(); it != pending.end();) {
      if (runtime.FindClass((*it)->ancestorName) != nullptr) {
        runtime.AddClass(std::move(*it));
        it = pending.erase(it);
        progress = true;
      } else {
        ++it;
      }
    }
    if (!progress) runtime.AddClass(std::move(pending.front()));  // throws: unknown ancestor
  }
}

}  // namespace kf::rt
