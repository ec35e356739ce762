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
