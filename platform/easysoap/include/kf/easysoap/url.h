// Splitting of endpoint and proxy URLs into their parts; credentials come out decoded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kf::easysoap {

struct Url {
    std::string scheme; // lower case
    std::optional<std::string> user, password;
    std::string host;
    int port = 0;     // the scheme's default when not given
    std::string path; // from the first "/" after the host, "/" when absent

    // scheme://host[:port]path, never the credentials.
    std::string WithoutCredentials() const;
};

// Nothing for a text that is not scheme "://" host ...; a port must be 1 to 65535.
std::optional<Url> ParseUrl(std::string_view text);

} // namespace kf::easysoap
