#include "kf/soap/structures.h"

#include <optional>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "kf/soap/aliasscanner.h"
#include "kf/soap/arrays.h"
#include "kf/soap/reservedwords.h"
#include "kf/soap/runtimeaccess.h"
#include "kf/soap/text.h"
#include "kf/soap/xmltypes.h"

namespace kf::soap {
namespace {

using easysoap::SOAPException;
using easysoap::SOAPParameter;
using easysoap::SOAPQName;
using K = AliasTokenKind;

[[noreturn]] void CannotMap(std::u16string_view typeName) {
    throw SOAPException("Can't map the XML data type: " + ToUtf8(typeName));
}

std::u16string Trimmed(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return std::u16string(text);
}

std::vector<StructureField> ReadFieldList(std::u16string_view list) {
    std::vector<StructureField> fields;
    AliasScanner scanner(list, true);
    if (scanner.Next().kind != K::LeftParen)
        throw SoapScannerException{};
    AliasToken t = scanner.Next();
    if (t.kind == K::RightParen)
        return fields;
    for (;;) {
        StructureField f;
        f.type = t.text;
        t = scanner.Next();
        if (t.kind == K::LeftBracket) {
            f.form = ElementForm::LiteralArray;
            for (t = scanner.Next(); t.kind != K::RightBracket; t = scanner.Next()) {
                if (t.kind == K::SoapElementName)
                    f.form = ElementForm::SoapEncodedArray;
                if (t.kind == K::Equals)
                    f.elementName = scanner.Next().text;
            }
            t = scanner.Next();
        }
        f.name = t.text;
        f.scriptName = ScriptFieldName(f.name);
        fields.push_back(std::move(f));
        t = scanner.Next();
        if (t.kind != K::Comma)
            return fields;
        t = scanner.Next();
    }
}

// What the fields of one class need for every item: field ids, element names and the type
// rows of single values, looked up once for all the items of an array. A field's script type
// is fixed by its class, so its row does not change from item to item.
class FieldIds {
public:
    explicit FieldIds(const StructureDescriptor& d)
        : d_(d), xmlType_(ToUtf8(d.xmlType)), ns_(ToUtf8(d.ns)) {
        names_.reserve(d.fields.size());
        for (const StructureField& f : d.fields)
            names_.push_back(ToUtf8(f.name));
    }

    const std::vector<rt::FieldId>& For(rt::RuntimeContext* runtime, rt::ClassHandle cls) {
        if (cls == cls_ && !ids_.empty())
            return ids_;
        cls_ = cls;
        ids_.clear();
        rows_.assign(d_.fields.size(), std::nullopt);
        for (const StructureField& f : d_.fields) {
            const rt::FieldId id = runtime->GetFieldId(cls, f.scriptName.c_str());
            if (id == rt::kNoField) {
                // A proxy and its structures are generated together; a missing member would
                // otherwise lose the value without a word.
                throw SOAPException("Structure " + ToUtf8(d_.className) + " has no field " +
                                    ToUtf8(f.scriptName));
            }
            ids_.push_back(id);
        }
        return ids_;
    }

    const std::string& Name(std::size_t i) const { return names_[i]; }
    const std::string& XmlType() const { return xmlType_; }
    const std::string& Ns() const { return ns_; }

