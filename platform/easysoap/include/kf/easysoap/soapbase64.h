// Base64 (RFC 4648 alphabet, padded, no line breaks) and hex coding of binary values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kf::easysoap {

class SOAPBase64Base {
public:
    // Bytes needed to hold the decoded form of a text of that length (an upper bound).
    static std::size_t EstimateSize(std::size_t textLength);
    static std::string Encode(const void* bytes, std::size_t length);
    // White space is skipped; any other character outside the alphabet, or bad padding,
    // raises SOAPException.
    static std::vector<std::uint8_t> Decode(std::string_view text);
};

class SOAPHexBase {
public:
    static std::string Encode(const void* bytes, std::size_t length); // upper-case digits
    static std::vector<std::uint8_t> Decode(std::string_view text);   // either case
};

} // namespace kf::easysoap
