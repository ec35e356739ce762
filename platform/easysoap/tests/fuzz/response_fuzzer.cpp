// Response parser: any bytes give a response or a SOAPException, nothing else.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kf/easysoap/responseparser.h"
#include "kf/easysoap/soapexception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        kf::easysoap::ParseResponse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const kf::easysoap::SOAPException&) {
    }
    return 0;
}