    // The row of a single scalar field, or nullptr when the field takes the general path
    // (structures, arrays, any).
    const RowMatch* Row(const MarshalContext& c, std::size_t i, const ValueSlot& slot) {
        const StructureField& f = d_.fields[i];
        if (f.form != ElementForm::Single || slot.isObject || slot.type == rt::ValueType::Any)
            return nullptr;
        if (!rows_[i] || rows_[i]->row->type != slot.type)
            rows_[i] = LookupRow(c.runtime, c.proxy, f.type, slot.type);
        return &*rows_[i];
    }

private:
    const StructureDescriptor& d_;
    std::string xmlType_, ns_;
    rt::ClassHandle cls_ = rt::kNoHandle;
    std::vector<rt::FieldId> ids_;
    std::vector<std::string> names_;
    std::vector<std::optional<RowMatch>> rows_;
};

void EncodeFields(MarshalContext& c, const StructureDescriptor& d, FieldIds& ids,
                  rt::ObjectHandle object, SOAPParameter& element) {
    const rt::ClassHandle cls = c.runtime->GetClass(object);
    const auto& fieldIds = ids.For(c.runtime, cls);
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
        const StructureField& f = d.fields[i];
        ValueSlot slot = CopyField(c.runtime, object, cls, fieldIds[i]);
        SOAPParameter& child = element.AddParameter("");
        child.SetName(ids.Name(i), element.GetName().ns);
        MarshalContext fc{child, c.runtime, c.proxy, f.type, slot, f.form, f.elementName};
        if (const RowMatch* row = ids.Row(fc, i, slot))
            EncodeScalar(fc, *row);
        else
            EncodeValue(fc);
    }
}

void DecodeFields(MarshalContext& c, const StructureDescriptor& d, FieldIds& ids,
                  rt::ObjectHandle object, const SOAPParameter& element) {
    const rt::ClassHandle cls = c.runtime->GetClass(object);
    const auto& fieldIds = ids.For(c.runtime, cls);
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
        const StructureField& f = d.fields[i];
        // The decoders only read the element; the context's reference is mutable for encoding.
        auto* child = const_cast<SOAPParameter*>(element.FindParameter(ids.Name(i)));
        if (!child || child->IsNull())
            continue; // a missing field element leaves the field as it is
        ValueSlot slot = CopyField(c.runtime, object, cls, fieldIds[i]);
        MarshalContext fc{*child, c.runtime, c.proxy, f.type, slot, f.form, f.elementName};
        if (const RowMatch* row = ids.Row(fc, i, slot))
            DecodeScalar(fc, *row->row);
        else
            DecodeValue(fc);
        WriteField(c.runtime, object, fieldIds[i], slot);
    }
}

void EncodeTyped(MarshalContext& c, const StructureDescriptor& d, FieldIds& ids,
                 rt::ObjectHandle object, SOAPParameter& element) {
    if (object == rt::kNoHandle) {
        element.SetNull(true);
        return;
    }
    element.ClearValue();
    element.AddAttribute(SOAPQName("type", easysoap::kXsiNs)).Set(ids.XmlType(), ids.Ns());
    EncodeFields(c, d, ids, object, element);
}

rt::ClassHandle RequireClass(rt::RuntimeContext* runtime, const StructureDescriptor& d,
                             std::u16string_view typeName) {
    const rt::ClassHandle cls = FindStructureClass(runtime, d.className);
    if (cls == rt::kNoHandle)
        CannotMap(typeName);
    return cls;
}

rt::ObjectHandle NewStructure(rt::RuntimeContext* runtime, rt::ClassHandle cls,
                              std::u16string_view typeName) {
    const rt::ObjectHandle object = runtime->CreateScriptObject(cls);
    if (object == rt::kNoHandle)
        CannotMap(typeName);
    return object;
}

} // namespace

std::u16string StructureClassName(std::u16string_view typeName) {
    const std::size_t colon = typeName.find(u':');
    if (colon == std::u16string_view::npos)
        return Lower(std::u16string(typeName) + u"__" + std::u16string(typeName));
    return Lower(typeName.substr(0, colon)) + u"__" + Lower(typeName.substr(colon + 1));
}

rt::ClassHandle FindStructureClass(rt::RuntimeContext* runtime, std::u16string_view className) {
    const std::u16string name(className);
    const rt::GroupHandle group = runtime->LookupGroup(name.c_str(), rt::GroupKind::Structure);
    if (group == rt::kNoHandle)
        return rt::kNoHandle;
    return runtime->LookupClass(group, name.c_str());
}

StructureDescriptor ReadStructureDescriptor(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                            std::u16string_view typeName) {
    StructureDescriptor d;
    d.className = StructureClassName(typeName);
    const auto text = StringField(runtime, proxy, u"__" + d.className);
    if (!text)
        CannotMap(typeName);
    const std::u16string_view t = *text;
    const std::size_t open = t.find(u'(');
    const std::size_t at = t.rfind(u'@');
    const std::size_t close = at == std::u16string_view::npos ? at : t.rfind(u')', at);
    if (open == std::u16string_view::npos || close == std::u16string_view::npos || close < open)
        CannotMap(typeName);
    d.xmlType = LocalPart(Trimmed(t.substr(0, open)));
    const std::u16string nsVariable = Trimmed(t.substr(at + 1));
    if (!nsVariable.empty())
        d.ns = StringField(runtime, proxy, Lower(nsVariable)).value_or(u"");
    try {
        d.fields = ReadFieldList(t.substr(open, close + 1 - open));
    } catch (const SoapScannerException&) {
        CannotMap(typeName);
    }
    return d;
}

