// A script runtime of just what uddiclientext uses: strings, string arrays and call frames.
// Every other operation answers none.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "kf/rt/runtimecontext.h"
#include "kf/rt/scriptvalue.h"

namespace kf::uddi::test {

using namespace kf::rt;

class FakeRuntime final : public RuntimeContext {
public:
    StringHandle String(std::u16string text) {
        strings_[++lastHandle_] = std::move(text);
        return lastHandle_;
    }
    ArrayHandle Array() {
        arrays_[++lastHandle_];
        return lastHandle_;
    }
    // Items by 1-based index; an item never written is absent.
    std::map<std::int32_t, std::u16string>& Items(ArrayHandle array) { return arrays_[array]; }
    // Every write of an array item in order: (array, index, text).
    std::vector<std::tuple<ArrayHandle, std::int32_t, std::u16string>> writes;

    const char16_t* GetStringText(StringHandle string) override {
        auto it = strings_.find(string);
        return it == strings_.end() ? nullptr : it->second.c_str();
    }
    Status SetStringArrayItemText(ArrayHandle array, Index index, const char16_t* text) override {
        auto it = arrays_.find(array);
        if (it == arrays_.end())
            return Status::BadHandle;
        it->second[*index] = text;
        writes.emplace_back(array, *index, text);
        return Status::Ok;
    }
    StringHandle NewString(const char16_t* text) override { return String(text); }
    // Forgets every string and array, as the runtime would once they are no longer used.
    void Reset() {
        strings_.clear();
        arrays_.clear();
        writes.clear();
    }

