#include "kf/easysoap/url.h"

#include <cctype>

#include "hexdigit.h"

namespace kf::easysoap {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// %XX escapes in credentials let users write "@", ":" or "/" in them; a stray "%" stays.
std::string PercentDecode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int h = HexDigitValue(s[i + 1]), l = HexDigitValue(s[i + 2]);
            if (h >= 0 && l >= 0) {
                out += static_cast<char>(h * 16 + l);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

int DefaultPort(const std::string& scheme) {
    if (scheme == "https")
        return 443;
    if (scheme == "ftp")
        return 21;
    return 80;
}

} // namespace

std::string Url::WithoutCredentials() const {
    // Appended piece by piece: GCC 12 warns falsely about chains of operator+ (-Wrestrict).
    std::string out;
    out.append(scheme).append("://");
    const bool ipv6 = host.find(':') != std::string::npos;
    if (ipv6)
        out.append("[");
    out.append(host);
    if (ipv6)
        out.append("]");
    if (port != DefaultPort(scheme))
        out.append(":").append(std::to_string(port));
    out.append(path);
    return out;
}

std::optional<Url> ParseUrl(std::string_view text) {
    const std::size_t sep = text.find("://");
    if (sep == std::string_view::npos || sep == 0)
        return std::nullopt;
    Url url;
    url.scheme = Lower(text.substr(0, sep));
    for (char c : url.scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    std::string_view rest = text.substr(sep + 3);
    // The credentials end at the last "@" before the path, so a password may hold "@".
    const std::size_t slash = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, slash);
    // "?x" and "#x" right after the host still need the "/" of the path.
    url.path = "/";
    if (slash != std::string_view::npos) {
        const std::string_view tail = rest.substr(slash);
        url.path.append(tail.substr(tail[0] == '/' ? 1 : 0));
    }
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view info = authority.substr(0, at);
        const std::size_t colon = info.find(':');
        url.user = PercentDecode(info.substr(0, colon));
        if (colon != std::string_view::npos)
            url.password = PercentDecode(info.substr(colon + 1));
        authority = authority.substr(at + 1);
    }
    std::string_view hostPort = authority;
    std::string_view portText;
    if (!hostPort.empty() && hostPort[0] == '[') {
        const std::size_t close = hostPort.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        url.host = std::string(hostPort.substr(1, close - 1));
        std::string_view after = hostPort.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':')
                return std::nullopt;
            portText = after.substr(1);
            if (portText.empty())
                return std::nullopt;
        }
    } else {
        const std::size_t colon = hostPort.find(':');
        url.host = std::string(hostPort.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = hostPort.substr(colon + 1);
            if (portText.empty())
                return std::nullopt;
        }
    }
    if (url.host.empty())
        return std::nullopt;
    for (char c : url.host) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == '@')
            return std::nullopt;
    }
    url.port = DefaultPort(url.scheme);
    if (!portText.empty()) {
        long port = 0;
        for (char c : portText) {
            if (c < '0' || c > '9' || port > 65535)
                return std::nullopt;
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535)
            return std::nullopt;
        url.port = static_cast<int>(port);
    }
    return url;
}

} // namespace kf::easysoap
