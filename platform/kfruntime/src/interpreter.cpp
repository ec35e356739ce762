#include "kf/kfruntime/interpreter.h"

#include "kf/kfruntime/convert.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {
namespace {

std::string ExprText(const Expr& e) {
  switch (e.kind) {
    case Expr::Kind::Literal: return Narrow(e.literal.text);
    case Expr::Kind::Variable: return Narrow(e.name);
    case Expr::Kind::Field: return ExprText(*e.base) + "." + Narrow(e.name);
    case Expr::Kind::Call: return ExprText(*e.base) + "." + Narrow(e.name) + "()";
    case Expr::Kind::Index: {
      std::string out = ExprText(*e.base) + "[";
      for (std::size_t i = 0; i < e.args.size(); ++i)
        out += (i ? ", " : "") + ExprText(*e.args[i]);
      return out + "]";
    }
    case Expr::Kind::Create: return "create " + Narrow(e.name);
  }
  return "?";
}

}  // namespace

Interpreter::~Interpreter() { scopes_.clear(); }

void Interpreter::Fail(int line, const std::string& message) const {
  throw Error(file_, line, message);
}

std::string Interpreter::Describe(const TypeSpec& t) const {
  std::string base = t.type == ValueType::Object ? Narrow(t.className) : TypeName(t.type);
  return t.isArray ? base + "[]" : base;
}

std::string Interpreter::DescribeValue(const Value& v) const {
  if (v.isArray) return "an array of " + TypeName(v.type);
  if (v.type == ValueType::Object) {
    const auto* o = std::get_if<ObjectRef>(&v.data);
    if (v.null || o == nullptr || !*o) return "a null object";
    return "an object of class " + Narrow((*o)->cls->name);
  }
  if (v.null) return "a null value";
  return "a " + TypeName(v.type) + " value";
}

void Interpreter::Run(const Script& script) {
  file_ = script.file;
  scopes_.clear();
  scopes_.emplace_back();
  try {
    Execute(script.statements);
  } catch (const Thrown& t) {
    std::string text;
    FieldId id = rt_.GetFieldId(t.exception->cls->handle, u"text");
    if (id != kNoField && id < t.exception->fields.size()) {
      const Value& v = t.exception->fields[id];
      if (const auto* s = std::get_if<std::u16string>(&v.data); s && !v.null) text = Narrow(*s);
    }
    std::string name = Narrow(t.exception->cls->name);
    scopes_.clear();
    throw UncaughtException(file_, t.line, name, text);
  }
  scopes_.clear();
}

void Interpreter::Execute(const std::vector<StmtPtr>& statements) {
  for (const auto& s : statements) Execute(*s);
}

Interpreter::Variable* Interpreter::Find(const std::u16string& name) {
  std::u16string key = Lower(name);
  for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope)
    if (auto it = scope->find(key); it != scope->end()) return it->second.get();
  return nullptr;
}

TypeSpec Interpreter::ResolveType(const std::u16string& typeName, TypeSpec type, int line) {
  if (type.type == ValueType::Object) {
    const ClassDef* cls = rt_.FindClass(type.className);
    if (cls == nullptr) Fail(line, "unknown type " + Narrow(typeName));
    type.className = Lower(cls->name);
  }
  return type;
}

void Interpreter::Execute(const Stmt& s) {
  // Restores the scope stack however a block is left.
  struct ScopeGuard {
    std::vector<std::map<std::u16string, std::unique_ptr<Variable>>>& scopes;
    explicit ScopeGuard(decltype(scopes) s) : scopes(s) { scopes.emplace_back(); }
    ~ScopeGuard() { scopes.pop_back(); }
  };
  switch (s.kind) {
    case Stmt::Kind::Declare: Declare(s); return;
    case Stmt::Kind::Assign: {
      Value v = Evaluate(*s.value);
      Place p = Locate(*s.target, true);
      Assign(p, std::move(v), s.line);
      return;
    }
    case Stmt::Kind::Evaluate: Call(*s.value); return;
    case Stmt::Kind::Print: {
      std::string line;
      for (std::size_t i = 0; i < s.items.size(); ++i) {
        if (i != 0) line += ' ';
        line += FormatValue(Evaluate(*s.items[i]));
      }
      out_ << line << '\n';
      return;
    }
    case Stmt::Kind::Destroy: {
      Value v = Evaluate(*s.target);
      if (v.type != ValueType::Object || v.isArray)
        Fail(s.line, ExprText(*s.target) + " is not an object");
      if (auto* o = std::get_if<ObjectRef>(&v.data); o && *o) (*o)->Destroy();
      if (s.target->kind != Expr::Kind::Call && s.target->kind != Expr::Kind::Create) {
        Place p = Locate(*s.target, false);
        *p.value = Value::Null(ValueType::Object);
      }
      return;
    }
    case Stmt::Kind::Try: {
      try {
        ScopeGuard guard(scopes_);
        Execute(s.body);
      } catch (const Thrown& t) {
        for (const auto& c : s.catches) {
          const ClassDef* cls = rt_.FindClass(c.className);
          if (cls == nullptr) Fail(c.line, "unknown class " + Narrow(c.className));
          if (!cls->IsA(u"exception"))
            Fail(c.line, Narrow(c.className) + " is not an exception class");
          if (!t.exception->cls->IsA(*cls)) continue;
          ScopeGuard guard(scopes_);
          auto var = std::make_unique<Variable>();
          var->type = TypeSpec::Class(Lower(cls->name));
          var->value = Value::Of(ValueType::Object, t.exception);
          scopes_.back()[Lower(c.variable)] = std::move(var);
          Execute(c.body);
          return;
        }
        throw;
      }
      return;
    }
  }
}

