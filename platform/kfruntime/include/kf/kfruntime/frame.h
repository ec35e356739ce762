// Call frames: the arguments and the return value that an extension sees of one call.
#pragma once

#include <memory>
#include <vector>

#include "kf/kfruntime/value.h"
#include "kf/rt/callframe.h"

namespace kf::rt {

class Runtime;

// A ScriptValue over a Value that lives elsewhere (a variable, a field, frame storage).
class BoundValue final : public ScriptValue {
 public:
  BoundValue(Runtime& runtime, Value* target, TypeSpec declared, bool readOnly)
      : rt_(runtime), target_(target), declared_(std::move(declared)), readOnly_(readOnly) {}

  void Reserved0() override {}
  ValueType GetType() override;
  bool IsArray() override;
  bool IsObject() override;
  void Reserved4() override {}
  void Reserved5() override {}
  bool IsNull() override { return target_->null; }
  Status SetNull() override;

  std::int16_t GetInt() override;
  std::uint16_t GetUInt() override;
  bool GetBoolean() override;
  std::int32_t GetLong() override;
  std::uint32_t GetULong() override;
  float GetReal() override;
  double GetDouble() override;
  DecimalHandle GetDecimal() override;
  void Reserved16() override {}
  StringHandle GetString() override;
  ObjectHandle GetObject() override;
  ArrayHandle GetArray() override;
  TimeHandle GetTime() override;
  DateHandle GetDate() override;
  DateTimeHandle GetDateTime() override;
  std::int64_t GetLongLong() override;
  BlobHandle GetBlob() override;

  Status SetInt(std::int16_t value) override;
  Status SetUInt(std::uint16_t value) override;
  Status SetBoolean(bool value) override;
  Status SetLong(std::int32_t value) override;
  Status SetULong(std::uint32_t value) override;
  Status SetReal(float value) override;
  Status SetDouble(double value) override;
  Status SetDecimal(DecimalHandle value) override;
  void Reserved41() override {}
  Status SetString(StringHandle value) override;
  Status SetStringText(const char16_t* text) override;
  Status SetArray(ArrayHandle value) override;
  Status SetTime(TimeHandle value) override;
  Status SetDate(DateHandle value) override;
  Status SetDateTime(DateTimeHandle value) override;
  Status SetLongLong(std::int64_t value) override;
  Status SetBlob(BlobHandle value) override;
  Status SetObject(ObjectHandle value) override;

  Value& value() { return *target_; }
  const TypeSpec& declared() const { return declared_; }

 private:
  Status Put(Value v);
  Status PutHandle(Handle h, ValueType type);

  Runtime& rt_;
  Value* target_;
  TypeSpec declared_;
  bool readOnly_;
};

class Frame final : public CallFrame, private ArgumentList {
 public:
  explicit Frame(Runtime& runtime);

  // An argument passed by value: the frame keeps the value.
  void AddValue(TypeSpec declared, Value value, bool readOnly);
  // An argument passed by reference: writes reach the caller's value, which `keepAlive`
  // (the object owning a field, say) keeps in place for the frame's life.
  void AddReference(Value* target, TypeSpec declared, std::shared_ptr<void> keepAlive);
  void SetResultType(TypeSpec declared);

  Value& Result() { return result_->value(); }
  Value& Argument(std::size_t i) { return args_.at(i)->value(); }
  std::size_t Count() const { return args_.size(); }

  ArgumentList* GetArguments() override { return this; }
  ScriptValue* GetReturnValue() override { return result_.get(); }

 private:
  std::int32_t GetCount() override { return std::int32_t(args_.size()); }
  ScriptValue* GetAt(std::int32_t index) override;

  Runtime& rt_;
  std::vector<std::unique_ptr<Value>> storage_;
  std::vector<std::unique_ptr<BoundValue>> args_;
  std::vector<std::shared_ptr<void>> keepAlive_;
  std::unique_ptr<BoundValue> result_;
};

}  // namespace kf::rt
