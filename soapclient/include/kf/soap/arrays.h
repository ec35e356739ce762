// Arrays in the two element forms: SOAP-encoded (xsi:type Array with arrayType, offset and
// position) and literal (one typed child per item). Arrays of scalars go item by item through
// their row; arrays of structures are in structures.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kf/soap/marshal.h"
#include "kf/soap/xmltypes.h"

namespace kf::soap {

inline constexpr const char* kBoundedArrayMessage = "SoapClient Error: Can't support Bounded array";
// The text that arrays of structures have always raised while being encoded.
inline constexpr const char* kBoundedStructureArrayMessage =
    "SoapCLient Error: Can't support Bounded array";

struct ArrayElementName {
    std::u16string local;
    std::u16string ns;
};

// The marker's element name: a prefix names the proxy variable holding the namespace;
// without one the schema's (or else the service's) target namespace variable gives it.
ArrayElementName ResolveArrayElementName(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                         std::u16string_view elementName);

// Raises `message` for a bounded array. A null slot or handle 0 passes (an empty array).
void RefuseBoundedArray(rt::RuntimeContext* runtime, const ValueSlot& slot, const char* message);
// The array's length, 0 for a null slot or handle 0.
std::uint32_t ArrayLength(rt::RuntimeContext* runtime, const ValueSlot& slot);

// The decoded item list of a received SOAP-encoded array: the declared size (from
// "arrayType"), items placed from "offset" on and by "position"; gaps hold empty text.
// Raises the array messages. The texts point into `element`.
struct DecodedItem {
    std::string_view text;
    bool null = false;
};
std::vector<DecodedItem> ReadEncodedArrayItems(const easysoap::SOAPParameter& element);

// The SOAP-encoded "Array" type and "arrayType" attribute of an array of `count` items.
void MarkEncodedArray(easysoap::SOAPParameter& element, std::string_view itemType,
                      std::string_view itemTypeNs, std::size_t count);

void EncodeSoapArray(MarshalContext& context, const RowMatch& match);
void DecodeSoapArray(MarshalContext& context, const XmlTypeRow& row);
void EncodeLiteralArray(MarshalContext& context, const RowMatch& match);
void DecodeLiteralArray(MarshalContext& context, const XmlTypeRow& row);

} // namespace kf::soap
