// The XML type table. This build carries the string row; the other scalar rows, the array
// forms and structures plug in here (EncodeValue / DecodeValue dispatch).
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

enum class NamespaceGroup { Xsd, SoapEnc };

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

struct XmlTypeRow {
    std::u16string_view localName;
    NamespaceGroup group;
    rt::ValueType type;
    void (*encode)(MarshalContext&, const XmlTypeRow&, const std::u16string& ns);
    void (*decode)(MarshalContext&, const XmlTypeRow&);
};

void SetTyped(MarshalContext& c, const XmlTypeRow& row, const std::u16string& ns,
              const std::string& text) {
    c.element.ClearValue();
    c.element.AddAttribute(SOAPQName("type", easysoap::kXsiNs))
        .Set(ToUtf8(row.localName), ToUtf8(ns));
    c.element.SetValue(text);
}

void EncodeString(MarshalContext& c, const XmlTypeRow& row, const std::u16string& ns) {
    if (c.slot.isNull) {
        c.element.SetNull(true);
        return;
    }
    SetTyped(c, row, ns, ToUtf8(StringText(c.runtime, c.slot.data.handle).value_or(u"")));
}

void DecodeString(MarshalContext& c, const XmlTypeRow& row) {
    if (c.element.IsNull()) {
        c.slot.isNull = true;
        return;
    }
    const auto text = rt::Utf8ToUtf16(c.element.GetString());
    if (!text)
        throw SOAPException("Can't convert UTF8 to UCS");
    c.slot.type = row.type;
    c.slot.isNull = false;
    c.slot.data.handle = c.runtime->NewString(text->c_str());
}

constexpr XmlTypeRow kRows[] = {
    {u"string", NamespaceGroup::Xsd, rt::ValueType::String, &EncodeString, &DecodeString},
};

const XmlTypeRow* FindRow(std::u16string_view local, std::u16string_view ns) {
    for (const XmlTypeRow& row : kRows) {
        if (row.localName == local && InGroup(row.group, ns))
            return &row;
    }
    return nullptr;
}

const XmlTypeRow& RowFor(MarshalContext& c, std::u16string& ns) {
    const std::size_t colon = c.typeName.find(u':');
    if (colon != std::u16string::npos) {
        ns = PrefixNamespace(c.runtime, c.proxy, c.typeName);
        const XmlTypeRow* row = FindRow(LocalPart(c.typeName), ns);
        if (row && row->type == c.slot.type)
            return *row;
    }
    throw SOAPException("Can't map the XML data type: " + ToUtf8(c.typeName));
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

void EncodeValue(MarshalContext& c) {
    if (c.form != ElementForm::Single || c.slot.isObject || c.slot.isArray) {
        throw SOAPException("Can't map the XML data type: " + ToUtf8(c.typeName));
    }
    std::u16string ns;
    const XmlTypeRow& row = RowFor(c, ns);
    row.encode(c, row, ns);
}

void DecodeValue(MarshalContext& c) {
    if (c.form != ElementForm::Single || c.slot.isObject || c.slot.isArray) {
        throw SOAPException("Can't map the XML data type: " + ToUtf8(c.typeName));
    }
    std::u16string ns;
    const XmlTypeRow& row = RowFor(c, ns);
    row.decode(c, row);
}

} // namespace kf::soap
