// The XML type table. This build carries the string row.
#include "kf/soap/xmltypes.h"

#include <array>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "kf/soap/runtimeaccess.h"
#include "kf/soap/text.h"

namespace kf::soap {
namespace {

using easysoap::SOAPException;
using easysoap::SOAPQName;

bool InGroup(NamespaceGroup group, std::u16string_view ns) {
    static constexpr std::array<std::u16string_view, 4> kXsd = {
        u"http://www.w3.org/1999/XMLSchema", u"http://www.w3.org/1999/XMLSchema/",
        u"http://www.w3.org/2001/XMLSchema", u"http://www.w3.org/2001/XMLSchema/"};
    static constexpr std::array<std::u16string_view, 2> kSoapEnc = {
        u"http://schemas.xmlsoap.org/soap/encoding", u"http://schemas.xmlsoap.org/soap/encoding/"};
    if (group == NamespaceGroup::Xsd) {
        for (auto n : kXsd) {
            if (n == ns)
                return true;
        }
        return false;
    }
    for (auto n : kSoapEnc) {
        if (n == ns)
            return true;
    }
    return false;
}

std::string StringToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    return ToUtf8(StringText(runtime, slot.data.handle).value_or(u""));
}

void StringFromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    const auto utf16 = rt::Utf8ToUtf16(text);
    if (!utf16)
        throw SOAPException("Can't convert UTF8 to UCS");
    slot.type = rt::ValueType::String;
    slot.data.handle = runtime->NewString(utf16->c_str());
}

constexpr XmlTypeRow kRows[] = {
    {u"string", NamespaceGroup::Xsd, rt::ValueType::String, &StringToText, &StringFromText},
};

const XmlTypeRow* FindRow(std::u16string_view local, std::u16string_view ns) {
    for (const XmlTypeRow& row : kRows) {
        if (row.localName == local && InGroup(row.group, ns))
            return &row;
    }
    return nullptr;
}

} // namespace

std::u16string LocalPart(std::u16string_view qualifiedName) {
    const std::size_t colon = qualifiedName.find(u':');
    return std::u16string(colon == std::u16string_view::npos ? qualifiedName
                                                             : qualifiedName.substr(colon + 1));
}

std::u16string PrefixNamespace(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                               std::u16string_view qualifiedName) {
    const std::size_t colon = qualifiedName.find(u':');
    if (colon == std::u16string_view::npos)
        return {};
    return StringField(runtime, proxy, Lower(qualifiedName.substr(0, colon))).value_or(u"");
}

RowMatch LookupRow(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                   std::u16string_view typeName, rt::ValueType slotType) {
    if (typeName.find(u':') != std::u16string_view::npos) {
        std::u16string ns = PrefixNamespace(runtime, proxy, typeName);
        const XmlTypeRow* row = FindRow(LocalPart(typeName), ns);
        if (row && row->type == slotType)
            return {row, std::move(ns)};
    }
    throw SOAPException("Can't map the XML data type: " + ToUtf8(typeName));
}

const XmlTypeRow* FindRowByName(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                std::u16string_view typeName) {
    if (typeName.find(u':') == std::u16string_view::npos)
        return nullptr;
    return FindRow(LocalPart(typeName), PrefixNamespace(runtime, proxy, typeName));
}

void EncodeScalar(MarshalContext& c, const RowMatch& match) {
    if (c.slot.isNull) {
        c.element.SetNull(true);
        return;
    }
    const std::string text = match.row->toText(c.runtime, c.slot);
    c.element.ClearValue();
    c.element.AddAttribute(SOAPQName("type", easysoap::kXsiNs))
        .Set(ToUtf8(match.row->localName), ToUtf8(match.ns));
    c.element.SetValue(text);
}

void DecodeScalar(MarshalContext& c, const XmlTypeRow& row) {
    if (c.element.IsNull()) {
        c.slot.isNull = true;
        return;
    }
    c.slot.isNull = false;
    row.fromText(c.runtime, c.element.GetString(), c.slot);
}

} // namespace kf::soap
