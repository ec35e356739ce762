#include "kf/soap/valueslot.h"

namespace kf::soap {

using rt::ValueType;

ValueSlot CopyValue(rt::ScriptValue* value) {
    ValueSlot slot;
    if (!value)
        return slot;
    slot.isNull = value->IsNull();
    slot.isObject = value->IsObject();
    slot.isArray = value->IsArray();
    slot.type = value->GetType();
    if (slot.isNull)
        return slot;
    if (slot.isArray) {
        slot.data.handle = value->GetArray();
    } else if (slot.isObject) {
        slot.data.handle = value->GetObject();
    } else {
        switch (slot.type) {
        case ValueType::Int:
            slot.data.int16 = value->GetInt();
            break;
        case ValueType::Long:
            slot.data.int32 = value->GetLong();
            break;
        case ValueType::Real:
            slot.data.real = value->GetReal();
            break;
        case ValueType::Double:
            slot.data.dbl = value->GetDouble();
            break;
        case ValueType::Decimal:
            slot.data.handle = value->GetDecimal();
            break;
        case ValueType::String:
            slot.data.handle = value->GetString();
            break;
        case ValueType::Boolean:
            slot.data.boolean = value->GetBoolean();
            break;
        case ValueType::UInt:
            slot.data.uint16 = value->GetUInt();
            break;
        case ValueType::ULong:
            slot.data.uint32 = value->GetULong();
            break;
        case ValueType::Blob:
            slot.data.handle = value->GetBlob();
            break;
        case ValueType::Date:
            slot.data.handle = value->GetDate();
            break;
        case ValueType::Time:
            slot.data.handle = value->GetTime();
            break;
        case ValueType::DateTime:
            slot.data.handle = value->GetDateTime();
            break;
        case ValueType::LongLong:
            slot.data.int64 = value->GetLongLong();
            break;
        default:
            break;
        }
    }
    return slot;
}

void WriteValue(rt::ScriptValue* value, const ValueSlot& slot) {
    if (!value || slot.type == ValueType::None)
        return;
    if (slot.isNull) {
        value->SetNull();
    } else if (slot.isArray) {
        value->SetArray(slot.data.handle);
    } else if (slot.isObject) {
        value->SetObject(slot.data.handle);
    } else {
        switch (slot.type) {
        case ValueType::Int:
            value->SetInt(slot.data.int16);
            break;
        case ValueType::Long:
            value->SetLong(slot.data.int32);
            break;
        case ValueType::Real:
            value->SetReal(slot.data.real);
            break;
        case ValueType::Double:
            value->SetDouble(slot.data.dbl);
            break;
        case ValueType::Decimal:
            value->SetDecimal(slot.data.handle);
            break;
        case ValueType::String:
            value->SetString(slot.data.handle);
            break;
        case ValueType::Boolean:
            value->SetBoolean(slot.data.boolean);
            break;
        case ValueType::UInt:
            value->SetUInt(slot.data.uint16);
            break;
        case ValueType::ULong:
            value->SetULong(slot.data.uint32);
            break;
        case ValueType::Blob:
            value->SetBlob(slot.data.handle);
            break;
        case ValueType::Date:
            value->SetDate(slot.data.handle);
            break;
        case ValueType::Time:
            value->SetTime(slot.data.handle);
            break;
        case ValueType::DateTime:
            value->SetDateTime(slot.data.handle);
            break;
        case ValueType::LongLong:
            value->SetLongLong(slot.data.int64);
            break;
        default:
            break;
        }
    }
}

} // namespace kf::soap

