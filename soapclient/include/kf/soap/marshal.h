// Moving one alias entry or structure field between a value slot and a SOAP element: the
// element form picks single values, SOAP-encoded arrays or literal arrays; object slots are
// structures.
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

} // namespace kf::soap
