#include "kf/soap/marshal.h"

#include "kf/easysoap/soapexception.h"
#include "kf/soap/arrays.h"
#include "kf/soap/structures.h"
#include "kf/soap/text.h"
#include "kf/soap/xmltypes.h"

namespace kf::soap {
namespace {

[[noreturn]] void CannotMap(std::u16string_view typeName) {
    throw easysoap::SOAPException("Can't map the XML data type: " + ToUtf8(typeName));
}

// A return value declared any receives a new array of what the declared type names: the
// row's value type, or else the structure class.
void CreateAnyArray(MarshalContext& c) {
    rt::ArrayHandle array = rt::kNoHandle;
    if (const XmlTypeRow* row = FindRowByName(c.runtime, c.proxy, c.typeName)) {
        array = c.runtime->NewUnboundedArray(row->type);
        c.slot.type = row->type;
        c.slot.isObject = false;
    } else {
        const rt::ClassHandle cls = FindStructureClass(c.runtime, StructureClassName(c.typeName));
        if (cls == rt::kNoHandle)
            CannotMap(c.typeName);
        array = c.runtime->NewUnboundedObjectArray(cls);
        if (array != rt::kNoHandle) {
            rt::ArrayInfo* info = c.runtime->GetArrayInfo(array);
            c.slot.type = info ? info->itemType : rt::ValueType::Object;
            if (info)
                c.runtime->ReleaseArrayInfo(info);
        }
        c.slot.isObject = true;
    }
    if (array == rt::kNoHandle)
        CannotMap(c.typeName);
    c.slot.isArray = true;
    c.slot.isNull = false;
    c.slot.data.handle = array;
}

} // namespace

void EncodeValue(MarshalContext& c) {
    if (c.form == ElementForm::Single) {
        if (c.slot.isObject)
            return EncodeStructure(c);
        return EncodeScalar(c, LookupRow(c.runtime, c.proxy, c.typeName, c.slot.type));
    }
    if (c.slot.isObject)
        return EncodeStructureArray(c);
    const RowMatch match = LookupRow(c.runtime, c.proxy, c.typeName, c.slot.type);
    if (c.form == ElementForm::SoapEncodedArray)
        return EncodeSoapArray(c, match);
    return EncodeLiteralArray(c, match);
}

void DecodeValue(MarshalContext& c) {
    if (c.form == ElementForm::Single) {
        if (c.slot.type == rt::ValueType::Any) {
            // An any result without an array marker takes the value the row names.
            const XmlTypeRow* row = FindRowByName(c.runtime, c.proxy, c.typeName);
            if (!row)
                CannotMap(c.typeName);
            c.slot.isArray = false;
            return DecodeScalar(c, *row);
        }
        if (c.slot.isObject)
            return DecodeStructure(c);
        return DecodeScalar(c, *LookupRow(c.runtime, c.proxy, c.typeName, c.slot.type).row);
    }
    if (c.slot.type == rt::ValueType::Any)
        CreateAnyArray(c);
    if (c.slot.isObject)
        return DecodeStructureArray(c);
    const XmlTypeRow& row = *LookupRow(c.runtime, c.proxy, c.typeName, c.slot.type).row;
    if (c.form == ElementForm::SoapEncodedArray)
        return DecodeSoapArray(c, row);
    return DecodeLiteralArray(c, row);
}

} // namespace kf::soap
