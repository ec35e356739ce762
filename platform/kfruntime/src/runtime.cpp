#include "kf/kfruntime/runtime.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "kf/kfruntime/extension.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {
namespace {

// Extension calls may call back into the runtime (CallObjectFunction); this bounds the
// nesting so a handler that calls itself fails instead of exhausting the stack.
constexpr int kMaxCallDepth = 64;

const std::uint8_t kNoBytes[1] = {0};

template <class T>
T Read(const Value& v, ValueType t) {
  if (v.null || v.isArray || v.type != t) return T{};
  const T* p = std::get_if<T>(&v.data);
  return p != nullptr ? *p : T{};
}

}  // namespace

Runtime::Runtime() { AddSystemClasses(); }

Runtime::~Runtime() {
  pending_.reset();
  frames_.clear();
  handles_.clear();
  // Every native part and call handler is told before its library goes away.
  for (auto& weak : objects_)
    if (auto object = weak.lock()) object->Destroy();
  objects_.clear();
  libraries_.clear();
}

void Runtime::AddSystemClasses() {
  auto add = [this](const char16_t* name, const char16_t* ancestor, GroupKind kind) -> ClassDef& {
    auto def = std::make_unique<ClassDef>();
    def->name = name;
    def->ancestorName = ancestor;
    def->origin = ClassOrigin::System;
    def->file = "system";
    return const_cast<ClassDef&>(AddClass(std::move(def), kind));
  };
  add(u"kestrelobject", u"", GroupKind::Exception);
  add(u"nonvisualobject", u"kestrelobject", GroupKind::Exception);
  add(u"structure", u"kestrelobject", GroupKind::Structure);
  auto exception = std::make_unique<ClassDef>();
  exception->name = u"exception";
  exception->ancestorName = u"nonvisualobject";
  exception->origin = ClassOrigin::System;
  exception->file = "system";
  exception->ownFields.push_back(FieldDef{u"text", TypeSpec::Scalar(ValueType::String), {}, 0});
  AddClass(std::move(exception), GroupKind::Exception);
  add(u"runtimeerror", u"exception", GroupKind::Exception);
}

// --- Classes -------------------------------------------------------------------------------

GroupKind Runtime::KindOf(const ClassDef& def) const {
  if (def.ancestor != nullptr && def.ancestor->IsA(u"structure")) return GroupKind::Structure;
  if (def.ancestor != nullptr && def.ancestor->IsA(u"exception")) return GroupKind::Exception;
  return GroupKind::Proxy;
}

const ClassDef& Runtime::AddClass(std::unique_ptr<ClassDef> def, std::optional<GroupKind> kind) {
  std::u16string key = Lower(def->name);
  if (key.empty()) throw Error(def->file, def->line, "class without a name");
  if (classesByName_.count(key) != 0)
    throw Error(def->file, def->line, "class " + Narrow(def->name) + " is already defined");
  if (!def->ancestorName.empty()) {
    def->ancestor = FindClass(def->ancestorName);
    if (def->ancestor == nullptr)
      throw Error(def->file, def->line,
                  "unknown ancestor class " + Narrow(def->ancestorName) + " of " +
                      Narrow(def->name));
  }
  def->fields = def->ancestor != nullptr ? def->ancestor->fields : std::vector<FieldDef>{};
  for (const auto& f : def->ownFields) {
    for (const auto& existing : def->fields)
      if (EqualsNoCase(existing.name, f.name))
        throw Error(def->file, f.line > 0 ? f.line : def->line,
                    "variable " + Narrow(f.name) + " is declared twice in " +
                        Narrow(def->name));
    def->fields.push_back(f);
  }
  def->methods.clear();
  for (std::uint32_t i = 0; i < def->functions.size(); ++i)
    def->methods.push_back({def.get(), i});
  if (def->ancestor != nullptr)
    for (const auto& m : def->ancestor->methods) {
      const FunctionDef& inherited = m.owner->functions[m.index];
      bool overridden = std::any_of(def->functions.begin(), def->functions.end(),
                                    [&](const FunctionDef& f) {
                                      return EqualsNoCase(f.name, inherited.name) &&
                                             f.params.size() == inherited.params.size();
                                    });
      if (!overridden) def->methods.push_back(m);
    }
  def->kind = kind ? *kind : KindOf(*def);
  def->handle = NextHandle();
  def->group = NextHandle();
  ClassDef* raw = def.get();
  classHandles_[raw->handle] = raw;
  groups_[raw->group] = Group{key, raw->kind, {raw}};
  classesByName_[key] = raw;
  classes_.push_back(std::move(def));
  return *raw;
}

const ClassDef* Runtime::FindClass(std::u16string_view name) const {
  auto it = classesByName_.find(Lower(name));
  return it == classesByName_.end() ? nullptr : it->second;
}

const ClassDef* Runtime::ClassOf(ClassHandle cls) const {
  auto it = classHandles_.find(cls);
  return it == classHandles_.end() ? nullptr : it->second;
}

ExtensionLibrary& Runtime::AdoptLibrary(std::unique_ptr<ExtensionLibrary> library) {
  libraries_.push_back(std::move(library));
  return *libraries_.back();
}

