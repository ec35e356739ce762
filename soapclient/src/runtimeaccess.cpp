#include "kf/soap/runtimeaccess.h"

namespace kf::soap {

std::optional<std::u16string_view> StringView(rt::RuntimeContext* context,
                                              rt::StringHandle string) {
    if (string == rt::kNoHandle)
        return std::nullopt;
    const char16_t* text = context->GetStringText(string);
    if (!text)
        return std::nullopt;
    return std::u16string_view(text);
}

std::optional<std::u16string> StringText(rt::RuntimeContext* context, rt::StringHandle string) {
    if (const auto text = StringView(context, string))
        return std::u16string(*text);
    return std::nullopt;
}

std::optional<std::u16string> StringArgument(rt::RuntimeContext* context, rt::CallFrame* frame,
                                             std::int32_t index) {
    if (!frame || !frame->GetArguments())
        return std::nullopt;
    rt::ScriptValue* value = frame->GetArguments()->GetAt(index);
    if (!value || value->IsNull() || value->IsArray() || value->IsObject())
        return std::nullopt;
    return StringText(context, value->GetString());
}

std::optional<std::u16string> StringField(rt::RuntimeContext* context, rt::ObjectHandle object,
                                          std::u16string_view name) {
    const rt::ClassHandle cls = context->GetClass(object);
    if (cls == rt::kNoHandle)
        return std::nullopt;
    const std::u16string key(name);
    const rt::FieldId field = context->GetFieldId(cls, key.c_str());
    if (field == rt::kNoField)
        return std::nullopt;
    bool isNull = false;
    const rt::StringHandle s = context->GetStringField(object, field, isNull);
    if (isNull)
        return std::nullopt;
    return StringText(context, s);
}

} // namespace kf::soap
