// Conversions between value slots and SOAP elements, chosen by the declared XML type.
#pragma once

#include <string>

#include "kf/easysoap/soapparameter.h"
#include "kf/soap/valueslot.h"

namespace kf::soap {

enum class ElementForm { Single, SoapEncodedArray, LiteralArray };

struct MarshalContext {
    easysoap::SOAPParameter& element;
    rt::RuntimeContext* runtime;
    rt::ObjectHandle proxy;
    std::u16string typeName; // as declared: prefix ":" local name
    ValueSlot& slot;
    ElementForm form = ElementForm::Single;
    std::u16string elementName = u"item"; // array items, as in the marker
};

// Raise SOAPException with the conversion's message on failure.
void EncodeValue(MarshalContext& context);
void DecodeValue(MarshalContext& context);

// The namespace URI of a declared name's prefix: the proxy's string instance variable
// named after the prefix in lower case. Empty without prefix or variable.
std::u16string PrefixNamespace(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                               std::u16string_view qualifiedName);
std::u16string LocalPart(std::u16string_view qualifiedName);

} // namespace kf::soap