// --- Handles -------------------------------------------------------------------------------

Handle Runtime::NextHandle() {
  for (;;) {
    Handle h = next_++;
    if (next_ == 0) {
      next_ = 1;
      wrapped_ = true;
    }
    if (!wrapped_) return h;
    if (h != kNoHandle && !handles_.Contains(h) && classHandles_.count(h) == 0 &&
        groups_.count(h) == 0)
      return h;
  }
}

Handle Runtime::Keep(Entry entry) {
  Handle h = NextHandle();
  handles_.Insert(h, std::move(entry));
  scopes_.back().push_back(h);
  return h;
}

// Texts, blobs and the like end where they are taken out; objects and arrays end once every
// handle is gone, as ending an object may run handlers that call back in.
void Runtime::DropHandles(const std::vector<Handle>& dying) {
  std::vector<Entry> ending;
  for (Handle h : dying) {
    std::optional<Entry> entry = handles_.Take(h);
    if (entry && (std::holds_alternative<ObjectRef>(*entry) ||
                  std::holds_alternative<ArrayRef>(*entry)))
      ending.push_back(std::move(*entry));
  }
}

void Runtime::CloseScope() {
  // Take the list out first: handlers run meanwhile may open and close scopes of their own.
  std::vector<Handle> dying = std::move(scopes_.back());
  scopes_.pop_back();
  DropHandles(dying);
}

void Runtime::ReleaseTemporaries() {
  std::vector<Handle> dying = std::move(scopes_.front());
  scopes_.front().clear();
  DropHandles(dying);
}

std::size_t Runtime::LiveHandleCount() const {
  return handles_.size() + infos_.size() + decimalTexts_.size() + frames_.size();
}

template <class T>
T* Runtime::Resolve(Handle h) const {
  Entry* entry = handles_.Find(h);
  return entry != nullptr ? std::get_if<T>(entry) : nullptr;
}

ObjectRef Runtime::ObjectOf(ObjectHandle object) const {
  auto* ref = Resolve<ObjectRef>(object);
  return ref != nullptr ? *ref : nullptr;
}

ArrayRef Runtime::ArrayOf(ArrayHandle array) const {
  auto* ref = Resolve<ArrayRef>(array);
  return ref != nullptr ? *ref : nullptr;
}

std::optional<Value> Runtime::ValueOf(Handle h, ValueType type) const {
  switch (type) {
    case ValueType::String:
      if (auto* s = Resolve<std::u16string>(h)) return Value::Of(type, *s);
      break;
    case ValueType::Blob:
      if (auto* b = Resolve<Blob>(h)) return Value::Of(type, *b);
      break;
    case ValueType::Date:
      if (auto* d = Resolve<Date>(h)) return Value::Of(type, *d);
      break;
    case ValueType::Time:
      if (auto* t = Resolve<Time>(h)) return Value::Of(type, *t);
      break;
    case ValueType::DateTime:
      if (auto* t = Resolve<DateTime>(h)) return Value::Of(type, *t);
      break;
    case ValueType::Decimal:
      if (auto* d = Resolve<Decimal>(h)) return Value::Of(type, *d);
      break;
    case ValueType::Object:
      if (h == kNoHandle) return Value::Null(ValueType::Object);
      if (auto* o = Resolve<ObjectRef>(h); o && *o && !(*o)->destroyed)
        return Value::Of(type, *o);
      break;
    default:
      if (auto* a = Resolve<ArrayRef>(h); a && *a)
        return Value{(*a)->itemType, true, false, *a};
      break;
  }
  return std::nullopt;
}

Handle Runtime::HandleFor(const Value& v, ValueType type) {
  if (v.null) return kNoHandle;
  if (type == ValueType::None) {  // the array itself
    if (!v.isArray) return kNoHandle;
    const auto* a = std::get_if<ArrayRef>(&v.data);
    return a != nullptr && *a ? Keep(*a) : kNoHandle;
  }
  if (v.isArray || v.type != type) return kNoHandle;
  return std::visit(
      [this](const auto& d) -> Handle {
        using T = std::decay_t<decltype(d)>;
        if constexpr (std::is_same_v<T, std::u16string> || std::is_same_v<T, Blob> ||
                      std::is_same_v<T, Date> || std::is_same_v<T, Time> ||
                      std::is_same_v<T, DateTime> || std::is_same_v<T, Decimal>) {
          return Keep(d);
        } else if constexpr (std::is_same_v<T, ObjectRef>) {
          return d && !d->destroyed ? Keep(d) : kNoHandle;
        } else {
          return kNoHandle;
        }
      },
      v.data);
}

// --- Values --------------------------------------------------------------------------------

bool Runtime::Accepts(const TypeSpec& declared, const Value& v) const {
  if (v.null) return true;
  auto classFits = [&](const std::u16string& itemClass, const std::u16string& wanted) {
    const ClassDef* actual = FindClass(itemClass);
    return actual != nullptr && actual->IsA(wanted);
  };
  if (declared.isArray) {
    if (!v.isArray) return false;
    if (declared.type == ValueType::Any) return true;
    if (v.type != declared.type) return false;
    if (declared.type != ValueType::Object) return true;
    const auto* a = std::get_if<ArrayRef>(&v.data);
    return a != nullptr && *a && classFits((*a)->itemClass, declared.className);
  }
  return AcceptsScalar(declared.type, declared.className, v);
}

