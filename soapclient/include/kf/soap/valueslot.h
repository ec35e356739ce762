// The extension's copy of one script value between the runtime and a SOAP element.
#pragma once

#include "kf/rt/runtimeext.h"

namespace kf::soap {

struct ValueSlot {
    bool isNull = false;
    bool isObject = false;
    bool isArray = false;
    rt::ValueType type = rt::ValueType::None; // None: not written back
    union Data {
        std::int16_t int16;
        std::uint16_t uint16;
        std::int32_t int32;
        std::uint32_t uint32;
        std::int64_t int64;
        float real;
        double dbl;
        bool boolean;
        rt::Handle handle; // string, decimal, blob, date, time, datetime, object or array
    } data{};
};

// A slot of type None for a missing value.
ValueSlot CopyValue(rt::ScriptValue* value);
// Nothing for type None; null, array, object or the typed setter otherwise.
void WriteValue(rt::ScriptValue* value, const ValueSlot& slot);

// Item `index` (1-based) of a one-dimensional array, read with the getter of `type`
// (ValueType::Object: the object getter).
ValueSlot CopyArrayItem(rt::RuntimeContext* runtime, rt::ArrayHandle array, std::int32_t index,
                        rt::ValueType type);
// A null slot clears the item; otherwise the setter of the slot's type (objects last).
void WriteArrayItem(rt::RuntimeContext* runtime, rt::ArrayHandle array, std::int32_t index,
                    const ValueSlot& slot);

// A field of a script object: flags and type from its class, the value with the typed getter.
ValueSlot CopyField(rt::RuntimeContext* runtime, rt::ObjectHandle object, rt::ClassHandle cls,
                    rt::FieldId field);
// Null sets the field null; arrays and objects use their setters, scalars the typed one.
void WriteField(rt::RuntimeContext* runtime, rt::ObjectHandle object, rt::FieldId field,
                const ValueSlot& slot);

} // namespace kf::soap
