// Decodes a response envelope with Xerces-C.
#pragma once

#include <string_view>

#include "kf/easysoap/soapresponse.h"

namespace kf::easysoap {

// A fault raises SOAPFaultException; a text that is not a SOAP envelope, or holds a DOCTYPE,
// raises SOAPException. href="#id" references are resolved.
SOAPResponse ParseResponse(std::string_view bytes);

// Starts Xerces-C once for the process; ShutdownXerces ends it (see ReleaseLibraryResources).
void EnsureXercesInitialized();
void ShutdownXerces();

} // namespace kf::easysoap