bool Runtime::AcceptsScalar(ValueType type, const std::u16string& className,
                            const Value& v) const {
  if (v.null || type == ValueType::Any) return true;
  if (v.isArray || v.type != type) return false;
  if (type != ValueType::Object) return true;
  const auto* o = std::get_if<ObjectRef>(&v.data);
  return o != nullptr && *o && !(*o)->destroyed && (*o)->cls->IsA(className);
}

Status Runtime::Store(Value& target, const TypeSpec& declared, Value v) {
  if (!Accepts(declared, v)) return Status::TypeMismatch;
  if (v.null) {
    target = Value::Null(declared.type == ValueType::Any ? ValueType::Any : declared.type,
                         declared.isArray);
    return Status::Ok;
  }
  if (v.isArray) {
    auto* a = std::get_if<ArrayRef>(&v.data);
    if (a == nullptr || !*a) return Status::TypeMismatch;
    *a = CopyArray(**a);
  }
  target = std::move(v);
  return Status::Ok;
}

// --- Objects -------------------------------------------------------------------------------

void Object::Destroy() {
  if (destroyed) return;
  destroyed = true;
  if (native != nullptr) std::exchange(native, nullptr)->DestroyObject();
  if (handler != nullptr) std::exchange(handler, nullptr)->DestroyObject();
  std::vector<Value> dying = std::move(fields);
  fields.clear();
}

ObjectRef Runtime::NewObject(const ClassDef& cls, bool proxy, std::string* error) {
  auto object = std::make_shared<Object>();
  object->cls = &cls;
  object->proxy = proxy;
  for (const auto& f : cls.fields) object->fields.push_back(f.initial ? *f.initial : DefaultValue(f.type));
  if (const ClassDef* base = cls.NativeBase(); base != nullptr) {
    if (base->extension == nullptr || base->extension->create() == nullptr) {
      if (error) *error = "class " + Narrow(base->name) + " has no extension library";
      return nullptr;
    }
    NativeObject* native = nullptr;
    std::int32_t result = 0;
    {
      Scope scope(*this);
      Handle self = Keep(object);
      try {
        result = base->extension->create()(this, self, base->name.c_str(), &native);
      } catch (...) {
        result = -1;
      }
    }
    if (native == nullptr || result != 0) {
      if (native != nullptr) native->DestroyObject();
      if (error)
        *error = "extension " + base->extension->path() + " did not create an object of class " +
                 Narrow(base->name) + " (result " + std::to_string(result) + ")";
      object->destroyed = true;
      return nullptr;
    }
    object->native = native;
  }
  if (objects_.size() >= 64 && objects_.size() == objects_.capacity())
    std::erase_if(objects_, [](const std::weak_ptr<Object>& w) { return w.expired(); });
  objects_.push_back(object);
  return object;
}

ObjectRef Runtime::NewRuntimeError(const std::u16string& text) {
  const ClassDef* cls = FindClass(u"runtimeerror");
  ObjectRef error = NewObject(*cls, false);
  error->fields.at(0) = Value::Of(ValueType::String, text);
  return error;
}

// --- Calls ---------------------------------------------------------------------------------

Status Runtime::Invoke(const ObjectRef& object, MethodId method, Frame& frame) {
  if (!object || object->destroyed) return Status::NullValue;
  method &= 0xFFFF;
  const ClassDef& cls = *object->cls;
  if (method >= cls.methods.size()) return Status::BadHandle;
  if (depth_ >= kMaxCallDepth) return Status::Failed;
  const auto m = cls.methods[method];
  const FunctionDef& f = cls.Function(m);
  ++depth_;
  Scope scope(*this);
  Handle self = Keep(object);
  std::u16string failure;
  try {
    if (m.owner->origin == ClassOrigin::Native) {
      if (object->native != nullptr)
        object->native->InvokeMethod(this, self, m.index, &frame);
      else
        failure = u"object of class " + cls.name + u" has no native part";
    } else if (f.alias && object->handler != nullptr) {
      object->handler->CallRemote(this, self, f.alias->c_str(), &frame);
    } else if (f.alias) {
      failure = u"function " + f.name + u" of " + cls.name +
                u" is not bound: the proxy object has no call handler";
    } else {
      failure = u"function " + f.name + u" of " + cls.name + u" has no implementation";
    }
  } catch (...) {
    failure = u"function " + f.name + u" of " + cls.name + u" failed in its extension";
  }
  --depth_;
  if (!failure.empty()) pending_ = NewRuntimeError(failure);
  return Status::Ok;
}

ObjectRef Runtime::TakePendingException() { return std::exchange(pending_, nullptr); }

// --- RuntimeContext: classes, methods and calls --------------------------------------------

ClassHandle Runtime::GetClass(ObjectHandle object) {
  ObjectRef o = ObjectOf(object);
  return o ? o->cls->handle : kNoHandle;
}