void Interpreter::Declare(const Stmt& s) {
  for (const auto& d : s.declarators) {
    TypeSpec type = ResolveType(s.typeName, d.type, s.line);
    std::optional<Value> init;
    if (d.init) init = Evaluate(*d.init);
    std::u16string key = Lower(d.name);
    if (scopes_.back().count(key) != 0) Fail(s.line, Narrow(d.name) + " is already declared");
    auto var = std::make_unique<Variable>();
    var->type = type;
    var->value = DefaultValue(type);
    Variable* raw = var.get();
    scopes_.back()[key] = std::move(var);
    if (init) {
      Place p{&raw->value, raw->type, {}, d.name};
      Assign(p, std::move(*init), s.line);
    }
  }
}

void Interpreter::Assign(Place& p, Value v, int line) {
  std::optional<Value> stored;
  if (p.type.isArray || p.type.type == ValueType::Object || v.isArray) {
    if (rt_.Accepts(p.type, v)) stored = std::move(v);
  } else {
    stored = ConvertScalar(v, p.type);
  }
  if (!stored)
    Fail(line, "cannot assign " + DescribeValue(v) + " to " + Narrow(p.what) + " (" +
                   Describe(p.type) + ")");
  if (rt_.Store(*p.value, p.type, std::move(*stored)) != Status::Ok)
    Fail(line, "cannot assign to " + Narrow(p.what));
}

Interpreter::Place Interpreter::Locate(const Expr& e, bool forWrite) {
  switch (e.kind) {
    case Expr::Kind::Variable: {
      Variable* var = Find(e.name);
      if (var == nullptr) Fail(e.line, "undeclared variable " + Narrow(e.name));
      return Place{&var->value, var->type, {}, e.name};
    }
    case Expr::Kind::Field: {
      ObjectRef o = ObjectFrom(*e.base);
      const auto& fields = o->cls->fields;
      for (std::size_t i = 0; i < fields.size(); ++i)
        if (EqualsNoCase(fields[i].name, e.name))
          return Place{&o->fields[i], fields[i].type, o, Widen(ExprText(e))};
      Fail(e.line, "class " + Narrow(o->cls->name) + " has no variable " + Narrow(e.name));
    }
    case Expr::Kind::Index: {
      std::vector<std::int32_t> index;
      for (const auto& a : e.args) {
        Value v = Evaluate(*a);
        auto n = ConvertScalar(v, TypeSpec::Scalar(ValueType::Long));
        if (!n || n->null) Fail(e.line, "array index " + ExprText(*a) + " is not a whole number");
        index.push_back(std::get<std::int32_t>(n->data));
      }
      Place base = Locate(*e.base, forWrite);
      const auto* ref = std::get_if<ArrayRef>(&base.value->data);
      if (!base.value->isArray || base.value->null || ref == nullptr || !*ref)
        Fail(e.line, ExprText(*e.base) + " is not an array");
      ArrayRef a = *ref;
      if (index.size() != a->Dimensions())
        Fail(e.line, ExprText(*e.base) + " has " + std::to_string(a->Dimensions()) +
                         " dimension(s), not " + std::to_string(index.size()) + " index(es)");
      auto offset = a->Offset(index.data(), forWrite);
      if (!offset) {
        std::string range;
        if (a->bounded) {
          for (std::size_t i = 0; i < a->bounds.size(); ++i)
            range += (i ? ", " : "") + std::to_string(a->bounds[i].lower) + " to " +
                     std::to_string(a->bounds[i].upper);
        } else {
          range = "1 to " + std::to_string(a->items.size());
        }
        Fail(e.line, "index out of bounds: " + ExprText(e) + " (bounds " + range + ")");
      }
      return Place{&a->items[*offset], TypeSpec{a->itemType, a->itemClass, false, {}}, a,
                   Widen(ExprText(e))};
    }
    default: Fail(e.line, ExprText(e) + " is not a variable");
  }
}

