#include "kf/soap/marshal.h"

#include "kf/easysoap/soapexception.h"
#include "kf/soap/text.h"
#include "kf/soap/xmltypes.h"

namespace kf::soap {

void EncodeValue(MarshalContext& c) {
    if (c.form != ElementForm::Single || c.slot.isObject || c.slot.isArray) {
        throw easysoap::SOAPException("Can't map the XML data type: " + ToUtf8(c.typeName));
    }
    EncodeScalar(c, LookupRow(c.runtime, c.proxy, c.typeName, c.slot.type));
}

void DecodeValue(MarshalContext& c) {
    if (c.form != ElementForm::Single || c.slot.isObject || c.slot.isArray) {
        throw easysoap::SOAPException("Can't map the XML data type: " + ToUtf8(c.typeName));
    }
    DecodeScalar(c, *LookupRow(c.runtime, c.proxy, c.typeName, c.slot.type).row);
}

} // namespace kf::soap
