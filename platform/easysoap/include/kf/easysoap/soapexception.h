// Exceptions of the SOAP library. Every message is UTF-8.
#pragma once

#include <stdexcept>
#include <string>

namespace kf::easysoap {

class SOAPException : public std::runtime_error {
public:
    explicit SOAPException(const std::string& message) : std::runtime_error(message) {}
    std::string GetMessage() const { return what(); }
};

// A SOAP fault answered by the service. The message carries the fault code, string and
// detail, each in its tagged section (see FormatFaultMessage).
class SOAPFaultException : public SOAPException {
public:
    using SOAPException::SOAPException;
};

// The request did not reach the service or no answer came back: refused, reset or timed-out
// connections and HTTP errors without a SOAP fault.
class SOAPSocketException : public SOAPException {
public:
    using SOAPException::SOAPException;
};

class SOAPMemoryException : public SOAPException {
public:
    SOAPMemoryException() : SOAPException("Out of memory") {}
};

// "<kfsp_fcode>code</kfsp_fcode><kfsp_fstring>string</kfsp_fstring>
//  <kfsp_fdetailmessage>detail</kfsp_fdetailmessage>" (one line).
std::string FormatFaultMessage(const std::string& code, const std::string& string,
                               const std::string& detail);

} // namespace kf::easysoap
