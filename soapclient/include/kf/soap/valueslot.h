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

} // namespace kf::soap
