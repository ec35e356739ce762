// A proxy call driven by the function's alias text: splitting it, building the request
// from the arguments and writing the response back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kf/easysoap/soapmethod.h"
#include "kf/easysoap/soapresponse.h"
#include "kf/rt/runtimeext.h"

namespace kf::soap {

struct AliasParts {
    std::u16string method;
    std::u16string parameters; // from the "(" on
    std::u16string ns;
    std::optional<std::u16string> action; // none: no SOAPAction
    std::u16string elementName, elementNs;
};

// Raises std::invalid_argument when the call part holds no "(".
AliasParts SplitAlias(std::u16string_view alias);

// Adds an element for every "in" entry. SoapScannerException for a list cut short.
void BuildRequest(rt::RuntimeContext* runtime, rt::ObjectHandle proxy, rt::CallFrame* frame,
                  std::u16string_view parameters, easysoap::SOAPMethod& method);
// Decodes every "out" entry into its argument, then the return part into the return value.
void ReadResponse(rt::RuntimeContext* runtime, rt::ObjectHandle proxy, rt::CallFrame* frame,
                  std::u16string_view parameters, const easysoap::SOAPResponse& response);

} // namespace kf::soap
