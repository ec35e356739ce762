// The HTTP edge: libcurl on Linux, WinHTTP on Windows; a test may supply its own.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace kf::easysoap {

struct HttpRequest {
    std::string url; // without credentials
    std::optional<std::string> user, password;
    std::string proxyUrl; // empty: direct; without credentials
    std::optional<std::string> proxyUser, proxyPassword;
    std::optional<std::string> soapAction;
    std::string body;
    int timeoutSeconds = 60;
};

struct HttpResponse {
    int status = 0;
    std::string contentType;
    std::string body;
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    // POST with Content-Type text/xml; charset=utf-8. Raises SOAPSocketException when no
    // complete answer arrives; any HTTP status is an answer.
    virtual HttpResponse Post(const HttpRequest& request) = 0;
};

std::unique_ptr<HttpTransport> CreateHttpTransport();
// Undoes the HTTP library's process-wide set-up, if any was done.
void ShutdownHttpTransport();

// Messages of the common transport failures, shared by the platform edges.
std::string ConnectFailed(const HttpRequest& request);
std::string HostNotFound(const HttpRequest& request);
std::string TimedOut(const HttpRequest& request);
std::string ClosedEarly(const HttpRequest& request);

} // namespace kf::easysoap