ObjectRef Interpreter::ObjectFrom(const Expr& e) {
  Value v = Evaluate(e);
  if (v.type != ValueType::Object || v.isArray) Fail(e.line, ExprText(e) + " is not an object");
  const auto* o = std::get_if<ObjectRef>(&v.data);
  if (v.null || o == nullptr || !*o || (*o)->destroyed)
    Fail(e.line, "null object reference: " + ExprText(e));
  return *o;
}

Value Interpreter::Evaluate(const Expr& e) {
  switch (e.kind) {
    case Expr::Kind::Literal: {
      auto v = LiteralValue(e.literal);
      if (!v) Fail(e.line, "invalid value " + Narrow(e.literal.text));
      return *v;
    }
    case Expr::Kind::Create: {
      const ClassDef* cls = rt_.FindClass(e.name);
      if (cls == nullptr) Fail(e.line, "unknown class " + Narrow(e.name));
      std::string error;
      ObjectRef o = rt_.NewObject(*cls, false, &error);
      if (!o) Fail(e.line, error);
      return Value::Of(ValueType::Object, o);
    }
    case Expr::Kind::Call: {
      Value v = Call(e);
      if (v.type == ValueType::None) Fail(e.line, ExprText(e) + " returns no value");
      return v;
    }
    default: return *Locate(e, false).value;
  }
}

Value Interpreter::Call(const Expr& e) {
  ObjectRef o = ObjectFrom(*e.base);
  const ClassDef& cls = *o->cls;
  const std::string fname = Narrow(e.name) + " of class " + Narrow(cls.name);
  std::vector<MethodId> named;
  for (MethodId i = 0; i < cls.methods.size(); ++i)
    if (EqualsNoCase(cls.Function(cls.methods[i]).name, e.name)) named.push_back(i);
  if (named.empty()) Fail(e.line, "unknown function " + fname);
  MethodId id = kNoMethod;
  std::string counts;
  for (MethodId i : named) {
    std::size_t n = cls.Function(cls.methods[i]).params.size();
    if (n == e.args.size()) {
      id = i;
      break;
    }
    counts += (counts.empty() ? "" : " or ") + std::to_string(n);
  }
  if (id == kNoMethod)
    Fail(e.line, "function " + fname + " takes " + counts + " argument(s), not " +
                     std::to_string(e.args.size()));
  const FunctionDef& f = cls.Function(cls.methods[id]);

  Frame frame(rt_);
  for (std::size_t i = 0; i < f.params.size(); ++i) {
    const ParamDef& p = f.params[i];
    const Expr& a = *e.args[i];
    const std::string which = "argument " + std::to_string(i + 1) + " of " + Narrow(f.name);
    if (p.byRef) {
      if (a.kind != Expr::Kind::Variable && a.kind != Expr::Kind::Field)
        Fail(e.line, which + " is passed by reference: give a variable or a field");
      Place place = Locate(a, true);
      bool fits = (p.type.type == ValueType::Any && !p.type.isArray) ||
                  place.type.type == ValueType::Any ||
                  (place.type.isArray == p.type.isArray &&
                   (p.type.type == ValueType::Any || place.type.type == p.type.type));
      if (fits && place.type.type == ValueType::Object && p.type.type == ValueType::Object) {
        const ClassDef* placeClass = rt_.FindClass(place.type.className);
        fits = placeClass != nullptr && placeClass->IsA(p.type.className);
      }
      if (!fits)
        Fail(e.line, which + " must be a " + Describe(p.type) + " variable, not " +
                         Describe(place.type) + " " + ExprText(a));
      frame.AddReference(place.value, place.type, place.keepAlive);
    } else {
      Value v = Evaluate(a);
      std::optional<Value> passed;
      if (p.type.isArray || p.type.type == ValueType::Object || v.isArray) {
        if (rt_.Accepts(p.type, v)) passed = std::move(v);
        if (passed && passed->isArray && !passed->null)
          passed->data = CopyArray(*std::get<ArrayRef>(passed->data));
      } else {
        passed = ConvertScalar(v, p.type);
      }
      if (!passed)
        Fail(e.line, which + " must be " + Describe(p.type) + ", not " + DescribeValue(v));
      frame.AddValue(p.type, std::move(*passed), p.readOnly);
    }
  }
  frame.SetResultType(f.result);
  Status status = rt_.Invoke(o, id, frame);
  if (status != Status::Ok) Fail(e.line, "cannot call " + fname);
  if (ObjectRef thrown = rt_.TakePendingException()) throw Thrown{thrown, e.line};
  return frame.Result();
}

}  // namespace kf::rt
