// Writes SOAP 1.1 envelopes. Every namespace is declared once, on the envelope.
#pragma once

#include <string>

#include "kf/easysoap/soapmethod.h"

namespace kf::easysoap {

enum class BindingStyle : int { Default = 0, Document = 1, Rpc = 2 };

inline constexpr const char* kSoapEnvNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* kSoapEncNs = "http://schemas.xmlsoap.org/soap/encoding/";
inline constexpr const char* kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr const char* kXsdNs = "http://www.w3.org/2001/XMLSchema";

class XMLComposer {
public:
    // Line breaks and indentation between elements; process-wide, off at start.
    static void SetAddWhiteSpace(bool on);
    static bool GetAddWhiteSpace();

    // The whole request envelope, UTF-8. The rpc style (and Default) writes the method
    // element with SOAP encoding and unqualified accessors; the document style writes the
    // body element (SetSoapElementName, else the method) and every element qualified.
    static std::string ComposeEnvelope(const SOAPMethod& method, BindingStyle style);
};

} // namespace kf::easysoap