MethodId Runtime::GetMethodId(ClassHandle cls, const char16_t* name, std::int32_t kind,
                              const char16_t*, bool) {
  const ClassDef* c = ClassOf(cls);
  if (c == nullptr || name == nullptr || kind != 0) return kNoMethod;
  for (std::uint32_t i = 0; i < c->methods.size(); ++i)
    if (EqualsNoCase(c->Function(c->methods[i]).name, name)) return i;
  return kNoMethod;
}

Status Runtime::PrepareCallFrame(ClassHandle cls, MethodId method, CallFrame** out) {
  if (out == nullptr) return Status::Failed;
  *out = nullptr;
  const ClassDef* c = ClassOf(cls);
  method &= 0xFFFF;
  if (c == nullptr || method >= c->methods.size()) return Status::BadHandle;
  const FunctionDef& f = c->Function(c->methods[method]);
  auto frame = std::make_unique<Frame>(*this);
  for (const auto& p : f.params) frame->AddValue(p.type, DefaultValue(p.type), p.readOnly);
  frame->SetResultType(f.result);
  *out = frame.get();
  frames_[frame.get()] = std::move(frame);
  return Status::Ok;
}

void Runtime::ReleaseCallFrame(CallFrame* frame) { frames_.erase(frame); }

Status Runtime::CallObjectFunction(ObjectHandle object, MethodId method, CallFrame* frame) {
  auto it = frames_.find(frame);
  ObjectRef o = ObjectOf(object);
  if (it == frames_.end() || !o) return Status::BadHandle;
  return Invoke(o, method, *it->second);
}

Status Runtime::RaiseScriptException(ObjectHandle exception) {
  ObjectRef o = ObjectOf(exception);
  if (!o) return Status::BadHandle;
  if (!o->cls->IsA(u"exception")) return Status::Failed;
  pending_ = o;
  return Status::Ok;
}

// --- Groups, classes, objects --------------------------------------------------------------

GroupHandle Runtime::LookupGroup(const char16_t* name, GroupKind kind) {
  if (name == nullptr) return kNoHandle;
  std::u16string key = Lower(name);
  for (const auto& [h, g] : groups_)
    if (g.name == key && g.kind == kind) return h;
  return kNoHandle;
}

ClassHandle Runtime::LookupClass(GroupHandle group, const char16_t* name) {
  auto it = groups_.find(group);
  if (it == groups_.end() || name == nullptr) return kNoHandle;
  for (const ClassDef* c : it->second.classes)
    if (EqualsNoCase(c->name, name)) return c->handle;
  return kNoHandle;
}

ObjectHandle Runtime::CreateScriptObject(ClassHandle cls) {
  const ClassDef* c = ClassOf(cls);
  if (c == nullptr) return kNoHandle;
  ObjectRef o = NewObject(*c, false);
  return o ? Keep(o) : kNoHandle;
}

ObjectHandle Runtime::CreateProxyObject(ClassHandle cls) {
  const ClassDef* c = ClassOf(cls);
  if (c == nullptr) return kNoHandle;
  ObjectRef o = NewObject(*c, true);
  return o ? Keep(o) : kNoHandle;
}

Status Runtime::AttachCallHandler(ObjectHandle proxy, RemoteCallHandler* handler) {
  if (handler == nullptr) return Status::Failed;
  ObjectRef o = ObjectOf(proxy);
  if (!o || !o->proxy) {
    // The handler was handed over; ending it here keeps it from leaking.
    handler->DestroyObject();
    return o ? Status::Failed : Status::BadHandle;
  }
  if (o->handler != nullptr && o->handler != handler) o->handler->DestroyObject();
  o->handler = handler;
  return Status::Ok;
}

FieldId Runtime::GetFieldId(ClassHandle cls, const char16_t* name) {
  const ClassDef* c = ClassOf(cls);
  if (c == nullptr || name == nullptr) return kNoField;
  for (std::size_t i = 0; i < c->fields.size() && i < kNoField; ++i)
    if (EqualsNoCase(c->fields[i].name, name)) return FieldId(i);
  return kNoField;
}

// --- Fields --------------------------------------------------------------------------------

Runtime::Slot Runtime::FieldSlot(ObjectHandle object, FieldId field) const {
  ObjectRef o = ObjectOf(object);
  if (!o || o->destroyed || field >= o->fields.size()) return {};
  return {&o->fields[field], o->cls->fields[field].type};
}

ValueType Runtime::GetFieldType(ClassHandle cls, FieldId field) {
  const ClassDef* c = ClassOf(cls);
  if (c == nullptr || field >= c->fields.size()) return ValueType::None;
  return c->fields[field].type.type;
}

bool Runtime::IsFieldNull(ObjectHandle object, FieldId field) {
  Slot s = FieldSlot(object, field);
  return s.value == nullptr || s.value->null;
}

Status Runtime::SetFieldNull(ObjectHandle object, FieldId field) {
  Slot s = FieldSlot(object, field);
  if (s.value == nullptr) return Status::BadHandle;
  return Store(*s.value, s.type, Value::Null(s.type.type, s.type.isArray));
}

bool Runtime::IsFieldArray(ClassHandle cls, FieldId field) {
  const ClassDef* c = ClassOf(cls);
  return c != nullptr && field < c->fields.size() && c->fields[field].type.isArray;
}

