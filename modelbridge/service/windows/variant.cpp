#include "kf/model/dispatch.h"

namespace kf::model {

Value FromVariant(const VARIANT& in) {
    const VARIANT* v = &in;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v))
        v = V_VARIANTREF(v);
    switch (V_VT(v)) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_BOOL:
        return Value(V_BOOL(v) != VARIANT_FALSE);
    case VT_I1:
        return Value(static_cast<std::int32_t>(V_I1(v)));
    case VT_I2:
        return Value(static_cast<std::int32_t>(V_I2(v)));
    case VT_I4:
        return Value(static_cast<std::int32_t>(V_I4(v)));
    case VT_INT:
        return Value(static_cast<std::int32_t>(V_INT(v)));
    case VT_UI1:
        return Value(static_cast<std::uint32_t>(V_UI1(v)));
    case VT_UI2:
        return Value(static_cast<std::uint32_t>(V_UI2(v)));
    case VT_UI4:
        return Value(static_cast<std::uint32_t>(V_UI4(v)));
    case VT_UINT:
        return Value(static_cast<std::uint32_t>(V_UINT(v)));
    case VT_BSTR: {
        BSTR b = V_BSTR(v);
        return Value(std::u16string(reinterpret_cast<const char16_t*>(b ? b : L""),
                                    b ? SysStringLen(b) : 0));
    }
    case VT_DISPATCH:
        return Value(FromDispatch(V_DISPATCH(v)));
    case VT_UNKNOWN: {
        IDispatch* d = nullptr;
        if (V_UNKNOWN(v))
            V_UNKNOWN(v)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
        ObjectRef o = FromDispatch(d);
        if (d)
            d->Release();
        return Value(o);
    }
    default: {
        // Anything else (dates, doubles, ...) as its text, as callers read it.
        VARIANT text;
        VariantInit(&text);
        Value out;
        if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(v), 0, VT_BSTR)))
            out = FromVariant(text);
        VariantClear(&text);
        return out;
    }
    }
}

void ToVariant(const Value& value, VARIANT* out) {
    VariantInit(out);
    switch (value.kind()) {
    case Value::Kind::Empty:
        break;
    case Value::Kind::Bool:
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = value.AsBool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case Value::Kind::Int:
        V_VT(out) = VT_I4;
        V_I4(out) = value.AsInt();
        break;
    case Value::Kind::UInt:
        V_VT(out) = VT_UI4;
        V_UI4(out) = value.AsUInt();
        break;
    case Value::Kind::String: {
        std::u16string s = value.AsString();
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()),
                                        static_cast<UINT>(s.size()));
        break;
    }
    case Value::Kind::Object:
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = ToDispatch(value.AsObject());
        break;
    }
}

std::u16string SystemMessage(HRESULT hr) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string out;
    if (n && text)
        out.assign(reinterpret_cast<const char16_t*>(text), n);
    if (text)
        LocalFree(text);
    while (!out.empty() && (out.back() == u'\r' || out.back() == u'\n' || out.back() == u' '))
        out.pop_back();
    return out;
}

} // namespace kf::model
