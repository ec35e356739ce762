// The script runtime as its extensions see it.
#pragma once

#include "kf/rt/callframe.h"
#include "kf/rt/nativeobject.h"

namespace kf::rt {

// Virtual operations are in the runtime's slot order. Texts are NUL-terminated UTF-16.
// Indexes of array items are 1-based (within the bounds for bounded arrays), one per
// dimension. Handles returned by the runtime stay valid until the current extension call
// returns; call frames, array infos and decimal texts live until released.
class RuntimeContext {
 public:
  // 1. Classes, methods and calls.
  virtual ClassHandle GetClass(ObjectHandle object) = 0;
  // kind 0 and an empty signature: the first function of that name (case-insensitive).
  virtual MethodId GetMethodId(ClassHandle cls, const char16_t* name, std::int32_t kind,
                               const char16_t* signature, bool publicOnly) = 0;
  virtual Status PrepareCallFrame(ClassHandle cls, MethodId method, CallFrame** frame) = 0;
  virtual void ReleaseCallFrame(CallFrame* frame) = 0;
  virtual Status CallObjectFunction(ObjectHandle object, MethodId method, CallFrame* frame) = 0;
  // The exception object is thrown to the script when the current extension call returns.
  virtual Status RaiseScriptException(ObjectHandle exception) = 0;

  // 2. Groups, classes, objects and field ids.
  virtual GroupHandle LookupGroup(const char16_t* name, GroupKind kind) = 0;
  virtual ClassHandle LookupClass(GroupHandle group, const char16_t* name) = 0;
  virtual ObjectHandle CreateScriptObject(ClassHandle cls) = 0;
  virtual FieldId GetFieldId(ClassHandle cls, const char16_t* name) = 0;  // kNoField if absent

  // 3. Fields.
  virtual ValueType GetFieldType(ClassHandle cls, FieldId field) = 0;
  virtual bool IsFieldNull(ObjectHandle object, FieldId field) = 0;
  virtual Status SetFieldNull(ObjectHandle object, FieldId field) = 0;
  virtual bool IsFieldArray(ClassHandle cls, FieldId field) = 0;
  virtual bool IsFieldObject(ClassHandle cls, FieldId field) = 0;

  virtual std::int16_t GetIntField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual std::int32_t GetLongField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual float GetRealField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual double GetDoubleField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual DecimalHandle GetDecimalField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual StringHandle GetStringField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual bool GetBooleanField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual std::uint16_t GetUIntField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual std::uint32_t GetULongField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual BlobHandle GetBlobField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual DateHandle GetDateField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual TimeHandle GetTimeField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual DateTimeHandle GetDateTimeField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual std::int64_t GetLongLongField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual ObjectHandle GetObjectField(ObjectHandle object, FieldId field, bool& isNull) = 0;
  virtual ArrayHandle GetArrayField(ObjectHandle object, FieldId field, bool& isNull) = 0;

  virtual Status SetIntField(ObjectHandle object, FieldId field, std::int16_t value) = 0;
  virtual Status SetLongField(ObjectHandle object, FieldId field, std::int32_t value) = 0;
  virtual Status SetRealField(ObjectHandle object, FieldId field, float value) = 0;
  virtual Status SetDoubleField(ObjectHandle object, FieldId field, double value) = 0;
  virtual Status SetDecimalField(ObjectHandle object, FieldId field, DecimalHandle value) = 0;
  virtual Status SetStringField(ObjectHandle object, FieldId field, StringHandle value) = 0;
  virtual Status SetStringFieldText(ObjectHandle object, FieldId field, const char16_t* text) = 0;
  virtual Status SetBooleanField(ObjectHandle object, FieldId field, bool value) = 0;
  virtual Status SetUIntField(ObjectHandle object, FieldId field, std::uint16_t value) = 0;
  virtual Status SetULongField(ObjectHandle object, FieldId field, std::uint32_t value) = 0;
  virtual Status SetBlobField(ObjectHandle object, FieldId field, BlobHandle value) = 0;
  virtual Status SetDateField(ObjectHandle object, FieldId field, DateHandle value) = 0;
  virtual Status SetTimeField(ObjectHandle object, FieldId field, TimeHandle value) = 0;
  virtual Status SetDateTimeField(ObjectHandle object, FieldId field, DateTimeHandle value) = 0;
  virtual Status SetLongLongField(ObjectHandle object, FieldId field, std::int64_t value) = 0;
  virtual Status SetObjectField(ObjectHandle object, FieldId field, ObjectHandle value) = 0;
  virtual Status SetArrayField(ObjectHandle object, FieldId field, ArrayHandle value) = 0;

  // 4. Arrays.
  virtual ArrayHandle NewBoundedArray(ValueType type, std::uint32_t dimensions,
                                      const ArrayBound* bounds) = 0;
  virtual ArrayHandle NewUnboundedArray(ValueType type) = 0;
  virtual ArrayHandle NewBoundedObjectArray(ClassHandle cls, std::uint32_t dimensions,
                                            const ArrayBound* bounds) = 0;
  virtual ArrayHandle NewUnboundedObjectArray(ClassHandle cls) = 0;
  virtual std::uint32_t GetArrayLength(ArrayHandle array) = 0;
  virtual ArrayInfo* GetArrayInfo(ArrayHandle array) = 0;
  virtual void ReleaseArrayInfo(ArrayInfo* info) = 0;
  virtual Status SetArrayItemNull(ArrayHandle array, const std::int32_t* index) = 0;

