// Response parser: any bytes give a response or a SOAPException, nothing else; the tree it
// gives is finite (href references resolved, no cycles), so walking and copying it ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "kf/easysoap/responseparser.h"
#include "kf/easysoap/soapexception.h"

namespace {

// Elements below p, p included; the bound the parser promises keeps it small.
std::size_t Walk(const kf::easysoap::SOAPParameter& p, int depth) {
    if (depth > 1000)
        std::abort();
    std::size_t n = 1;
    for (const auto& [name, value] : p.GetAttributes()) {
        if (name.name.empty() && name.ns.empty())
            std::abort(); // attributes always have a name
    }
    if (p.IsNull() && (!p.GetArray().empty() || !p.GetString().empty()))
        std::abort(); // nil elements hold nothing
    for (const auto& child : p.GetArray())
        n += Walk(*child, depth + 1);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const kf::easysoap::SOAPResponse r = kf::easysoap::ParseResponse(
            std::string_view(reinterpret_cast<const char*>(data), size));
        const std::size_t n = Walk(r.GetMethod(), 0);
        const kf::easysoap::SOAPParameter copy(r.GetMethod());
        if (Walk(copy, 0) != n)
            std::abort();
    } catch (const kf::easysoap::SOAPException&) {
    }
    return 0;
}