    ClassHandle GetClass(ObjectHandle) override { return {}; }
    MethodId GetMethodId(ClassHandle, const char16_t*, std::int32_t, const char16_t*,
                         bool) override {
        return {};
    }
    Status PrepareCallFrame(ClassHandle, MethodId, CallFrame**) override { return {}; }
    void ReleaseCallFrame(CallFrame*) override {}
    Status CallObjectFunction(ObjectHandle, MethodId, CallFrame*) override { return {}; }
    Status RaiseScriptException(ObjectHandle) override { return {}; }
    GroupHandle LookupGroup(const char16_t*, GroupKind) override { return {}; }
    ClassHandle LookupClass(GroupHandle, const char16_t*) override { return {}; }
    ObjectHandle CreateScriptObject(ClassHandle) override { return {}; }
    FieldId GetFieldId(ClassHandle, const char16_t*) override { return {}; }
    ValueType GetFieldType(ClassHandle, FieldId) override { return {}; }
    bool IsFieldNull(ObjectHandle, FieldId) override { return {}; }
    Status SetFieldNull(ObjectHandle, FieldId) override { return {}; }
    bool IsFieldArray(ClassHandle, FieldId) override { return {}; }
    bool IsFieldObject(ClassHandle, FieldId) override { return {}; }
    std::int16_t GetIntField(ObjectHandle, FieldId, bool&) override { return {}; }
    std::int32_t GetLongField(ObjectHandle, FieldId, bool&) override { return {}; }
    float GetRealField(ObjectHandle, FieldId, bool&) override { return {}; }
    double GetDoubleField(ObjectHandle, FieldId, bool&) override { return {}; }
    DecimalHandle GetDecimalField(ObjectHandle, FieldId, bool&) override { return {}; }
    StringHandle GetStringField(ObjectHandle, FieldId, bool&) override { return {}; }
    bool GetBooleanField(ObjectHandle, FieldId, bool&) override { return {}; }
    std::uint16_t GetUIntField(ObjectHandle, FieldId, bool&) override { return {}; }
    std::uint32_t GetULongField(ObjectHandle, FieldId, bool&) override { return {}; }
    BlobHandle GetBlobField(ObjectHandle, FieldId, bool&) override { return {}; }
    DateHandle GetDateField(ObjectHandle, FieldId, bool&) override { return {}; }
    TimeHandle GetTimeField(ObjectHandle, FieldId, bool&) override { return {}; }
    DateTimeHandle GetDateTimeField(ObjectHandle, FieldId, bool&) override { return {}; }
    std::int64_t GetLongLongField(ObjectHandle, FieldId, bool&) override { return {}; }
    ObjectHandle GetObjectField(ObjectHandle, FieldId, bool&) override { return {}; }
    ArrayHandle GetArrayField(ObjectHandle, FieldId, bool&) override { return {}; }
    Status SetIntField(ObjectHandle, FieldId, std::int16_t) override { return {}; }
    Status SetLongField(ObjectHandle, FieldId, std::int32_t) override { return {}; }
    Status SetRealField(ObjectHandle, FieldId, float) override { return {}; }
    Status SetDoubleField(ObjectHandle, FieldId, double) override { return {}; }
    Status SetDecimalField(ObjectHandle, FieldId, DecimalHandle) override { return {}; }
    Status SetStringField(ObjectHandle, FieldId, StringHandle) override { return {}; }
    Status SetStringFieldText(ObjectHandle, FieldId, const char16_t*) override { return {}; }
    Status SetBooleanField(ObjectHandle, FieldId, bool) override { return {}; }
    Status SetUIntField(ObjectHandle, FieldId, std::uint16_t) override { return {}; }
    Status SetULongField(ObjectHandle, FieldId, std::uint32_t) override { return {}; }
    Status SetBlobField(ObjectHandle, FieldId, BlobHandle) override { return {}; }
    Status SetDateField(ObjectHandle, FieldId, DateHandle) override { return {}; }
    Status SetTimeField(ObjectHandle, FieldId, TimeHandle) override { return {}; }
    Status SetDateTimeField(ObjectHandle, FieldId, DateTimeHandle) override { return {}; }
    Status SetLongLongField(ObjectHandle, FieldId, std::int64_t) override { return {}; }
    Status SetObjectField(ObjectHandle, FieldId, ObjectHandle) override { return {}; }
    Status SetArrayField(ObjectHandle, FieldId, ArrayHandle) override { return {}; }
    ArrayHandle NewBoundedArray(ValueType, std::uint32_t, const ArrayBound*) override { return {}; }
    ArrayHandle NewUnboundedArray(ValueType) override { return {}; }
    ArrayHandle NewBoundedObjectArray(ClassHandle, std::uint32_t, const ArrayBound*) override {
        return {};
    }
    ArrayHandle NewUnboundedObjectArray(ClassHandle) override { return {}; }
    std::uint32_t GetArrayLength(ArrayHandle) override { return {}; }
    ArrayInfo* GetArrayInfo(ArrayHandle) override { return {}; }
    void ReleaseArrayInfo(ArrayInfo*) override {}
    Status SetArrayItemNull(ArrayHandle, const std::int32_t*) override { return {}; }
    std::int16_t GetIntArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    std::int32_t GetLongArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    float GetRealArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    double GetDoubleArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    DecimalHandle GetDecimalArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    StringHandle GetStringArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    bool GetBooleanArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    std::uint16_t GetUIntArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    std::uint32_t GetULongArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    BlobHandle GetBlobArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    DateHandle GetDateArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    TimeHandle GetTimeArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    DateTimeHandle GetDateTimeArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    std::int64_t GetLongLongArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    ObjectHandle GetObjectArrayItem(ArrayHandle, Index, bool&) override { return {}; }
    Status SetIntArrayItem(ArrayHandle, Index, std::int16_t) override { return {}; }
    Status SetLongArrayItem(ArrayHandle, Index, std::int32_t) override { return {}; }
    Status SetRealArrayItem(ArrayHandle, Index, float) override { return {}; }
    Status SetDoubleArrayItem(ArrayHandle, Index, double) override { return {}; }
    Status SetDecimalArrayItem(ArrayHandle, Index, DecimalHandle) override { return {}; }
    Status SetStringArrayItem(ArrayHandle, Index, StringHandle) override { return {}; }
    Status SetBooleanArrayItem(ArrayHandle, Index, bool) override { return {}; }
    Status SetUIntArrayItem(ArrayHandle, Index, std::uint16_t) override { return {}; }
    Status SetULongArrayItem(ArrayHandle, Index, std::uint32_t) override { return {}; }
    Status SetBlobArrayItem(ArrayHandle, Index, BlobHandle) override { return {}; }
    Status SetDateArrayItem(ArrayHandle, Index, DateHandle) override { return {}; }
    Status SetTimeArrayItem(ArrayHandle, Index, TimeHandle) override { return {}; }
    Status SetDateTimeArrayItem(ArrayHandle, Index, DateTimeHandle) override { return {}; }
    Status SetLongLongArrayItem(ArrayHandle, Index, std::int64_t) override { return {}; }
    Status SetObjectArrayItem(ArrayHandle, Index, ObjectHandle) override { return {}; }
    BlobHandle NewBlob(const void*, std::uint32_t) override { return {}; }
    std::uint32_t GetBlobLength(BlobHandle) override { return {}; }
    const void* GetBlobBytes(BlobHandle) override { return {}; }
    DateHandle NewDate() override { return {}; }
    TimeHandle NewTime() override { return {}; }
    DateTimeHandle NewDateTime() override { return {}; }
    Status SetDateValue(DateHandle, std::int32_t, std::int32_t, std::int32_t) override {
        return {};
    }
    Status SetTimeValue(TimeHandle, std::int32_t, std::int32_t, double) override { return {}; }
    Status SetDateTimeValue(DateTimeHandle, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                            std::int32_t, double) override {
        return {};
    }
    Status SplitDate(DateHandle, std::int32_t&, std::int32_t&, std::int32_t&) override {
        return {};
    }
    Status SplitTime(TimeHandle, std::int32_t&, std::int32_t&, double&) override { return {}; }
    Status SplitDateTime(DateTimeHandle, std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&,
                         std::int32_t&, double&) override {
        return {};
    }
    DecimalHandle NewDecimal() override { return {}; }
    Status SetDecimalText(DecimalHandle, const char16_t*) override { return {}; }
    const char16_t* GetDecimalText(DecimalHandle) override { return {}; }
    void ReleaseDecimalText(const char16_t*) override {}
    ObjectHandle CreateProxyObject(ClassHandle) override { return {}; }
    Status AttachCallHandler(ObjectHandle, RemoteCallHandler*) override { return {}; }

private:
    std::map<StringHandle, std::u16string> strings_;
    std::map<ArrayHandle, std::map<std::int32_t, std::u16string>> arrays_;
    Handle lastHandle_ = 100;
};

// One argument or return value. Reads give what it was made with; writes are recorded.
class FakeValue final : public ScriptValue {
public:
    enum class Kind { Int, Boolean, String, Array };
    static FakeValue Int(std::int16_t v) { return FakeValue(Kind::Int, v); }
    static FakeValue Boolean(bool v) { return FakeValue(Kind::Boolean, v ? 1 : 0); }
    static FakeValue String(StringHandle h) { return FakeValue(Kind::String, std::int32_t(h)); }
    static FakeValue Array(ArrayHandle h) { return FakeValue(Kind::Array, std::int32_t(h)); }

