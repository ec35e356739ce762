#include "kf/kfruntime/frame.h"

#include "kf/kfruntime/runtime.h"

namespace kf::rt {
namespace {

template <class T>
T Read(const Value& v, ValueType t) {
  if (v.null || v.isArray || v.type != t) return T{};
  const T* p = std::get_if<T>(&v.data);
  return p != nullptr ? *p : T{};
}

}  // namespace

ValueType BoundValue::GetType() {
  if (declared_.type == ValueType::Any && !declared_.isArray) {
    // An any holds whatever was stored last; empty, it reports any.
    return target_->null ? ValueType::Any : target_->type;
  }
  return declared_.type;
}

bool BoundValue::IsArray() {
  if (declared_.isArray) return true;
  return declared_.type == ValueType::Any && !target_->null && target_->isArray;
}

bool BoundValue::IsObject() { return GetType() == ValueType::Object; }

Status BoundValue::SetNull() {
  if (readOnly_) return Status::ReadOnly;
  return rt_.Store(*target_, declared_, Value::Null(declared_.type, declared_.isArray));
}

Status BoundValue::Put(Value v) {
  if (readOnly_) return Status::ReadOnly;
  return rt_.Store(*target_, declared_, std::move(v));
}

Status BoundValue::PutHandle(Handle h, ValueType type) {
  if (readOnly_) return Status::ReadOnly;
  auto v = rt_.ValueOf(h, type);
  if (!v) return Status::BadHandle;
  return rt_.Store(*target_, declared_, std::move(*v));
}

std::int16_t BoundValue::GetInt() { return Read<std::int16_t>(*target_, ValueType::Int); }
std::uint16_t BoundValue::GetUInt() { return Read<std::uint16_t>(*target_, ValueType::UInt); }
bool BoundValue::GetBoolean() { return Read<bool>(*target_, ValueType::Boolean); }
std::int32_t BoundValue::GetLong() { return Read<std::int32_t>(*target_, ValueType::Long); }
std::uint32_t BoundValue::GetULong() { return Read<std::uint32_t>(*target_, ValueType::ULong); }
float BoundValue::GetReal() { return Read<float>(*target_, ValueType::Real); }
double BoundValue::GetDouble() { return Read<double>(*target_, ValueType::Double); }
std::int64_t BoundValue::GetLongLong() { return Read<std::int64_t>(*target_, ValueType::LongLong); }
DecimalHandle BoundValue::GetDecimal() { return rt_.HandleFor(*target_, ValueType::Decimal); }
StringHandle BoundValue::GetString() { return rt_.HandleFor(*target_, ValueType::String); }
ObjectHandle BoundValue::GetObject() { return rt_.HandleFor(*target_, ValueType::Object); }
ArrayHandle BoundValue::GetArray() { return rt_.HandleFor(*target_, ValueType::None); }
TimeHandle BoundValue::GetTime() { return rt_.HandleFor(*target_, ValueType::Time); }
DateHandle BoundValue::GetDate() { return rt_.HandleFor(*target_, ValueType::Date); }
DateTimeHandle BoundValue::GetDateTime() { return rt_.HandleFor(*target_, ValueType::DateTime); }
BlobHandle BoundValue::GetBlob() { return rt_.HandleFor(*target_, ValueType::Blob); }

Status BoundValue::SetInt(std::int16_t v) { return Put(Value::Of(ValueType::Int, v)); }
Status BoundValue::SetUInt(std::uint16_t v) { return Put(Value::Of(ValueType::UInt, v)); }
Status BoundValue::SetBoolean(bool v) { return Put(Value::Of(ValueType::Boolean, v)); }
Status BoundValue::SetLong(std::int32_t v) { return Put(Value::Of(ValueType::Long, v)); }
Status BoundValue::SetULong(std::uint32_t v) { return Put(Value::Of(ValueType::ULong, v)); }
Status BoundValue::SetReal(float v) { return Put(Value::Of(ValueType::Real, v)); }
Status BoundValue::SetDouble(double v) { return Put(Value::Of(ValueType::Double, v)); }
Status BoundValue::SetLongLong(std::int64_t v) { return Put(Value::Of(ValueType::LongLong, v)); }
Status BoundValue::SetDecimal(DecimalHandle v) { return PutHandle(v, ValueType::Decimal); }
Status BoundValue::SetString(StringHandle v) { return PutHandle(v, ValueType::String); }
Status BoundValue::SetStringText(const char16_t* text) {
  if (text == nullptr) return Status::NullValue;
  return Put(Value::Of(ValueType::String, std::u16string(text)));
}
Status BoundValue::SetArray(ArrayHandle v) { return PutHandle(v, ValueType::None); }
Status BoundValue::SetTime(TimeHandle v) { return PutHandle(v, ValueType::Time); }
Status BoundValue::SetDate(DateHandle v) { return PutHandle(v, ValueType::Date); }
Status BoundValue::SetDateTime(DateTimeHandle v) { return PutHandle(v, ValueType::DateTime); }
Status BoundValue::SetBlob(BlobHandle v) { return PutHandle(v, ValueType::Blob); }
Status BoundValue::SetObject(ObjectHandle v) { return PutHandle(v, ValueType::Object); }

Frame::Frame(Runtime& runtime) : rt_(runtime) { SetResultType(TypeSpec{}); }

void Frame::AddValue(TypeSpec declared, Value value, bool readOnly) {
  storage_.push_back(std::make_unique<Value>(std::move(value)));
  args_.push_back(
      std::make_unique<BoundValue>(rt_, storage_.back().get(), std::move(declared), readOnly));
}

void Frame::AddReference(Value* target, TypeSpec declared, std::shared_ptr<void> keepAlive) {
  if (keepAlive) keepAlive_.push_back(std::move(keepAlive));
  args_.push_back(std::make_unique<BoundValue>(rt_, target, std::move(declared), false));
}

void Frame::SetResultType(TypeSpec declared) {
  storage_.push_back(std::make_unique<Value>(DefaultValue(declared)));
  result_ = std::make_unique<BoundValue>(rt_, storage_.back().get(), std::move(declared), false);
}

ScriptValue* Frame::GetAt(std::int32_t index) {
  if (index < 0 || std::size_t(index) >= args_.size()) return nullptr;
  return args_[std::size_t(index)].get();
}

}  // namespace kf::rt
