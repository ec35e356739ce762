#include "kf/easysoap/soapbase64.h"

#include "kf/easysoap/soapexception.h"

#include "hexdigit.h"

namespace kf::easysoap {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::size_t SOAPBase64Base::EstimateSize(std::size_t textLength) {
    return (textLength + 3) / 4 * 3;
}

std::string SOAPBase64Base::Encode(const void* bytes, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < length; i += 3) {
        const std::uint32_t v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i < length) {
        std::uint32_t v = p[i] << 16;
        if (i + 1 < length)
            v |= p[i + 1] << 8;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < length ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::vector<std::uint8_t> SOAPBase64Base::Decode(std::string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(EstimateSize(text.size()));
    std::uint32_t acc = 0;
    int bits = 0;
    int padding = 0;
    std::size_t symbols = 0;
    for (char c : text) {
        if (IsSpace(c))
            continue;
        if (c == '=') {
            ++padding;
            ++symbols;
            continue;
        }
        const int v = Base64Value(c);
        if (v < 0 || padding > 0)
            throw SOAPException("Invalid base64 text");
        ++symbols;
        acc = (acc << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>(acc >> bits));
            acc &= (1u << bits) - 1;
        }
    }
    if (padding > 2 || symbols % 4 != 0)
        throw SOAPException("Invalid base64 text");
    return out;
}

std::string SOAPHexBase::Encode(const void* bytes, std::size_t length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::string out;
    out.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        out += kDigits[p[i] >> 4];
        out += kDigits[p[i] & 15];
    }
    return out;
}

std::vector<std::uint8_t> SOAPHexBase::Decode(std::string_view text) {
    std::vector<std::uint8_t> out;
    int high = -1;
    for (char c : text) {
        if (IsSpace(c))
            continue;
        const int v = HexDigitValue(c);
        if (v < 0)
            throw SOAPException("Invalid hex text");
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0)
        throw SOAPException("Invalid hex text: odd number of digits");
    return out;
}

} // namespace kf::easysoap
