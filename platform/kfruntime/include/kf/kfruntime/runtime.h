// The in-memory script runtime: every operation of the extension interface, plus what the
// loaders, kfrun and tests need to drive it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "kf/kfruntime/classes.h"
#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/frame.h"
#include "kf/kfruntime/handletable.h"
#include "kf/kfruntime/object.h"
#include "kf/rt/runtimecontext.h"

namespace kf::rt {

class ExtensionLibrary;

class Runtime final : public RuntimeContext {
 public:
  Runtime();
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // --- Classes ---------------------------------------------------------------------------
  // Registers a class under a group of its own name. Throws Error (naming the class's file
  // and line) for a duplicate name, an unknown ancestor or a field that hides another.
  // `kind` is computed when not given: structures 5, exceptions 6, other classes 4.
  const ClassDef& AddClass(std::unique_ptr<ClassDef> def,
                           std::optional<GroupKind> kind = std::nullopt);
  const ClassDef* FindClass(std::u16string_view name) const;
  const ClassDef* ClassOf(ClassHandle cls) const;
  // Takes ownership of a loaded library; its classes must be added afterwards.
  ExtensionLibrary& AdoptLibrary(std::unique_ptr<ExtensionLibrary> library);

  // --- Objects ---------------------------------------------------------------------------
  // Creates an object with its fields at their initial values and, for a class that an
  // extension implements, its native part. Nothing (and `error` set) when that fails.
  ObjectRef NewObject(const ClassDef& cls, bool proxy, std::string* error = nullptr);
  // A runtimeerror object carrying `text`, for failures the runtime throws to the script.
  ObjectRef NewRuntimeError(const std::u16string& text);
  ObjectRef ObjectOf(ObjectHandle object) const;
  ArrayRef ArrayOf(ArrayHandle array) const;

  // --- Calls -----------------------------------------------------------------------------
  // Runs one function of an object (by method id of its class) in a handle scope of its
  // own. An exception raised meanwhile is left pending.
  Status Invoke(const ObjectRef& object, MethodId method, Frame& frame);
  // The exception raised by the last extension call, if any; clears it.
  ObjectRef TakePendingException();

  // --- Values ----------------------------------------------------------------------------
  // Whether `value` may be stored in a slot of type `declared` (classes by ancestry).
  bool Accepts(const TypeSpec& declared, const Value& value) const;
  // Stores after Accepts; arrays are copied. TypeMismatch otherwise.
  Status Store(Value& target, const TypeSpec& declared, Value value);
  // A value from a handle of the given type (a copy; objects and arrays shared).
  std::optional<Value> ValueOf(Handle handle, ValueType type) const;
  // A new temporary handle for the data of a value of the given type; none for a null value.
  Handle HandleFor(const Value& value, ValueType type);