bool Runtime::IsFieldObject(ClassHandle cls, FieldId field) {
  const ClassDef* c = ClassOf(cls);
  return c != nullptr && field < c->fields.size() &&
         c->fields[field].type.type == ValueType::Object;
}

template <class T>
T Runtime::ReadField(ObjectHandle o, FieldId f, bool& isNull, ValueType t) {
  Slot s = FieldSlot(o, f);
  isNull = s.value == nullptr || s.value->null;
  return s.value != nullptr ? Read<T>(*s.value, t) : T{};
}

Handle Runtime::ReadFieldHandle(ObjectHandle o, FieldId f, bool& isNull, ValueType t) {
  Slot s = FieldSlot(o, f);
  isNull = s.value == nullptr || s.value->null;
  return s.value != nullptr ? HandleFor(*s.value, t) : kNoHandle;
}

Status Runtime::WriteField(ObjectHandle o, FieldId f, Value v) {
  Slot s = FieldSlot(o, f);
  if (s.value == nullptr) return Status::BadHandle;
  return Store(*s.value, s.type, std::move(v));
}

Status Runtime::WriteFieldHandle(ObjectHandle o, FieldId f, Handle h, ValueType t) {
  auto v = ValueOf(h, t);
  if (!v) return Status::BadHandle;
  return WriteField(o, f, std::move(*v));
}

std::int16_t Runtime::GetIntField(ObjectHandle o, FieldId f, bool& n) { return ReadField<std::int16_t>(o, f, n, ValueType::Int); }
std::int32_t Runtime::GetLongField(ObjectHandle o, FieldId f, bool& n) { return ReadField<std::int32_t>(o, f, n, ValueType::Long); }
float Runtime::GetRealField(ObjectHandle o, FieldId f, bool& n) { return ReadField<float>(o, f, n, ValueType::Real); }
double Runtime::GetDoubleField(ObjectHandle o, FieldId f, bool& n) { return ReadField<double>(o, f, n, ValueType::Double); }
DecimalHandle Runtime::GetDecimalField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::Decimal); }
StringHandle Runtime::GetStringField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::String); }
bool Runtime::GetBooleanField(ObjectHandle o, FieldId f, bool& n) { return ReadField<bool>(o, f, n, ValueType::Boolean); }
std::uint16_t Runtime::GetUIntField(ObjectHandle o, FieldId f, bool& n) { return ReadField<std::uint16_t>(o, f, n, ValueType::UInt); }
std::uint32_t Runtime::GetULongField(ObjectHandle o, FieldId f, bool& n) { return ReadField<std::uint32_t>(o, f, n, ValueType::ULong); }
BlobHandle Runtime::GetBlobField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::Blob); }
DateHandle Runtime::GetDateField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::Date); }
TimeHandle Runtime::GetTimeField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::Time); }
DateTimeHandle Runtime::GetDateTimeField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::DateTime); }
std::int64_t Runtime::GetLongLongField(ObjectHandle o, FieldId f, bool& n) { return ReadField<std::int64_t>(o, f, n, ValueType::LongLong); }
ObjectHandle Runtime::GetObjectField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::Object); }
ArrayHandle Runtime::GetArrayField(ObjectHandle o, FieldId f, bool& n) { return ReadFieldHandle(o, f, n, ValueType::None); }

Status Runtime::SetIntField(ObjectHandle o, FieldId f, std::int16_t v) { return WriteField(o, f, Value::Of(ValueType::Int, v)); }
Status Runtime::SetLongField(ObjectHandle o, FieldId f, std::int32_t v) { return WriteField(o, f, Value::Of(ValueType::Long, v)); }
Status Runtime::SetRealField(ObjectHandle o, FieldId f, float v) { return WriteField(o, f, Value::Of(ValueType::Real, v)); }
Status Runtime::SetDoubleField(ObjectHandle o, FieldId f, double v) { return WriteField(o, f, Value::Of(ValueType::Double, v)); }
Status Runtime::SetDecimalField(ObjectHandle o, FieldId f, DecimalHandle v) { return WriteFieldHandle(o, f, v, ValueType::Decimal); }
Status Runtime::SetStringField(ObjectHandle o, FieldId f, StringHandle v) { return WriteFieldHandle(o, f, v, ValueType::String); }
Status Runtime::SetStringFieldText(ObjectHandle o, FieldId f, const char16_t* text) {
  if (text == nullptr) return Status::NullValue;
  return WriteField(o, f, Value::Of(ValueType::String, std::u16string(text)));
}
Status Runtime::SetBooleanField(ObjectHandle o, FieldId f, bool v) { return WriteField(o, f, Value::Of(ValueType::Boolean, v)); }
Status Runtime::SetUIntField(ObjectHandle o, FieldId f, std::uint16_t v) { return WriteField(o, f, Value::Of(ValueType::UInt, v)); }
Status Runtime::SetULongField(ObjectHandle o, FieldId f, std::uint32_t v) { return WriteField(o, f, Value::Of(ValueType::ULong, v)); }
Status Runtime::SetBlobField(ObjectHandle o, FieldId f, BlobHandle v) { return WriteFieldHandle(o, f, v, ValueType::Blob); }
Status Runtime::SetDateField(ObjectHandle o, FieldId f, DateHandle v) { return WriteFieldHandle(o, f, v, ValueType::Date); }
Status Runtime::SetTimeField(ObjectHandle o, FieldId f, TimeHandle v) { return WriteFieldHandle(o, f, v, ValueType::Time); }
Status Runtime::SetDateTimeField(ObjectHandle o, FieldId f, DateTimeHandle v) { return WriteFieldHandle(o, f, v, ValueType::DateTime); }
Status Runtime::SetLongLongField(ObjectHandle o, FieldId f, std::int64_t v) { return WriteField(o, f, Value::Of(ValueType::LongLong, v)); }
Status Runtime::SetObjectField(ObjectHandle o, FieldId f, ObjectHandle v) { return WriteFieldHandle(o, f, v, ValueType::Object); }
Status Runtime::SetArrayField(ObjectHandle o, FieldId f, ArrayHandle v) { return WriteFieldHandle(o, f, v, ValueType::None); }

