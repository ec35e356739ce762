#include "kf/easysoap/soapmethod.h"

namespace kf::easysoap {

SOAPMethod::SOAPMethod(const char* name, const char* ns, const char* soapAction, bool appendName)
    : SOAPParameter(name ? name : "", ns ? ns : "") {
    if (soapAction) {
        action_ = soapAction;
        if (appendName && name)
            *action_ += name;
    }
}

void SOAPMethod::SetSoapElementName(std::string_view name, std::string_view ns) {
    element_.Set(name, ns);
}

} // namespace kf::easysoap
