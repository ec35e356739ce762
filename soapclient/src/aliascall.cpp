#include "kf/soap/aliascall.h"

#include <stdexcept>

#include "kf/soap/aliasscanner.h"
#include "kf/soap/marshal.h"
#include "kf/soap/text.h"

namespace kf::soap {
namespace {

using K = AliasTokenKind;

struct Entry {
    bool sent = false;
    bool received = false;
    std::u16string type;
    ElementForm form = ElementForm::Single;
    std::u16string elementName = u"item";
    std::u16string name;
};

ValueSlot ArgumentSlot(rt::CallFrame* frame, std::int32_t index) {
    rt::ArgumentList* args = frame ? frame->GetArguments() : nullptr;
    if (!args || index >= args->GetCount())
        return ValueSlot{};
    return CopyValue(args->GetAt(index));
}

rt::ScriptValue* Argument(rt::CallFrame* frame, std::int32_t index) {
    rt::ArgumentList* args = frame ? frame->GetArguments() : nullptr;
    return args ? args->GetAt(index) : nullptr;
}

// After the type name: an optional array marker, then the parameter (or result) name.
void ReadMarkerAndName(AliasScanner& scanner, Entry& entry) {
    AliasToken t = scanner.Next();
    if (t.kind == K::LeftBracket) {
        entry.form = ElementForm::LiteralArray;
        for (t = scanner.Next(); t.kind != K::RightBracket; t = scanner.Next()) {
            if (t.kind == K::SoapElementName)
                entry.form = ElementForm::SoapEncodedArray;
            if (t.kind == K::Equals)
                entry.elementName = scanner.Next().text;
        }
        t = scanner.Next();
    }
    entry.name = t.text;
}

void Decode(rt::RuntimeContext* runtime, rt::ObjectHandle proxy, const Entry& entry,
            const easysoap::SOAPParameter& element, ValueSlot& slot) {
    if (element.IsNull())
        return;
    // The decoders only read the element (the context's reference is mutable for encoding),
    // so the response stays as it came for the entries after this one.
    MarshalContext context{const_cast<easysoap::SOAPParameter&>(element),
                           runtime,
                           proxy,
                           entry.type,
                           slot,
                           entry.form,
                           entry.elementName};
    DecodeValue(context);
}

} // namespace

AliasParts SplitAlias(std::u16string_view alias) {
    AliasParts parts;
    const std::size_t at = alias.find(u'@');
    std::u16string_view call = alias.substr(0, at);
    std::u16string_view header = at == std::u16string_view::npos ? alias : alias.substr(at + 1);
    const std::size_t star = header.find(u'*');
    if (star != std::u16string_view::npos) {
        const std::u16string_view element = header.substr(star + 1);
        const std::size_t star2 = element.find(u'*');
        parts.elementName = element.substr(0, star2);
        if (star2 != std::u16string_view::npos)
            parts.elementNs = element.substr(star2 + 1);
        header = header.substr(0, star);
    }
    const std::size_t at2 = header.find(u'@');
    if (at2 != std::u16string_view::npos) {
        parts.ns = header.substr(0, at2);
        std::u16string action(header.substr(at2 + 1));
        if (action == u"\"\"")
            action.clear();
        parts.action = action;
    } else {
        parts.ns = header;
    }
    const std::size_t paren = call.find(u'(');
    if (paren == std::u16string_view::npos) {
        throw std::invalid_argument("alias text without a parameter list");
    }
    parts.method = call.substr(0, paren);
    parts.parameters = call.substr(paren);
    return parts;
}

void BuildRequest(rt::RuntimeContext* runtime, rt::ObjectHandle proxy, rt::CallFrame* frame,
                  std::u16string_view parameters, easysoap::SOAPMethod& method) {
    AliasScanner scanner(parameters);
    if (scanner.Next().kind != K::LeftParen)
        return;
    for (std::int32_t i = 0;; ++i) {
        ValueSlot slot = ArgumentSlot(frame, i);
        AliasToken t = scanner.Next();
        if (t.kind == K::RightParen)
            return;
        Entry entry;
        for (t = scanner.Next(); t.kind != K::RightBracket; t = scanner.Next()) {
            if (t.kind == K::In)
                entry.sent = true;
        }
        entry.type = scanner.Next().text;
        ReadMarkerAndName(scanner, entry);
        if (entry.sent) {
            easysoap::SOAPParameter& element = method.AddParameter("");
            element.SetName(ToUtf8(entry.name), method.GetName().ns);
            MarshalContext context{element,    runtime,          proxy, entry.type, slot,
                                   entry.form, entry.elementName};
            EncodeValue(context);
        }
        if (scanner.Next().kind != K::Comma)
            return;
    }
}

void ReadResponse(rt::RuntimeContext* runtime, rt::ObjectHandle proxy, rt::CallFrame* frame,
                  std::u16string_view parameters, const easysoap::SOAPResponse& response) {
    const easysoap::SOAPParameter& result = response.GetMethod();
    AliasScanner scanner(parameters);
    if (scanner.Next().kind != K::LeftParen)
        return;
    for (std::int32_t i = 0;; ++i) {
        ValueSlot slot = ArgumentSlot(frame, i);
        AliasToken t = scanner.Next();
        if (t.kind == K::RightParen)
            break;
        Entry entry;
        if (t.kind == K::LeftBracket) {
            for (t = scanner.Next(); t.kind != K::RightBracket; t = scanner.Next()) {
                if (t.kind == K::Out)
                    entry.received = true;
            }
            entry.type = scanner.Next().text;
        } else {
            entry.received = true;
            entry.type = t.text;
        }
        ReadMarkerAndName(scanner, entry);
        if (entry.received) {
            Decode(runtime, proxy, entry, result.GetParameter(ToUtf8(entry.name)), slot);
        } else {
            slot.type = rt::ValueType::None;
        }
        WriteValue(Argument(frame, i), slot);
        if (scanner.Next().kind != K::Comma)
            break;
    }

    Entry ret;
    rt::ScriptValue* value = frame ? frame->GetReturnValue() : nullptr;
    try {
        if (scanner.Next().kind != K::Return)
            return;
        ret.type = scanner.Next().text;
        ReadMarkerAndName(scanner, ret);
    } catch (const SoapScannerException&) {
        return; // no return part
    }
    ValueSlot slot;
    if (value) {
        slot.isNull = value->IsNull();
        slot.isObject = value->IsObject();
        slot.isArray = value->IsArray() || value->GetType() == rt::ValueType::Any;
        slot.type = value->GetType();
    }
    const easysoap::SOAPParameter* element = result.FindParameter(ToUtf8(ret.name));
    if (!element)
        element = result.FindParameter("return");
    if (!element)
        (void)result.GetParameter(ToUtf8(ret.name)); // raises the first failure
    if (element->IsNull()) {
        slot.isNull = true; // a nil result is a null return value
    } else {
        slot.isNull = false;
        Decode(runtime, proxy, ret, *element, slot);
    }
    WriteValue(value, slot);
}

} // namespace kf::soap