namespace kf::soap {

ValueSlot CopyArrayItem(rt::RuntimeContext* rt, rt::ArrayHandle a, std::int32_t index,
                        ValueType type) {
    ValueSlot slot;
    slot.type = type;
    slot.isObject = type == ValueType::Object;
    const std::int32_t* i = &index;
    bool n = false;
    auto& d = slot.data;
    switch (type) {
    case ValueType::Int:
        d.int16 = rt->GetIntArrayItem(a, i, n);
        break;
    case ValueType::Long:
        d.int32 = rt->GetLongArrayItem(a, i, n);
        break;
    case ValueType::Real:
        d.real = rt->GetRealArrayItem(a, i, n);
        break;
    case ValueType::Double:
        d.dbl = rt->GetDoubleArrayItem(a, i, n);
        break;
    case ValueType::Decimal:
        d.handle = rt->GetDecimalArrayItem(a, i, n);
        break;
    case ValueType::String:
        d.handle = rt->GetStringArrayItem(a, i, n);
        break;
    case ValueType::Boolean:
        d.boolean = rt->GetBooleanArrayItem(a, i, n);
        break;
    case ValueType::UInt:
        d.uint16 = rt->GetUIntArrayItem(a, i, n);
        break;
    case ValueType::ULong:
        d.uint32 = rt->GetULongArrayItem(a, i, n);
        break;
    case ValueType::Blob:
        d.handle = rt->GetBlobArrayItem(a, i, n);
        break;
    case ValueType::Date:
        d.handle = rt->GetDateArrayItem(a, i, n);
        break;
    case ValueType::Time:
        d.handle = rt->GetTimeArrayItem(a, i, n);
        break;
    case ValueType::DateTime:
        d.handle = rt->GetDateTimeArrayItem(a, i, n);
        break;
    case ValueType::LongLong:
        d.int64 = rt->GetLongLongArrayItem(a, i, n);
        break;
    case ValueType::Object:
        d.handle = rt->GetObjectArrayItem(a, i, n);
        break;
    default:
        n = true;
        break;
    }
    slot.isNull = n;
    return slot;
}

void WriteArrayItem(rt::RuntimeContext* rt, rt::ArrayHandle a, std::int32_t index,
                    const ValueSlot& slot) {
    const std::int32_t* i = &index;
    if (slot.isNull) {
        rt->SetArrayItemNull(a, i);
        return;
    }
    const auto& d = slot.data;
    if (slot.isObject) {
        rt->SetObjectArrayItem(a, i, d.handle);
        return;
    }
    switch (slot.type) {
    case ValueType::Int:
        rt->SetIntArrayItem(a, i, d.int16);
        break;
    case ValueType::Long:
        rt->SetLongArrayItem(a, i, d.int32);
        break;
    case ValueType::Real:
        rt->SetRealArrayItem(a, i, d.real);
        break;
    case ValueType::Double:
        rt->SetDoubleArrayItem(a, i, d.dbl);
        break;
    case ValueType::Decimal:
        rt->SetDecimalArrayItem(a, i, d.handle);
        break;
    case ValueType::String:
        rt->SetStringArrayItem(a, i, d.handle);
        break;
    case ValueType::Boolean:
        rt->SetBooleanArrayItem(a, i, d.boolean);
        break;
    case ValueType::UInt:
        rt->SetUIntArrayItem(a, i, d.uint16);
        break;
    case ValueType::ULong:
        rt->SetULongArrayItem(a, i, d.uint32);
        break;
    case ValueType::Blob:
        rt->SetBlobArrayItem(a, i, d.handle);
        break;
    case ValueType::Date:
        rt->SetDateArrayItem(a, i, d.handle);
        break;
    case ValueType::Time:
        rt->SetTimeArrayItem(a, i, d.handle);
        break;
    case ValueType::DateTime:
        rt->SetDateTimeArrayItem(a, i, d.handle);
        break;
    case ValueType::LongLong:
        rt->SetLongLongArrayItem(a, i, d.int64);
        break;
    default:
        break;
    }
}

ValueSlot CopyField(rt::RuntimeContext* rt, rt::ObjectHandle o, rt::ClassHandle cls,
                    rt::FieldId f) {
    ValueSlot slot;
    slot.type = rt->GetFieldType(cls, f);
    slot.isArray = rt->IsFieldArray(cls, f);
    slot.isObject = rt->IsFieldObject(cls, f);
    bool n = false;
    auto& d = slot.data;
    if (slot.isArray) {
        d.handle = rt->GetArrayField(o, f, n);
    } else if (slot.isObject) {
        d.handle = rt->GetObjectField(o, f, n);
    } else {
        switch (slot.type) {
        case ValueType::Int:
            d.int16 = rt->GetIntField(o, f, n);
            break;
        case ValueType::Long:
            d.int32 = rt->GetLongField(o, f, n);
            break;
        case ValueType::Real:
            d.real = rt->GetRealField(o, f, n);
            break;
        case ValueType::Double:
            d.dbl = rt->GetDoubleField(o, f, n);
            break;
        case ValueType::Decimal:
            d.handle = rt->GetDecimalField(o, f, n);
            break;
        case ValueType::String:
            d.handle = rt->GetStringField(o, f, n);
            break;
        case ValueType::Boolean:
            d.boolean = rt->GetBooleanField(o, f, n);
            break;
        case ValueType::UInt:
            d.uint16 = rt->GetUIntField(o, f, n);
            break;
        case ValueType::ULong:
            d.uint32 = rt->GetULongField(o, f, n);
            break;
        case ValueType::Blob:
            d.handle = rt->GetBlobField(o, f, n);
            break;
        case ValueType::Date:
            d.handle = rt->GetDateField(o, f, n);
            break;
        case ValueType::Time:
            d.handle = rt->GetTimeField(o, f, n);
            break;
        case ValueType::DateTime:
            d.handle = rt->GetDateTimeField(o, f, n);
            break;
        case ValueType::LongLong:
            d.int64 = rt->GetLongLongField(o, f, n);
            break;
        default:
            n = rt->IsFieldNull(o, f);
            break;
        }
    }
    slot.isNull = n;
    return slot;
}

void WriteField(rt::RuntimeContext* rt, rt::ObjectHandle o, rt::FieldId f, const ValueSlot& slot) {
    if (slot.type == ValueType::None)
        return;
    const auto& d = slot.data;
    if (slot.isNull) {
        rt->SetFieldNull(o, f);
    } else if (slot.isArray) {
        rt->SetArrayField(o, f, d.handle);
    } else if (slot.isObject) {
        rt->SetObjectField(o, f, d.handle);
    } else {
        switch (slot.type) {
        case ValueType::Int:
            rt->SetIntField(o, f, d.int16);
            break;
        case ValueType::Long:
            rt->SetLongField(o, f, d.int32);
            break;
        case ValueType::Real:
            rt->SetRealField(o, f, d.real);
            break;
        case ValueType::Double:
            rt->SetDoubleField(o, f, d.dbl);
            break;
        case ValueType::Decimal:
            rt->SetDecimalField(o, f, d.handle);
            break;
        case ValueType::String:
            rt->SetStringField(o, f, d.handle);
            break;
        case ValueType::Boolean:
            rt->SetBooleanField(o, f, d.boolean);
            break;
        case ValueType::UInt:
            rt->SetUIntField(o, f, d.uint16);
            break;
        case ValueType::ULong:
            rt->SetULongField(o, f, d.uint32);
            break;
        case ValueType::Blob:
            rt->SetBlobField(o, f, d.handle);
            break;
        case ValueType::Date:
            rt->SetDateField(o, f, d.handle);
            break;
        case ValueType::Time:
            rt->SetTimeField(o, f, d.handle);
            break;
        case ValueType::DateTime:
            rt->SetDateTimeField(o, f, d.handle);
            break;
        case ValueType::LongLong:
            rt->SetLongLongField(o, f, d.int64);
            break;
        default:
            break;
        }
    }
}

} // namespace kf::soap