// --- Arrays --------------------------------------------------------------------------------

ArrayHandle Runtime::MakeArray(ValueType type, const ClassDef* cls, std::uint32_t dimensions,
                               const ArrayBound* bounds) {
  TypeSpec spec{type, cls != nullptr ? Lower(cls->name) : std::u16string{}, true, {}};
  if (type == ValueType::None || (type == ValueType::Object && cls == nullptr)) return kNoHandle;
  if (bounds != nullptr || dimensions != 0) {
    if (bounds == nullptr || dimensions == 0 || dimensions > 8) return kNoHandle;
    spec.bounds.assign(bounds, bounds + dimensions);
    if (!BoundedItemCount(spec.bounds)) return kNoHandle;
  }
  Value v = DefaultValue(spec);
  return Keep(std::get<ArrayRef>(v.data));
}

ArrayHandle Runtime::NewBoundedArray(ValueType type, std::uint32_t dimensions,
                                     const ArrayBound* bounds) {
  if (type == ValueType::Object || dimensions == 0) return kNoHandle;
  return MakeArray(type, nullptr, dimensions, bounds);
}

ArrayHandle Runtime::NewUnboundedArray(ValueType type) {
  if (type == ValueType::Object) return kNoHandle;
  return MakeArray(type, nullptr, 0, nullptr);
}

ArrayHandle Runtime::NewBoundedObjectArray(ClassHandle cls, std::uint32_t dimensions,
                                           const ArrayBound* bounds) {
  const ClassDef* c = ClassOf(cls);
  if (c == nullptr || dimensions == 0) return kNoHandle;
  return MakeArray(ValueType::Object, c, dimensions, bounds);
}

ArrayHandle Runtime::NewUnboundedObjectArray(ClassHandle cls) {
  const ClassDef* c = ClassOf(cls);
  if (c == nullptr) return kNoHandle;
  return MakeArray(ValueType::Object, c, 0, nullptr);
}

std::uint32_t Runtime::GetArrayLength(ArrayHandle array) {
  ArrayRef a = ArrayOf(array);
  return a ? std::uint32_t(a->items.size()) : 0;
}

ArrayInfo* Runtime::GetArrayInfo(ArrayHandle array) {
  ArrayRef a = ArrayOf(array);
  if (!a) return nullptr;
  auto block = std::make_unique<InfoBlock>();
  block->bounds = a->bounded ? a->bounds
                             : std::vector<ArrayBound>{{1, std::int32_t(a->items.size())}};
  const ClassDef* itemClass = a->itemType == ValueType::Object ? FindClass(a->itemClass) : nullptr;
  block->info = ArrayInfo{a->bounded ? ArrayKind::Bounded : ArrayKind::Unbounded, a->itemType,
                          itemClass != nullptr ? itemClass->handle : kNoHandle,
                          a->Dimensions(), block->bounds.data()};
  ArrayInfo* info = &block->info;
  infos_[info] = std::move(block);
  return info;
}

void Runtime::ReleaseArrayInfo(ArrayInfo* info) { infos_.erase(info); }

Runtime::Slot Runtime::ItemSlot(ArrayHandle array, Index index, bool grow) {
  ArrayRef a = ArrayOf(array);
  if (!a) return {};
  auto offset = a->Offset(index, grow);
  if (!offset) return {};
  return {&a->items[*offset], TypeSpec{a->itemType, a->itemClass, false, {}}};
}

Status Runtime::SetArrayItemNull(ArrayHandle array, Index index) {
  Slot s = ItemSlot(array, index, true);
  if (s.value == nullptr) return ArrayOf(array) ? Status::OutOfBounds : Status::BadHandle;
  *s.value = Value::Null(s.type.type);
  return Status::Ok;
}

template <class T>
T Runtime::ReadItem(ArrayHandle a, Index i, bool& isNull, ValueType t) {
  Slot s = ItemSlot(a, i, false);
  isNull = s.value == nullptr || s.value->null;
  return s.value != nullptr ? Read<T>(*s.value, t) : T{};
}

