// Received float, double, date and time texts: a value or a SOAPException, never anything
// else; the double row never yields an infinity and a value read back from its own text is
// the same value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "kf/easysoap/soapexception.h"
#include "kf/soap/scalartext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kf::soap;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const double d = ReadDoubleRow(text);
        if (std::isinf(d))
            std::abort();
        if (std::isfinite(d) && ReadDouble(FormatDouble(d)) != d)
            std::abort();
    } catch (const kf::easysoap::SOAPException&) {
    }
    try {
        const float f = ReadFloat(text);
        if (std::isfinite(f) && ReadFloat(FormatFloat(f)) != f)
            std::abort();
    } catch (const kf::easysoap::SOAPException&) {
    }
    try {
        (void)FormatDate(ReadDate(text));
        (void)FormatTime(ReadTime(text));
    } catch (const kf::easysoap::SOAPException&) {
    }
    try {
        DateFields date;
        TimeFields time;
        ReadDateTime(text, date, time);
        (void)FormatDateTime(date, time);
    } catch (const kf::easysoap::SOAPException&) {
    }
    return 0;
}