  // --- Handles ---------------------------------------------------------------------------
  // Handles that are still alive: temporaries of open scopes, call frames, array infos and
  // decimal texts not yet released. Tests read it to find leaks.
  std::size_t LiveHandleCount() const;
  // Temporaries created inside a scope die with it; the runtime opens one for every
  // extension call.
  class Scope {
   public:
    explicit Scope(Runtime& rt) : rt_(rt) { rt_.scopes_.emplace_back(); }
    ~Scope() { rt_.CloseScope(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Runtime& rt_;
  };
  // Releases the temporaries made outside any scope.
  void ReleaseTemporaries();

  // --- RuntimeContext --------------------------------------------------------------------
  ClassHandle GetClass(ObjectHandle object) override;
  MethodId GetMethodId(ClassHandle cls, const char16_t* name, std::int32_t kind,
                       const char16_t* signature, bool publicOnly) override;
  Status PrepareCallFrame(ClassHandle cls, MethodId method, CallFrame** frame) override;
  void ReleaseCallFrame(CallFrame* frame) override;
  Status CallObjectFunction(ObjectHandle object, MethodId method, CallFrame* frame) override;
  Status RaiseScriptException(ObjectHandle exception) override;

  GroupHandle LookupGroup(const char16_t* name, GroupKind kind) override;
  ClassHandle LookupClass(GroupHandle group, const char16_t* name) override;
  ObjectHandle CreateScriptObject(ClassHandle cls) override;
  FieldId GetFieldId(ClassHandle cls, const char16_t* name) override;

  ValueType GetFieldType(ClassHandle cls, FieldId field) override;
  bool IsFieldNull(ObjectHandle object, FieldId field) override;
  Status SetFieldNull(ObjectHandle object, FieldId field) override;
  bool IsFieldArray(ClassHandle cls, FieldId field) override;
  bool IsFieldObject(ClassHandle cls, FieldId field) override;

  std::int16_t GetIntField(ObjectHandle o, FieldId f, bool& isNull) override;
  std::int32_t GetLongField(ObjectHandle o, FieldId f, bool& isNull) override;
  float GetRealField(ObjectHandle o, FieldId f, bool& isNull) override;
  double GetDoubleField(ObjectHandle o, FieldId f, bool& isNull) override;
  DecimalHandle GetDecimalField(ObjectHandle o, FieldId f, bool& isNull) override;
  StringHandle GetStringField(ObjectHandle o, FieldId f, bool& isNull) override;
  bool GetBooleanField(ObjectHandle o, FieldId f, bool& isNull) override;
  std::uint16_t GetUIntField(ObjectHandle o, FieldId f, bool& isNull) override;
  std::uint32_t GetULongField(ObjectHandle o, FieldId f, bool& isNull) override;
  BlobHandle GetBlobField(ObjectHandle o, FieldId f, bool& isNull) override;
  DateHandle GetDateField(ObjectHandle o, FieldId f, bool& isNull) override;
  TimeHandle GetTimeField(ObjectHandle o, FieldId f, bool& isNull) override;
  DateTimeHandle GetDateTimeField(ObjectHandle o, FieldId f, bool& isNull) override;
  std::int64_t GetLongLongField(ObjectHandle o, FieldId f, bool& isNull) override;
  ObjectHandle GetObjectField(ObjectHandle o, FieldId f, bool& isNull) override;
  ArrayHandle GetArrayField(ObjectHandle o, FieldId f, bool& isNull) override;

  Status SetIntField(ObjectHandle o, FieldId f, std::int16_t v) override;
  Status SetLongField(ObjectHandle o, FieldId f, std::int32_t v) override;
  Status SetRealField(ObjectHandle o, FieldId f, float v) override;
  Status SetDoubleField(ObjectHandle o, FieldId f, double v) override;
  Status SetDecimalField(ObjectHandle o, FieldId f, DecimalHandle v) override;
  Status SetStringField(ObjectHandle o, FieldId f, StringHandle v) override;
  Status SetStringFieldText(ObjectHandle o, FieldId f, const char16_t* text) override;
  Status SetBooleanField(ObjectHandle o, FieldId f, bool v) override;
  Status SetUIntField(ObjectHandle o, FieldId f, std::uint16_t v) override;
  Status SetULongField(ObjectHandle o, FieldId f, std::uint32_t v) override;
  Status SetBlobField(ObjectHandle o, FieldId f, BlobHandle v) override;
  Status SetDateField(ObjectHandle o, FieldId f, DateHandle v) override;
  Status SetTimeField(ObjectHandle o, FieldId f, TimeHandle v) override;
  Status SetDateTimeField(ObjectHandle o, FieldId f, DateTimeHandle v) override;
  Status SetLongLongField(ObjectHandle o, FieldId f, std::int64_t v) override;
  Status SetObjectField(ObjectHandle o, FieldId f, ObjectHandle v) override;
  Status SetArrayField(ObjectHandle o, FieldId f, ArrayHandle v) override;

  ArrayHandle NewBoundedArray(ValueType type, std::uint32_t dimensions,
                              const ArrayBound* bounds) override;
  ArrayHandle NewUnboundedArray(ValueType type) override;
  ArrayHandle NewBoundedObjectArray(ClassHandle cls, std::uint32_t dimensions,
                                    const ArrayBound* bounds) override;
  ArrayHandle NewUnboundedObjectArray(ClassHandle cls) override;
  std::uint32_t GetArrayLength(ArrayHandle array) override;
  ArrayInfo* GetArrayInfo(ArrayHandle array) override;
  void ReleaseArrayInfo(ArrayInfo* info) override;
  Status SetArrayItemNull(ArrayHandle array, Index index) override;

  std::int16_t GetIntArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  std::int32_t GetLongArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  float GetRealArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  double GetDoubleArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  DecimalHandle GetDecimalArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  StringHandle GetStringArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  bool GetBooleanArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  std::uint16_t GetUIntArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  std::uint32_t GetULongArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  BlobHandle GetBlobArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  DateHandle GetDateArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  TimeHandle GetTimeArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  DateTimeHandle GetDateTimeArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  std::int64_t GetLongLongArrayItem(ArrayHandle a, Index i, bool& isNull) override;
  ObjectHandle GetObjectArrayItem(ArrayHandle a, Index i, bool& isNull) override;

  Status SetIntArrayItem(ArrayHandle a, Index i, std::int16_t v) override;
  Status SetLongArrayItem(ArrayHandle a, Index i, std::int32_t v) override;
  Status SetRealArrayItem(ArrayHandle a, Index i, float v) override;
  Status SetDoubleArrayItem(ArrayHandle a, Index i, double v) override;
  Status SetDecimalArrayItem(ArrayHandle a, Index i, DecimalHandle v) override;
  Status SetStringArrayItem(ArrayHandle a, Index i, StringHandle v) override;
  Status SetStringArrayItemText(ArrayHandle a, Index i, const char16_t* text) override;
  Status SetBooleanArrayItem(ArrayHandle a, Index i, bool v) override;
  Status SetUIntArrayItem(ArrayHandle a, Index i, std::uint16_t v) override;
  Status SetULongArrayItem(ArrayHandle a, Index i, std::uint32_t v) override;
  Status SetBlobArrayItem(ArrayHandle a, Index i, BlobHandle v) override;
  Status SetDateArrayItem(ArrayHandle a, Index i, DateHandle v) override;
  Status SetTimeArrayItem(ArrayHandle a, Index i, TimeHandle v) override;
  Status SetDateTimeArrayItem(ArrayHandle a, Index i, DateTimeHandle v) override;
  Status SetLongLongArrayItem(ArrayHandle a, Index i, std::int64_t v) override;
  Status SetObjectArrayItem(ArrayHandle a, Index i, ObjectHandle v) override;

  StringHandle NewString(const char16_t* text) override;
  const char16_t* GetStringText(StringHandle string) override;
  BlobHandle NewBlob(const void* bytes, std::uint32_t length) override;
  std::uint32_t GetBlobLength(BlobHandle blob) override;
  const void* GetBlobBytes(BlobHandle blob) override;
  DateHandle NewDate() override;
  TimeHandle NewTime() override;
  DateTimeHandle NewDateTime() override;
  Status SetDateValue(DateHandle date, std::int32_t year, std::int32_t month,
                      std::int32_t day) override;
  Status SetTimeValue(TimeHandle time, std::int32_t hour, std::int32_t minute,
                      double second) override;
  Status SetDateTimeValue(DateTimeHandle dateTime, std::int32_t year, std::int32_t month,
                          std::int32_t day, std::int32_t hour, std::int32_t minute,
                          double second) override;
  Status SplitDate(DateHandle date, std::int32_t& year, std::int32_t& month,
                   std::int32_t& day) override;
  Status SplitTime(TimeHandle time, std::int32_t& hour, std::int32_t& minute,
                   double& second) override;
  Status SplitDateTime(DateTimeHandle dateTime, std::int32_t& year, std::int32_t& month,
                       std::int32_t& day, std::int32_t& hour, std::int32_t& minute,
                       double& second) override;
  DecimalHandle NewDecimal() override;
  Status SetDecimalText(DecimalHandle decimal, const char16_t* text) override;
  const char16_t* GetDecimalText(DecimalHandle decimal) override;
  void ReleaseDecimalText(const char16_t* text) override;

  ObjectHandle CreateProxyObject(ClassHandle cls) override;
  Status AttachCallHandler(ObjectHandle proxy, RemoteCallHandler* handler) override;

 private:
  using Entry = std::variant<std::u16string, Blob, Date, Time, DateTime, Decimal, ObjectRef,
                             ArrayRef>;
  struct Group {
    std::u16string name;  // lower case
    GroupKind kind;
    std::vector<ClassDef*> classes;
  };
  struct InfoBlock {
    ArrayInfo info;
    std::vector<ArrayBound> bounds;
  };

  Handle NextHandle();
  Handle Keep(Entry entry);
  void DropHandles(const std::vector<Handle>& dying);
  void CloseScope();
  template <class T> T* Resolve(Handle h) const;
  void AddSystemClasses();
  GroupKind KindOf(const ClassDef& def) const;

  // Accepts for a declared type that is not an array: any, the value type, or the class
  // and its descendants.
  bool AcceptsScalar(ValueType type, const std::u16string& className, const Value& v) const;
  // Fields and array items share these: the slot, its declared type, and a check.
  struct Slot {
    Value* value = nullptr;
    TypeSpec type;
  };
  Slot FieldSlot(ObjectHandle o, FieldId f) const;
  Slot ItemSlot(ArrayHandle a, Index i, bool grow);
  template <class T> T ReadField(ObjectHandle o, FieldId f, bool& isNull, ValueType t);
  Handle ReadFieldHandle(ObjectHandle o, FieldId f, bool& isNull, ValueType t);
  Status WriteField(ObjectHandle o, FieldId f, Value v);
  Status WriteFieldHandle(ObjectHandle o, FieldId f, Handle h, ValueType t);
  template <class T> T ReadItem(ArrayHandle a, Index i, bool& isNull, ValueType t);
  Handle ReadItemHandle(ArrayHandle a, Index i, bool& isNull, ValueType t);
  Status WriteItem(ArrayHandle a, Index i, Value v);
  Status WriteItemHandle(ArrayHandle a, Index i, Handle h, ValueType t);
  ArrayHandle MakeArray(ValueType type, const ClassDef* cls, std::uint32_t dimensions,
                        const ArrayBound* bounds);

  std::vector<std::unique_ptr<ExtensionLibrary>> libraries_;  // unloaded last
  std::vector<std::unique_ptr<ClassDef>> classes_;
  std::map<std::u16string, ClassDef*> classesByName_;  // lower-case names
  std::unordered_map<Handle, ClassDef*> classHandles_;
  std::unordered_map<Handle, Group> groups_;
  HandleTable<Handle, Entry> handles_;
  std::vector<std::vector<Handle>> scopes_{1};  // [0]: temporaries outside any scope
  std::unordered_map<const ArrayInfo*, std::unique_ptr<InfoBlock>> infos_;
  std::unordered_map<const char16_t*, std::unique_ptr<std::u16string>> decimalTexts_;
  std::unordered_map<const CallFrame*, std::unique_ptr<Frame>> frames_;
  std::vector<std::weak_ptr<Object>> objects_;  // to end every object before unloading
  ObjectRef pending_;
  Handle next_ = 1;
  bool wrapped_ = false;  // until handle numbers wrap, every number next_ gives is fresh
  int depth_ = 0;
};

}  // namespace kf::rt
