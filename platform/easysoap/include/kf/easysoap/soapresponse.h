// A decoded response: the first element of the SOAP body with its parameters.
#pragma once

#include "kf/easysoap/soapparameter.h"

namespace kf::easysoap {

class SOAPResponse {
public:
    SOAPResponse() = default;
    explicit SOAPResponse(SOAPParameter method) : method_(std::move(method)) {}

    const SOAPParameter& GetMethod() const { return method_; }
    // The first child of the method element, the usual place of the result.
    const SOAPParameter& GetReturnValue() const;

private:
    SOAPParameter method_;
};

} // namespace kf::easysoap
