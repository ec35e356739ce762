// The request: the method element with its parameters, its SOAP action and, for the
// document binding style, the name of the body element.
#pragma once

#include <optional>
#include <string>

#include "kf/easysoap/soapparameter.h"

namespace kf::easysoap {

class SOAPMethod : public SOAPParameter {
public:
    // A null action sends no SOAPAction header; an empty one sends an empty action.
    // With appendName the method name is appended to a given action.
    SOAPMethod(const char* name, const char* ns, const char* soapAction = nullptr,
               bool appendName = false);

    const std::optional<std::string>& GetSoapAction() const { return action_; }

    // The body element of the document style (empty: the method's own name).
    void SetSoapElementName(std::string_view name, std::string_view ns = {});
    const SOAPQName& GetSoapElementName() const { return element_; }

private:
    std::optional<std::string> action_;
    SOAPQName element_;
};

} // namespace kf::easysoap