  using Index = const std::int32_t*;
  virtual std::int16_t GetIntArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual std::int32_t GetLongArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual float GetRealArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual double GetDoubleArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual DecimalHandle GetDecimalArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual StringHandle GetStringArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual bool GetBooleanArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual std::uint16_t GetUIntArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual std::uint32_t GetULongArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual BlobHandle GetBlobArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual DateHandle GetDateArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual TimeHandle GetTimeArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual DateTimeHandle GetDateTimeArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual std::int64_t GetLongLongArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;
  virtual ObjectHandle GetObjectArrayItem(ArrayHandle array, Index index, bool& isNull) = 0;

  // Writing past the end of an unbounded array grows it.
  virtual Status SetIntArrayItem(ArrayHandle array, Index index, std::int16_t value) = 0;
  virtual Status SetLongArrayItem(ArrayHandle array, Index index, std::int32_t value) = 0;
  virtual Status SetRealArrayItem(ArrayHandle array, Index index, float value) = 0;
  virtual Status SetDoubleArrayItem(ArrayHandle array, Index index, double value) = 0;
  virtual Status SetDecimalArrayItem(ArrayHandle array, Index index, DecimalHandle value) = 0;
  virtual Status SetStringArrayItem(ArrayHandle array, Index index, StringHandle value) = 0;
  virtual Status SetStringArrayItemText(ArrayHandle array, Index index, const char16_t* text) = 0;
  virtual Status SetBooleanArrayItem(ArrayHandle array, Index index, bool value) = 0;
  virtual Status SetUIntArrayItem(ArrayHandle array, Index index, std::uint16_t value) = 0;
  virtual Status SetULongArrayItem(ArrayHandle array, Index index, std::uint32_t value) = 0;
  virtual Status SetBlobArrayItem(ArrayHandle array, Index index, BlobHandle value) = 0;
  virtual Status SetDateArrayItem(ArrayHandle array, Index index, DateHandle value) = 0;
  virtual Status SetTimeArrayItem(ArrayHandle array, Index index, TimeHandle value) = 0;
  virtual Status SetDateTimeArrayItem(ArrayHandle array, Index index, DateTimeHandle value) = 0;
  virtual Status SetLongLongArrayItem(ArrayHandle array, Index index, std::int64_t value) = 0;
  virtual Status SetObjectArrayItem(ArrayHandle array, Index index, ObjectHandle value) = 0;

  // 5. Strings, blobs, dates, times, datetimes and decimals.
  virtual StringHandle NewString(const char16_t* text) = 0;
  virtual const char16_t* GetStringText(StringHandle string) = 0;  // none for a bad handle
  virtual BlobHandle NewBlob(const void* bytes, std::uint32_t length) = 0;
  virtual std::uint32_t GetBlobLength(BlobHandle blob) = 0;
  virtual const void* GetBlobBytes(BlobHandle blob) = 0;
  virtual DateHandle NewDate() = 0;
  virtual TimeHandle NewTime() = 0;
  virtual DateTimeHandle NewDateTime() = 0;
  virtual Status SetDateValue(DateHandle date, std::int32_t year, std::int32_t month,
                              std::int32_t day) = 0;
  virtual Status SetTimeValue(TimeHandle time, std::int32_t hour, std::int32_t minute,
                              double second) = 0;
  virtual Status SetDateTimeValue(DateTimeHandle dateTime, std::int32_t year, std::int32_t month,
                                  std::int32_t day, std::int32_t hour, std::int32_t minute,
                                  double second) = 0;
  virtual Status SplitDate(DateHandle date, std::int32_t& year, std::int32_t& month,
                           std::int32_t& day) = 0;
  virtual Status SplitTime(TimeHandle time, std::int32_t& hour, std::int32_t& minute,
                           double& second) = 0;
  virtual Status SplitDateTime(DateTimeHandle dateTime, std::int32_t& year, std::int32_t& month,
                               std::int32_t& day, std::int32_t& hour, std::int32_t& minute,
                               double& second) = 0;
  virtual DecimalHandle NewDecimal() = 0;  // value 0
  virtual Status SetDecimalText(DecimalHandle decimal, const char16_t* text) = 0;
  virtual const char16_t* GetDecimalText(DecimalHandle decimal) = 0;  // release it
  virtual void ReleaseDecimalText(const char16_t* text) = 0;

  // 6. Proxy objects.
  virtual ObjectHandle CreateProxyObject(ClassHandle cls) = 0;
  // The proxy owns the handler from now on: its DestroyObject runs when the proxy dies.
  // A handler that cannot be attached (not a proxy object) is destroyed at once.
  virtual Status AttachCallHandler(ObjectHandle proxy, RemoteCallHandler* handler) = 0;

 protected:
  ~RuntimeContext() = default;
};

}  // namespace kf::rt