Handle Runtime::ReadItemHandle(ArrayHandle a, Index i, bool& isNull, ValueType t) {
  Slot s = ItemSlot(a, i, false);
  isNull = s.value == nullptr || s.value->null;
  return s.value != nullptr ? HandleFor(*s.value, t) : kNoHandle;
}

// Item writes come by the million from array marshalling: one lookup, no copies of the type.
Status Runtime::WriteItem(ArrayHandle array, Index index, Value v) {
  const ArrayRef* ref = Resolve<ArrayRef>(array);
  if (ref == nullptr || !*ref) return Status::BadHandle;
  Array& a = **ref;
  // Checked before growing, so a refused write leaves the array as it was.
  if (v.isArray || !AcceptsScalar(a.itemType, a.itemClass, v)) return Status::TypeMismatch;
  const auto offset = a.Offset(index, true);
  if (!offset) return Status::OutOfBounds;
  Value& item = a.items[*offset];
  if (v.null)
    item = Value::Null(a.itemType);
  else
    item = std::move(v);
  return Status::Ok;
}

Status Runtime::WriteItemHandle(ArrayHandle a, Index i, Handle h, ValueType t) {
  auto v = ValueOf(h, t);
  if (!v) return Status::BadHandle;
  return WriteItem(a, i, std::move(*v));
}

std::int16_t Runtime::GetIntArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<std::int16_t>(a, i, n, ValueType::Int); }
std::int32_t Runtime::GetLongArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<std::int32_t>(a, i, n, ValueType::Long); }
float Runtime::GetRealArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<float>(a, i, n, ValueType::Real); }
double Runtime::GetDoubleArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<double>(a, i, n, ValueType::Double); }
DecimalHandle Runtime::GetDecimalArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItemHandle(a, i, n, ValueType::Decimal); }
StringHandle Runtime::GetStringArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItemHandle(a, i, n, ValueType::String); }
bool Runtime::GetBooleanArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<bool>(a, i, n, ValueType::Boolean); }
std::uint16_t Runtime::GetUIntArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<std::uint16_t>(a, i, n, ValueType::UInt); }
std::uint32_t Runtime::GetULongArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<std::uint32_t>(a, i, n, ValueType::ULong); }
BlobHandle Runtime::GetBlobArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItemHandle(a, i, n, ValueType::Blob); }
DateHandle Runtime::GetDateArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItemHandle(a, i, n, ValueType::Date); }
TimeHandle Runtime::GetTimeArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItemHandle(a, i, n, ValueType::Time); }
DateTimeHandle Runtime::GetDateTimeArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItemHandle(a, i, n, ValueType::DateTime); }
std::int64_t Runtime::GetLongLongArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItem<std::int64_t>(a, i, n, ValueType::LongLong); }
ObjectHandle Runtime::GetObjectArrayItem(ArrayHandle a, Index i, bool& n) { return ReadItemHandle(a, i, n, ValueType::Object); }

Status Runtime::SetIntArrayItem(ArrayHandle a, Index i, std::int16_t v) { return WriteItem(a, i, Value::Of(ValueType::Int, v)); }
Status Runtime::SetLongArrayItem(ArrayHandle a, Index i, std::int32_t v) { return WriteItem(a, i, Value::Of(ValueType::Long, v)); }
Status Runtime::SetRealArrayItem(ArrayHandle a, Index i, float v) { return WriteItem(a, i, Value::Of(ValueType::Real, v)); }
Status Runtime::SetDoubleArrayItem(ArrayHandle a, Index i, double v) { return WriteItem(a, i, Value::Of(ValueType::Double, v)); }
Status Runtime::SetDecimalArrayItem(ArrayHandle a, Index i, DecimalHandle v) { return WriteItemHandle(a, i, v, ValueType::Decimal); }
Status Runtime::SetStringArrayItem(ArrayHandle a, Index i, StringHandle v) { return WriteItemHandle(a, i, v, ValueType::String); }
Status Runtime::SetStringArrayItemText(ArrayHandle a, Index i, const char16_t* text) {
  if (text == nullptr) return Status::NullValue;
  return WriteItem(a, i, Value::Of(ValueType::String, std::u16string(text)));
}
Status Runtime::SetBooleanArrayItem(ArrayHandle a, Index i, bool v) { return WriteItem(a, i, Value::Of(ValueType::Boolean, v)); }
Status Runtime::SetUIntArrayItem(ArrayHandle a, Index i, std::uint16_t v) { return WriteItem(a, i, Value::Of(ValueType::UInt, v)); }
Status Runtime::SetULongArrayItem(ArrayHandle a, Index i, std::uint32_t v) { return WriteItem(a, i, Value::Of(ValueType::ULong, v)); }
Status Runtime::SetBlobArrayItem(ArrayHandle a, Index i, BlobHandle v) { return WriteItemHandle(a, i, v, ValueType::Blob); }
Status Runtime::SetDateArrayItem(ArrayHandle a, Index i, DateHandle v) { return WriteItemHandle(a, i, v, ValueType::Date); }
Status Runtime::SetTimeArrayItem(ArrayHandle a, Index i, TimeHandle v) { return WriteItemHandle(a, i, v, ValueType::Time); }
Status Runtime::SetDateTimeArrayItem(ArrayHandle a, Index i, DateTimeHandle v) { return WriteItemHandle(a, i, v, ValueType::DateTime); }
Status Runtime::SetLongLongArrayItem(ArrayHandle a, Index i, std::int64_t v) { return WriteItem(a, i, Value::Of(ValueType::LongLong, v)); }
Status Runtime::SetObjectArrayItem(ArrayHandle a, Index i, ObjectHandle v) { return WriteItemHandle(a, i, v, ValueType::Object); }

