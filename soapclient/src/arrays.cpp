#include "kf/soap/arrays.h"

#include <limits>
#include <optional>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "kf/soap/messages.h"
#include "kf/soap/runtimeaccess.h"
#include "kf/soap/text.h"

namespace kf::soap {
namespace {

using easysoap::SOAPException;
using easysoap::SOAPParameter;
using easysoap::SOAPQName;

// A declared size may leave gaps for offset and positions, but not so many that one short
// response makes the script array hold a great many empty items.
constexpr std::uint64_t kMaxDeclaredGap = std::uint64_t{1} << 16;

struct ArrayInfoHold {
    rt::RuntimeContext* runtime;
    rt::ArrayInfo* info;
    ~ArrayInfoHold() {
        if (info)
            runtime->ReleaseArrayInfo(info);
    }
};

// "[" digits "]" at the end of the text (the last "["). Empty brackets give `empty`;
// nothing for any other text.
struct Bracket {
    bool empty = false;
    std::uint64_t value = 0;
};
std::optional<Bracket> ReadBracket(std::string_view text) {
    const std::size_t open = text.rfind('[');
    if (open == std::string_view::npos || text.size() < open + 2 || text.back() != ']')
        return std::nullopt;
    const std::string_view digits = text.substr(open + 1, text.size() - open - 2);
    Bracket b;
    if (digits.empty()) {
        b.empty = true;
        return b;
    }
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        b.value = b.value * 10 + static_cast<std::uint64_t>(c - '0');
        if (b.value > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
    }
    return b;
}

// The attribute's text. The parser has already resolved a prefix into the namespace, so what
// is left is the text after the prefix, which holds the brackets.
std::string AttributeText(const SOAPQName& value) {
    return value.name;
}

const SOAPQName* EncodingAttribute(const SOAPParameter& element, const char* name) {
    return element.GetAttribute(SOAPQName(name, easysoap::kSoapEncNs));
}

[[noreturn]] void InvalidTag(const char* name, const SOAPQName& value) {
    throw SOAPException(FormattedMessage("Invalid value for array encoding tag '%s': %s", name,
                                         AttributeText(value).c_str()));
}

rt::ArrayHandle TargetArray(MarshalContext& c, rt::ValueType itemType) {
    // A fresh array: a longer array passed in must not keep stale items after the received ones.
    const rt::ArrayHandle array = c.runtime->NewUnboundedArray(itemType);
    if (array == rt::kNoHandle)
        throw SOAPException("Can't map the XML data type: " + ToUtf8(c.typeName));
    c.slot.isNull = false;
    c.slot.isArray = true;
    c.slot.type = itemType;
    c.slot.data.handle = array;
    return array;
}

} // namespace

ArrayElementName ResolveArrayElementName(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                         std::u16string_view elementName) {
    ArrayElementName result;
    result.local = LocalPart(elementName);
    if (elementName.find(u':') != std::u16string_view::npos) {
        result.ns = PrefixNamespace(runtime, proxy, elementName);
        return result;
    }
    const rt::ClassHandle cls = runtime->GetClass(proxy);
    for (const char16_t* name : {u"kf__schematargetnamespace", u"kf__targetnamespace"}) {
        if (cls != rt::kNoHandle && runtime->GetFieldId(cls, name) != rt::kNoField) {
            result.ns = StringField(runtime, proxy, name).value_or(u"");
            break;
        }
    }
    return result;
}

void RefuseBoundedArray(rt::RuntimeContext* runtime, const ValueSlot& slot, const char* message) {
    if (slot.isNull || slot.data.handle == rt::kNoHandle)
        return;
    ArrayInfoHold hold{runtime, runtime->GetArrayInfo(slot.data.handle)};
    if (hold.info && hold.info->kind == rt::ArrayKind::Bounded)
        throw SOAPException(message);
}

std::uint32_t ArrayLength(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    if (slot.isNull || slot.data.handle == rt::kNoHandle)
        return 0;
    return runtime->GetArrayLength(slot.data.handle);
}

void MarkEncodedArray(SOAPParameter& element, std::string_view itemType,
                      std::string_view itemTypeNs, std::size_t count) {
    element.ClearValue();
    element.AddAttribute(SOAPQName("type", easysoap::kXsiNs)).Set("Array", easysoap::kSoapEncNs);
    element.AddAttribute(SOAPQName("arrayType", easysoap::kSoapEncNs))
        .Set(std::string(itemType) + "[" + std::to_string(count) + "]", itemTypeNs);
    element.SetIsStruct();
}

std::vector<DecodedItem> ReadEncodedArrayItems(const SOAPParameter& element) {
    const auto& children = element.GetArray();
    if (element.GetAttribute(SOAPQName("nil", easysoap::kXsiNs))) {
        if (!children.empty())
            throw SOAPException("Got xsi:nil attribute on array but parameter has values..");
        return {};
    }
    std::uint64_t size = children.size();
    if (const SOAPQName* arrayType = EncodingAttribute(element, "arrayType")) {
        const auto b = ReadBracket(AttributeText(*arrayType));
        if (!b || (!b->empty && b->value > children.size() + kMaxDeclaredGap))
            InvalidTag("arrayType", *arrayType);
        if (!b->empty)
            size = b->value;
    }
    if (size < children.size()) {
        throw SOAPException(FormattedMessage(
            "Error de-serializing array.  Too many values in array.  Array specified %u, found %u.",
            static_cast<unsigned>(size), static_cast<unsigned>(children.size())));
    }
    std::uint64_t current = 0;
    if (const SOAPQName* offset = EncodingAttribute(element, "offset")) {
        const auto b = ReadBracket(AttributeText(*offset));
        if (!b || b->empty)
            InvalidTag("offset", *offset);
        current = b->value;
    }
    std::vector<DecodedItem> items(static_cast<std::size_t>(size));
    for (const auto& child : children) {
        if (const SOAPQName* position = EncodingAttribute(*child, "position")) {
            const auto b = ReadBracket(AttributeText(*position));
            if (!b || b->empty)
                InvalidTag("position", *position);
            if (b->value < current) {
                throw SOAPException(FormattedMessage(
                    "Error decoding array, position attribute cannot point to a "
                    "previous element. Current position: [%d], next position: [%d]",
                    static_cast<int>(current), static_cast<int>(b->value)));
            }
            current = b->value;
        }
        // Also an offset that pushes the children past the declared size.
        if (current >= size) {
            throw SOAPException(FormattedMessage("Error decoding array, position out of range. "
                                                 "Current size: [%d], requested position: [%d]",
                                                 static_cast<int>(size),
                                                 static_cast<int>(current)));
        }
        DecodedItem& item = items[static_cast<std::size_t>(current)];
        item.null = child->IsNull();
        if (!item.null)
            item.text = child->GetString();
        ++current;
    }
    return items;
}

void EncodeSoapArray(MarshalContext& c, const RowMatch& match) {
    RefuseBoundedArray(c.runtime, c.slot, kBoundedArrayMessage);
    const std::uint32_t count = ArrayLength(c.runtime, c.slot);
    // Every item is converted (range checks included) before the element changes.
    std::vector<std::optional<std::string>> texts;
    texts.reserve(count);
    for (std::uint32_t i = 1; i <= count; ++i) {
        const ValueSlot item = CopyArrayItem(c.runtime, c.slot.data.handle,
                                             static_cast<std::int32_t>(i), match.row->type);
        if (item.isNull)
            texts.emplace_back();
        else
            texts.emplace_back(match.row->toText(c.runtime, item));
    }
    MarkEncodedArray(c.element, ToUtf8(match.row->localName), ToUtf8(match.ns), count);
    const std::string name =
        ToUtf8(ResolveArrayElementName(c.runtime, c.proxy, c.elementName).local);
    for (auto& text : texts) {
        SOAPParameter& child = c.element.AddParameter(name);
        if (text)
            child.SetValue(*text);
        else
            child.SetNull(true);
    }
}

void DecodeSoapArray(MarshalContext& c, const XmlTypeRow& row) {
    RefuseBoundedArray(c.runtime, c.slot, kBoundedArrayMessage);
    const std::vector<DecodedItem> items = ReadEncodedArrayItems(c.element);
    const rt::ArrayHandle array = TargetArray(c, row.type);
    std::int32_t index = 1;
    for (const DecodedItem& item : items) {
        ValueSlot value;
        value.type = row.type;
        if (item.null)
            value.isNull = true;
        else
            row.fromText(c.runtime, item.text, value);
        WriteArrayItem(c.runtime, array, index++, value);
    }
}

void EncodeLiteralArray(MarshalContext& c, const RowMatch& match) {
    RefuseBoundedArray(c.runtime, c.slot, kBoundedArrayMessage);
    const std::uint32_t count = ArrayLength(c.runtime, c.slot);
    const ArrayElementName name = ResolveArrayElementName(c.runtime, c.proxy, c.elementName);
    const std::string local = ToUtf8(name.local), ns = ToUtf8(name.ns);
    for (std::uint32_t i = 1; i <= count; ++i) {
        ValueSlot item = CopyArrayItem(c.runtime, c.slot.data.handle, static_cast<std::int32_t>(i),
                                       match.row->type);
        SOAPParameter& child = c.element.AddParameter("item");
        child.SetName(local, ns);
        MarshalContext itemContext{child, c.runtime, c.proxy, c.typeName, item};
        EncodeScalar(itemContext, match);
    }
}

void DecodeLiteralArray(MarshalContext& c, const XmlTypeRow& row) {
    RefuseBoundedArray(c.runtime, c.slot, kBoundedArrayMessage);
    const rt::ArrayHandle array = TargetArray(c, row.type);
    std::int32_t index = 1;
    for (auto& child : c.element.GetArray()) {
        ValueSlot item;
        item.type = row.type;
        MarshalContext itemContext{*child, c.runtime, c.proxy, c.typeName, item};
        DecodeScalar(itemContext, row);
        WriteArrayItem(c.runtime, array, index++, item);
    }
}

} // namespace kf::soap
