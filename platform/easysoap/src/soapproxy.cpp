#include "kf/easysoap/soapproxy.h"

#include "kf/easysoap/httptransport.h"
#include "kf/easysoap/responseparser.h"
#include "kf/easysoap/soapdebugger.h"
#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/url.h"

namespace kf::easysoap {
namespace {

std::string StatusText(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 407:
        return "Proxy Authentication Required";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return {};
    }
}

} // namespace

std::string ConnectFailed(const HttpRequest& r) {
    return r.proxyUrl.empty() ? "Could not connect to " + r.url
                              : "Could not connect to the proxy server " + r.proxyUrl;
}
std::string HostNotFound(const HttpRequest& r) {
    return "Could not resolve the host of " + r.url;
}
std::string TimedOut(const HttpRequest& r) {
    return "Timed out after " + std::to_string(r.timeoutSeconds) + " seconds waiting for " + r.url;
}
std::string ClosedEarly(const HttpRequest& r) {
    return "Connection to " + r.url + " was closed before the response was complete";
}

SOAPProxy::SOAPProxy(std::string endpoint, std::string proxyUrl, int timeout, BindingStyle style,
                     std::unique_ptr<HttpTransport> transport)
    : endpoint_(std::move(endpoint)), proxyUrl_(std::move(proxyUrl)),
      timeout_(timeout > 0 ? timeout : kDefaultTimeout), style_(style),
      transport_(transport ? std::move(transport) : CreateHttpTransport()) {}

SOAPProxy::~SOAPProxy() = default;

const SOAPResponse& SOAPProxy::Execute(const SOAPMethod& method) {
    const std::optional<Url> url = ParseUrl(endpoint_);
    if (!url || (url->scheme != "http" && url->scheme != "https")) {
        throw SOAPSocketException("Invalid endpoint URL (an http or https URL is needed)");
    }
    HttpRequest request;
    request.url = url->WithoutCredentials();
    request.user = url->user;
    request.password = url->password;
    if (!proxyUrl_.empty()) {
        const std::optional<Url> proxy = ParseUrl(proxyUrl_);
        if (!proxy || proxy->scheme != "http") {
            throw SOAPSocketException("Invalid proxy server URL (an http URL is needed)");
        }
        Url bare = *proxy;
        bare.path = "/";
        request.proxyUrl = bare.WithoutCredentials();
        request.proxyUser = proxy->user;
        request.proxyPassword = proxy->password;
    }
    request.soapAction = method.GetSoapAction();
    request.timeoutSeconds = timeout_;
    request.body = XMLComposer::ComposeEnvelope(method, style_);

    // The log names the endpoint without its credentials and never the Authorization header.
    // Without a log the texts are not even composed.
    const bool logging = SOAPDebugger::IsOpen();
    if (logging) {
        std::string head = "\nRequest to " + request.url;
        if (!request.proxyUrl.empty())
            head += " through " + request.proxyUrl;
        head += "\nSOAPAction: ";
        head += request.soapAction ? "\"" + *request.soapAction + "\"" : "(none)";
        head += "\n";
        SOAPDebugger::Write(SOAPDebugger::kMessageLevel, head);
        SOAPDebugger::Write(SOAPDebugger::kMessageLevel, request.body);
        SOAPDebugger::Write(SOAPDebugger::kMessageLevel, "\n");
    }

    HttpResponse answer;
    try {
        answer = transport_->Post(request);
    } catch (const SOAPSocketException& e) {
        SOAPDebugger::Write(SOAPDebugger::kMessageLevel,
                            std::string("\nTransport failure: ") + e.what() + "\n");
        throw;
    }
    if (logging) {
        SOAPDebugger::Write(SOAPDebugger::kMessageLevel,
                            "\nResponse (HTTP " + std::to_string(answer.status) + "):\n");
        SOAPDebugger::Write(SOAPDebugger::kMessageLevel, answer.body);
        SOAPDebugger::Write(SOAPDebugger::kMessageLevel, "\n");
    }

    if (answer.status < 200 || answer.status > 299) {
        // A fault may come with any error status (SOAP 1.1 uses 500); anything else is HTTP's.
        try {
            response_ = ParseResponse(answer.body);
        } catch (const SOAPFaultException&) {
            throw;
        } catch (const SOAPException&) {
        }
        std::string message = "HTTP error " + std::to_string(answer.status);
        const std::string text = StatusText(answer.status);
        if (!text.empty())
            message += " " + text;
        throw SOAPSocketException(message + " from " + request.url);
    }
    response_ = ParseResponse(answer.body);
    return response_;
}

SOAPProxy* InitSOAPProxy(const char* endpoint, int timeout, int style) {
    return InitSOAPProxyEx(endpoint, nullptr, timeout, style);
}

SOAPProxy* InitSOAPProxyEx(const char* endpoint, const char* proxyUrl, int timeout, int style) {
    BindingStyle s = BindingStyle::Default;
    if (style == 1)
        s = BindingStyle::Document;
    if (style == 2)
        s = BindingStyle::Rpc;
    try {
        return new SOAPProxy(endpoint ? endpoint : "", proxyUrl ? proxyUrl : "", timeout, s,
                             nullptr);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void DeleteSOAPProxy(SOAPProxy* proxy) {
    delete proxy;
}

void ReleaseLibraryResources() {
    SOAPDebugger::Close();
    ShutdownXerces();
    ShutdownHttpTransport();
}

} // namespace kf::easysoap
