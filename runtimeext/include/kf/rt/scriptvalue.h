// One script value: an argument or the return value of a call.
#pragma once

#include "kf/rt/types.h"

namespace kf::rt {

// Virtual operations are in the runtime's slot order; Reserved* slots are operations that
// no extension calls (they do nothing and keep the order stable).
class ScriptValue {
 public:
  virtual void Reserved0() = 0;
  virtual ValueType GetType() = 0;  // item type for arrays, ValueType::Object for objects
  virtual bool IsArray() = 0;
  virtual bool IsObject() = 0;
  virtual void Reserved4() = 0;
  virtual void Reserved5() = 0;
  virtual bool IsNull() = 0;
  virtual Status SetNull() = 0;

  // Getters give 0 / none for a null value or a value of another type.
  virtual std::int16_t GetInt() = 0;
  virtual std::uint16_t GetUInt() = 0;
  virtual bool GetBoolean() = 0;
  virtual std::int32_t GetLong() = 0;
  virtual std::uint32_t GetULong() = 0;
  virtual float GetReal() = 0;
  virtual double GetDouble() = 0;
  virtual DecimalHandle GetDecimal() = 0;
  virtual void Reserved16() = 0;
  virtual StringHandle GetString() = 0;
  virtual ObjectHandle GetObject() = 0;
  virtual ArrayHandle GetArray() = 0;
  virtual TimeHandle GetTime() = 0;
  virtual DateHandle GetDate() = 0;
  virtual DateTimeHandle GetDateTime() = 0;
  virtual std::int64_t GetLongLong() = 0;
  virtual BlobHandle GetBlob() = 0;

  // Setters, in the getter order; a value declared any takes the setter's type.
  virtual Status SetInt(std::int16_t value) = 0;
  virtual Status SetUInt(std::uint16_t value) = 0;
  virtual Status SetBoolean(bool value) = 0;
  virtual Status SetLong(std::int32_t value) = 0;
  virtual Status SetULong(std::uint32_t value) = 0;
  virtual Status SetReal(float value) = 0;
  virtual Status SetDouble(double value) = 0;
  virtual Status SetDecimal(DecimalHandle value) = 0;
  virtual void Reserved41() = 0;
  virtual Status SetString(StringHandle value) = 0;
  virtual Status SetStringText(const char16_t* text) = 0;
  virtual Status SetArray(ArrayHandle value) = 0;
  virtual Status SetTime(TimeHandle value) = 0;
  virtual Status SetDate(DateHandle value) = 0;
  virtual Status SetDateTime(DateTimeHandle value) = 0;
  virtual Status SetLongLong(std::int64_t value) = 0;
  virtual Status SetBlob(BlobHandle value) = 0;
  virtual Status SetObject(ObjectHandle value) = 0;

 protected:
  ~ScriptValue() = default;
};

}  // namespace kf::rt
