// Option texts of both connection functions: any text gives 0 or 50.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kf/soap/connection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += char16_t(data[i] | (data[i + 1] << 8));
    kf::soap::SoapConnectionObject conn;
    // soaplog would open files named by the input; the parser is what is under test.
    if (text.find(u"soaplog") != std::u16string::npos)
        return 0;
    const std::int32_t a = conn.SetOptions(text);
    const std::int32_t b = conn.SetProxyServerOptions(text);
    if ((a != 0 && a != 50) || (b != 0 && b != 50))
        std::abort();
    (void)kf::soap::ProxyServerUrl(conn.Settings().proxy);
    (void)kf::soap::EndpointWithCredentials(text, false, conn.Settings().user,
                                            conn.Settings().password);
    return 0;
}