// --- Strings, blobs, dates, times, decimals ------------------------------------------------

StringHandle Runtime::NewString(const char16_t* text) {
  return text == nullptr ? kNoHandle : Keep(std::u16string(text));
}

const char16_t* Runtime::GetStringText(StringHandle string) {
  auto* s = Resolve<std::u16string>(string);
  return s != nullptr ? s->c_str() : nullptr;
}

BlobHandle Runtime::NewBlob(const void* bytes, std::uint32_t length) {
  if (bytes == nullptr && length != 0) return kNoHandle;
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  return Keep(length != 0 ? Blob(p, p + length) : Blob{});
}

std::uint32_t Runtime::GetBlobLength(BlobHandle blob) {
  auto* b = Resolve<Blob>(blob);
  return b != nullptr ? std::uint32_t(b->size()) : 0;
}

const void* Runtime::GetBlobBytes(BlobHandle blob) {
  auto* b = Resolve<Blob>(blob);
  if (b == nullptr) return nullptr;
  return b->empty() ? kNoBytes : b->data();
}

DateHandle Runtime::NewDate() { return Keep(Date{}); }
TimeHandle Runtime::NewTime() { return Keep(Time{}); }
DateTimeHandle Runtime::NewDateTime() { return Keep(DateTime{}); }

Status Runtime::SetDateValue(DateHandle date, std::int32_t y, std::int32_t m, std::int32_t d) {
  auto* p = Resolve<Date>(date);
  if (p == nullptr) return Status::BadHandle;
  Date v{y, m, d};
  if (!IsValid(v)) return Status::Failed;
  *p = v;
  return Status::Ok;
}

Status Runtime::SetTimeValue(TimeHandle time, std::int32_t h, std::int32_t m, double s) {
  auto* p = Resolve<Time>(time);
  if (p == nullptr) return Status::BadHandle;
  Time v{h, m, s};
  if (!IsValid(v)) return Status::Failed;
  *p = v;
  return Status::Ok;
}

Status Runtime::SetDateTimeValue(DateTimeHandle dateTime, std::int32_t y, std::int32_t mo,
                                 std::int32_t d, std::int32_t h, std::int32_t mi, double s) {
  auto* p = Resolve<DateTime>(dateTime);
  if (p == nullptr) return Status::BadHandle;
  DateTime v{{y, mo, d}, {h, mi, s}};
  if (!IsValid(v.date) || !IsValid(v.time)) return Status::Failed;
  *p = v;
  return Status::Ok;
}

Status Runtime::SplitDate(DateHandle date, std::int32_t& y, std::int32_t& m, std::int32_t& d) {
  auto* p = Resolve<Date>(date);
  if (p == nullptr) return Status::BadHandle;
  y = p->year, m = p->month, d = p->day;
  return Status::Ok;
}

Status Runtime::SplitTime(TimeHandle time, std::int32_t& h, std::int32_t& m, double& s) {
  auto* p = Resolve<Time>(time);
  if (p == nullptr) return Status::BadHandle;
  h = p->hour, m = p->minute, s = p->second;
  return Status::Ok;
}

Status Runtime::SplitDateTime(DateTimeHandle dateTime, std::int32_t& y, std::int32_t& mo,
                              std::int32_t& d, std::int32_t& h, std::int32_t& mi, double& s) {
  auto* p = Resolve<DateTime>(dateTime);
  if (p == nullptr) return Status::BadHandle;
  y = p->date.year, mo = p->date.month, d = p->date.day;
  h = p->time.hour, mi = p->time.minute, s = p->time.second;
  return Status::Ok;
}

DecimalHandle Runtime::NewDecimal() { return Keep(Decimal{}); }

Status Runtime::SetDecimalText(DecimalHandle decimal, const char16_t* text) {
  auto* p = Resolve<Decimal>(decimal);
  if (p == nullptr) return Status::BadHandle;
  if (text == nullptr) return Status::NullValue;
  auto parsed = Decimal::Parse(std::u16string_view(text));
  if (!parsed) return Status::Failed;
  *p = *parsed;
  return Status::Ok;
}

const char16_t* Runtime::GetDecimalText(DecimalHandle decimal) {
  auto* p = Resolve<Decimal>(decimal);
  if (p == nullptr) return nullptr;
  auto text = std::make_unique<std::u16string>(Widen(p->Text()));
  const char16_t* raw = text->c_str();
  decimalTexts_[raw] = std::move(text);
  return raw;
}

void Runtime::ReleaseDecimalText(const char16_t* text) { decimalTexts_.erase(text); }

}  // namespace kf::rt
