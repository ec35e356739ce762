// Received integer and decimal texts: any text gives a value within the limits or a
// SOAPException, and the value agrees with the reader's digits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "kf/easysoap/soapexception.h"
#include "kf/soap/scalartext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const kf::soap::DecimalTextReader reader(text);
        if (reader.integerDigits().starts_with('0') || reader.fractionDigits().ends_with('0'))
            std::abort();
        for (const auto [min, max] : {std::pair<std::int64_t, std::int64_t>{-128, 127},
                                      {0, 4294967295LL},
                                      {std::numeric_limits<std::int64_t>::min(),
                                       std::numeric_limits<std::int64_t>::max()}}) {
            try {
                const std::int64_t value = reader.ToInteger(min, max, "range");
                if (value < min || value > max || reader.Compare(value) != 0)
                    std::abort();
                if (kf::soap::FormatInteger(value) !=
                    (value == 0
                         ? "0"
                         : (reader.negative() ? "-" : "") + std::string(reader.integerDigits())))
                    std::abort();
            } catch (const kf::easysoap::SOAPException&) {
            }
        }
    } catch (const kf::easysoap::SOAPException&) {
    }
    return 0;
}