    std::optional<std::int16_t> written; // the last SetInt

    void Reserved0() override {}
    ValueType GetType() override {
        switch (kind_) {
        case Kind::Int:
            return ValueType::Int;
        case Kind::Boolean:
            return ValueType::Boolean;
        default:
            return ValueType::String;
        }
    }
    bool IsArray() override { return kind_ == Kind::Array; }
    bool IsObject() override { return false; }
    void Reserved4() override {}
    void Reserved5() override {}
    bool IsNull() override { return false; }
    Status SetNull() override { return Status::Ok; }
    std::int16_t GetInt() override { return kind_ == Kind::Int ? std::int16_t(value_) : 0; }
    std::uint16_t GetUInt() override { return 0; }
    bool GetBoolean() override { return kind_ == Kind::Boolean && value_ != 0; }
    std::int32_t GetLong() override { return 0; }
    std::uint32_t GetULong() override { return 0; }
    float GetReal() override { return 0; }
    double GetDouble() override { return 0; }
    DecimalHandle GetDecimal() override { return 0; }
    void Reserved16() override {}
    StringHandle GetString() override { return kind_ == Kind::String ? Handle(value_) : 0; }
    ObjectHandle GetObject() override { return 0; }
    ArrayHandle GetArray() override { return kind_ == Kind::Array ? Handle(value_) : 0; }
    TimeHandle GetTime() override { return 0; }
    DateHandle GetDate() override { return 0; }
    DateTimeHandle GetDateTime() override { return 0; }
    std::int64_t GetLongLong() override { return 0; }
    BlobHandle GetBlob() override { return 0; }
    Status SetInt(std::int16_t v) override {
        written = v;
        return Status::Ok;
    }
    Status SetUInt(std::uint16_t) override { return Unexpected(); }
    Status SetBoolean(bool) override { return Unexpected(); }
    Status SetLong(std::int32_t) override { return Unexpected(); }
    Status SetULong(std::uint32_t) override { return Unexpected(); }
    Status SetReal(float) override { return Unexpected(); }
    Status SetDouble(double) override { return Unexpected(); }
    Status SetDecimal(DecimalHandle) override { return Unexpected(); }
    void Reserved41() override {}
    Status SetString(StringHandle) override { return Unexpected(); }
    Status SetStringText(const char16_t*) override { return Unexpected(); }
    Status SetArray(ArrayHandle) override { return Unexpected(); }
    Status SetTime(TimeHandle) override { return Unexpected(); }
    Status SetDate(DateHandle) override { return Unexpected(); }
    Status SetDateTime(DateTimeHandle) override { return Unexpected(); }
    Status SetLongLong(std::int64_t) override { return Unexpected(); }
    Status SetBlob(BlobHandle) override { return Unexpected(); }
    Status SetObject(ObjectHandle) override { return Unexpected(); }

    int unexpectedWrites = 0;

private:
    FakeValue(Kind k, std::int32_t v) : kind_(k), value_(v) {}
    Status Unexpected() {
        ++unexpectedWrites;
        return Status::TypeMismatch;
    }
    Kind kind_;
    std::int32_t value_;
};

class FakeFrame final : public CallFrame, public ArgumentList {
public:
    explicit FakeFrame(std::vector<FakeValue> args) : args_(std::move(args)) {}
    ArgumentList* GetArguments() override { return this; }
    ScriptValue* GetReturnValue() override { return &result; }
    std::int32_t GetCount() override { return std::int32_t(args_.size()); }
    ScriptValue* GetAt(std::int32_t i) override {
        return i >= 0 && i < GetCount() ? &args_[std::size_t(i)] : nullptr;
    }
    FakeValue& arg(std::size_t i) { return args_[i]; }

    FakeValue result = FakeValue::Int(0);

private:
    std::vector<FakeValue> args_;
};

} // namespace kf::uddi::test
