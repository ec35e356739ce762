// Alias texts: splitting, scanning and both walks of the parameter list end in a result, the
// scanner's end-of-text error or a SOAP exception; never in a crash or a loop.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "kf/easysoap/soapexception.h"
#include "kf/kfruntime/runtime.h"
#include "kf/soap/aliascall.h"
#include "kf/soap/aliasscanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += char16_t(data[i] | (data[i + 1] << 8));
    static kf::rt::Runtime runtime;
    try {
        const kf::soap::AliasParts parts = kf::soap::SplitAlias(text);
        kf::soap::AliasScanner scanner(parts.parameters);
        for (std::size_t n = 0; n <= parts.parameters.size(); ++n)
            scanner.Next();
        std::abort(); // more tokens than characters
    } catch (const kf::soap::SoapScannerException&) {
    } catch (const std::invalid_argument&) {
    }
    // No proxy object and no frame: every argument slot is empty.
    const std::size_t paren = text.find(u'(');
    const std::u16string parameters = paren == std::u16string::npos ? text : text.substr(paren);
    try {
        kf::easysoap::SOAPMethod method("m", "urn:m");
        kf::soap::BuildRequest(&runtime, 0, nullptr, parameters, method);
    } catch (const kf::soap::SoapScannerException&) {
    } catch (const kf::easysoap::SOAPException&) {
    }
    try {
        kf::soap::ReadResponse(&runtime, 0, nullptr, parameters, kf::easysoap::SOAPResponse());
    } catch (const kf::soap::SoapScannerException&) {
    } catch (const kf::easysoap::SOAPException&) {
    }
    return 0;
}
