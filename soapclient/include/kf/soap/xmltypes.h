// The XML type table: the declared XML type of a value picks a row; the row fixes the script
// type it accepts and converts between the value and element text.
#pragma once

#include <string>
#include <string_view>

#include "kf/soap/marshal.h"

namespace kf::soap {

enum class NamespaceGroup { Xsd, SoapEnc };

struct XmlTypeRow {
    std::u16string_view localName;
    NamespaceGroup group;
    rt::ValueType type;
    // Value to element text, range checks included; the slot is not null.
    std::string (*toText)(rt::RuntimeContext* runtime, const ValueSlot& slot);
    // Element text to value: sets the slot's type and data (new runtime handles for strings,
    // decimals, blobs, dates, times and datetimes).
    void (*fromText)(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot);
};

struct RowMatch {
    const XmlTypeRow* row;
    std::u16string ns; // namespace of the matched name's prefix: the xsi:type namespace
};

// The row for a declared type name and the slot's script type, derived simple types
// ("base=") included. Raises "Can't map the XML data type: <name>".
RowMatch LookupRow(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                   std::u16string_view typeName, rt::ValueType slotType);
// The row for a declared type name whatever the script type; nullptr when there is none.
const XmlTypeRow* FindRowByName(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                std::u16string_view typeName);

// Single values: a null slot becomes a nil element; a nil element a null slot.
void EncodeScalar(MarshalContext& context, const RowMatch& match);
void DecodeScalar(MarshalContext& context, const XmlTypeRow& row);

// The namespace URI of a declared name's prefix: the proxy's string instance variable
// named after the prefix in lower case. Empty without prefix or variable.
std::u16string PrefixNamespace(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                               std::u16string_view qualifiedName);
std::u16string LocalPart(std::u16string_view qualifiedName);

} // namespace kf::soap
