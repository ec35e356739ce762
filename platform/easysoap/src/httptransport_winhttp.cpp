// The HTTP edge on Windows: WinHTTP. The session and the connection handle stay open
// while the proxy lives, so WinHTTP keeps the TCP connection alive between requests.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>
#include <winhttp.h>

#include "kf/easysoap/httptransport.h"
#include "kf/easysoap/soapbase64.h"
#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/url.h"

namespace kf::easysoap {
namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    }
    return out;
}

std::string Basic(const std::optional<std::string>& user,
                  const std::optional<std::string>& password) {
    const std::string pair = user.value_or("") + ":" + password.value_or("");
    return "Basic " + SOAPBase64Base::Encode(pair.data(), pair.size());
}

class Handle {
public:
    Handle() = default;
    explicit Handle(HINTERNET h) : h_(h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void Reset(HINTERNET h = nullptr) {
        if (h_)
            WinHttpCloseHandle(h_);
        h_ = h;
    }
    HINTERNET get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HINTERNET h_ = nullptr;
};

class WinHttpTransport : public HttpTransport {
public:
    HttpResponse Post(const HttpRequest& request) override {
        const std::optional<Url> url = ParseUrl(request.url);
        if (!url)
            throw SOAPSocketException("Invalid endpoint URL " + request.url);
        const bool secure = url->scheme == "https";
        std::string proxyName;
        if (!request.proxyUrl.empty()) {
            const std::optional<Url> proxy = ParseUrl(request.proxyUrl);
            if (!proxy)
                throw SOAPSocketException("Invalid proxy server URL " + request.proxyUrl);
            proxyName = proxy->host + ":" + std::to_string(proxy->port);
        }
        if (!session_ || proxyName != proxyName_) {
            connect_.Reset();
            const std::wstring wideProxy = Wide(proxyName);
            session_.Reset(WinHttpOpen(
                L"kf-easysoap/1.0",
                proxyName.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                proxyName.empty() ? WINHTTP_NO_PROXY_NAME : wideProxy.c_str(),
                WINHTTP_NO_PROXY_BYPASS, 0));
            if (!session_)
                Fail(request);
            proxyName_ = proxyName;
        }
        const int ms = request.timeoutSeconds * 1000;
        WinHttpSetTimeouts(session_.get(), ms, ms, ms, ms);
        if (!connect_ || url->host != host_ || url->port != port_) {
            connect_.Reset(WinHttpConnect(session_.get(), Wide(url->host).c_str(),
                                          static_cast<INTERNET_PORT>(url->port), 0));
            if (!connect_)
                Fail(request);
            host_ = url->host;
            port_ = url->port;
        }
        Handle req(WinHttpOpenRequest(connect_.get(), L"POST", Wide(url->path).c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      secure ? WINHTTP_FLAG_SECURE : 0));
        if (!req)
            Fail(request);
        // On the request as well: not every WinHTTP passes the session's values on.
        WinHttpSetTimeouts(req.get(), ms, ms, ms, ms);
        DWORD responseTimeout = static_cast<DWORD>(ms);
        WinHttpSetOption(req.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                         sizeof responseTimeout);
        std::string headers = "Content-Type: text/xml; charset=utf-8\r\n";
        if (request.soapAction)
            headers += "SOAPAction: \"" + *request.soapAction + "\"\r\n";
        if (request.user)
            headers += "Authorization: " + Basic(request.user, request.password) + "\r\n";
        if (!proxyName.empty() && request.proxyUser) {
            if (secure) {
                // Through a tunnel the proxy credentials belong to the CONNECT request.
                const std::wstring u = Wide(*request.proxyUser);
                const std::wstring p = Wide(request.proxyPassword.value_or(""));
                WinHttpSetOption(req.get(), WINHTTP_OPTION_PROXY_USERNAME,
                                 const_cast<wchar_t*>(u.c_str()), static_cast<DWORD>(u.size()));
                WinHttpSetOption(req.get(), WINHTTP_OPTION_PROXY_PASSWORD,
                                 const_cast<wchar_t*>(p.c_str()), static_cast<DWORD>(p.size()));
            } else {
                headers +=
                    "Proxy-Authorization: " + Basic(request.proxyUser, request.proxyPassword) +
                    "\r\n";
            }
        }
        const std::wstring wideHeaders = Wide(headers);
        const DWORD length = static_cast<DWORD>(request.body.size());
        if (!WinHttpSendRequest(req.get(), wideHeaders.c_str(), static_cast<DWORD>(-1L),
                                const_cast<char*>(request.body.data()), length, length, 0) ||
            !WinHttpReceiveResponse(req.get(), nullptr)) {
            Fail(request);
        }
        HttpResponse response;
        DWORD status = 0;
        DWORD size = sizeof status;
        WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
        response.status = static_cast<int>(status);
        DWORD expected = 0;
        size = sizeof expected;
        const bool hasLength = WinHttpQueryHeaders(
            req.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
            WINHTTP_HEADER_NAME_BY_INDEX, &expected, &size, WINHTTP_NO_HEADER_INDEX);
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(req.get(), &available))
                Fail(request);
            if (available == 0)
                break;
            const std::size_t old = response.body.size();
            response.body.resize(old + available);
            DWORD read = 0;
            if (!WinHttpReadData(req.get(), response.body.data() + old, available, &read)) {
                Fail(request);
            }
            response.body.resize(old + read);
            if (read == 0)
                break;
        }
        if (hasLength && response.body.size() < expected) {
            throw SOAPSocketException(ClosedEarly(request));
        }
        return response;
    }

private:
    [[noreturn]] static void Fail(const HttpRequest& request) {
        const DWORD error = GetLastError();
        switch (error) {
        // Wine's WinHTTP passes some socket errors on as they are.
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case WSAECONNREFUSED:
            throw SOAPSocketException(ConnectFailed(request));
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            throw SOAPSocketException(HostNotFound(request));
        case ERROR_WINHTTP_TIMEOUT:
        case WSAETIMEDOUT:
            throw SOAPSocketException(TimedOut(request));
        case ERROR_WINHTTP_CONNECTION_ERROR:
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        case WSAECONNRESET:
        case WSAECONNABORTED:
            throw SOAPSocketException(ClosedEarly(request));
        case ERROR_WINHTTP_SECURE_FAILURE:
            throw SOAPSocketException("Secure connection to " + request.url + " failed");
        default:
            throw SOAPSocketException("HTTP transport to " + request.url +
                                      " failed (WinHTTP error " + std::to_string(error) + ")");
        }
    }

    Handle session_;
    Handle connect_;
    std::string proxyName_;
    std::string host_;
    int port_ = 0;
};

} // namespace

std::unique_ptr<HttpTransport> CreateHttpTransport() {
    return std::make_unique<WinHttpTransport>();
}

void ShutdownHttpTransport() {} // WinHTTP needs no process-wide set-up

} // namespace kf::easysoap