void EncodeStructure(MarshalContext& c) {
    if (c.slot.isNull || c.slot.data.handle == rt::kNoHandle) {
        c.element.SetNull(true);
        return;
    }
    const StructureDescriptor d = ReadStructureDescriptor(c.runtime, c.proxy, c.typeName);
    FieldIds ids(d);
    EncodeTyped(c, d, ids, c.slot.data.handle, c.element);
}

void DecodeStructure(MarshalContext& c) {
    const StructureDescriptor d = ReadStructureDescriptor(c.runtime, c.proxy, c.typeName);
    if (c.slot.isNull || c.slot.data.handle == rt::kNoHandle) {
        c.slot.data.handle =
            NewStructure(c.runtime, RequireClass(c.runtime, d, c.typeName), c.typeName);
        c.slot.isNull = false;
        c.slot.isObject = true;
        c.slot.type = rt::ValueType::Object;
    }
    FieldIds ids(d);
    DecodeFields(c, d, ids, c.slot.data.handle, c.element);
}

void EncodeStructureArray(MarshalContext& c) {
    RefuseBoundedArray(c.runtime, c.slot, kBoundedStructureArrayMessage);
    const StructureDescriptor d = ReadStructureDescriptor(c.runtime, c.proxy, c.typeName);
    FieldIds ids(d);
    const std::uint32_t count = ArrayLength(c.runtime, c.slot);
    const ArrayElementName name = ResolveArrayElementName(c.runtime, c.proxy, c.elementName);
    const std::string local = ToUtf8(name.local), ns = ToUtf8(name.ns);
    if (c.form == ElementForm::SoapEncodedArray)
        MarkEncodedArray(c.element, ToUtf8(d.xmlType), ToUtf8(d.ns), count);
    for (std::uint32_t i = 1; i <= count; ++i) {
        const ValueSlot item = CopyArrayItem(c.runtime, c.slot.data.handle,
                                             static_cast<std::int32_t>(i), rt::ValueType::Object);
        const rt::ObjectHandle object = item.isNull ? rt::kNoHandle : item.data.handle;
        if (c.form == ElementForm::SoapEncodedArray) {
            SOAPParameter& child = c.element.AddParameter(local);
            if (object == rt::kNoHandle)
                child.SetNull(true); // a null item keeps its place
            else
                EncodeFields(c, d, ids, object, child);
        } else {
            SOAPParameter& child = c.element.AddParameter("item");
            child.SetName(local, ns);
            EncodeTyped(c, d, ids, object, child);
        }
    }
}

void DecodeStructureArray(MarshalContext& c) {
    // The SOAP-encoded form has never refused bounded arrays here; the literal one does.
    if (c.form == ElementForm::LiteralArray)
        RefuseBoundedArray(c.runtime, c.slot, kBoundedArrayMessage);
    const StructureDescriptor d = ReadStructureDescriptor(c.runtime, c.proxy, c.typeName);
    const rt::ClassHandle cls = RequireClass(c.runtime, d, c.typeName);
    // A fresh array, so a longer array passed in keeps no stale items.
    const rt::ArrayHandle array = c.runtime->NewUnboundedObjectArray(cls);
    if (array == rt::kNoHandle)
        CannotMap(c.typeName);
    c.slot.isNull = false;
    c.slot.isArray = true;
    c.slot.isObject = true;
    c.slot.type = rt::ValueType::Object;
    c.slot.data.handle = array;
    FieldIds ids(d);
    std::int32_t index = 1;
    for (auto& child : c.element.GetArray()) {
        const std::int32_t* at = &index;
        if (c.form == ElementForm::LiteralArray && child->IsNull()) {
            c.runtime->SetArrayItemNull(array, at);
        } else {
            const rt::ObjectHandle object = NewStructure(c.runtime, cls, c.typeName);
            DecodeFields(c, d, ids, object, *child);
            c.runtime->SetObjectArrayItem(array, at, object);
        }
        ++index;
    }
}

} // namespace kf::soap
