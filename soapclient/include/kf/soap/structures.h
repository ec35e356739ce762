// Structures: the descriptor a generated proxy keeps for each structure type, and encoding
// and decoding structures and arrays of structures field by field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kf/soap/marshal.h"

namespace kf::soap {

struct StructureField {
    std::u16string type;
    ElementForm form = ElementForm::Single;
    std::u16string elementName = u"item";
    std::u16string name;       // the element name, as written in the field list
    std::u16string scriptName; // the script field: lower case, "ws_" for reserved words
};

struct StructureDescriptor {
    std::u16string className; // the structure class ("prefix__local", lower case)
    std::u16string xmlType;   // local part of the XML type name
    std::u16string ns;        // from the namespace variable the descriptor names
    std::vector<StructureField> fields;
};

// "prefix__local" with the prefix lowered; "local__local" without a prefix.
std::u16string StructureClassName(std::u16string_view typeName);
// The descriptor variable "__<class>" of the proxy, parsed. Raises "Can't map the XML data
// type: <name>" when the proxy has none or it is malformed.
StructureDescriptor ReadStructureDescriptor(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                            std::u16string_view typeName);
// The structure class (group kind 5); none when it does not exist.
rt::ClassHandle FindStructureClass(rt::RuntimeContext* runtime, std::u16string_view className);

// Single structures: the slot holds the object (null or none: a nil element on encode, a
// new object on decode).
void EncodeStructure(MarshalContext& context);
void DecodeStructure(MarshalContext& context);
// Arrays of structures in either element form.
void EncodeStructureArray(MarshalContext& context);
void DecodeStructureArray(MarshalContext& context);

} // namespace kf::soap
