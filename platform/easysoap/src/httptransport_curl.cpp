// The HTTP edge on Linux: one libcurl easy handle per proxy, so its connection is reused.
#include <curl/curl.h>

#include <mutex>
#include <optional>
#include <string>

#include "kf/easysoap/httptransport.h"
#include "kf/easysoap/soapexception.h"

namespace kf::easysoap {
namespace {

std::mutex g_curlMutex;
bool g_curlUp = false;

void EnsureCurlInitialized() {
    std::lock_guard lock(g_curlMutex);
    if (!g_curlUp)
        g_curlUp = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// The options of a request that last for the handle's life; a request that differs in them
// starts from a reset handle.
struct Settings {
    std::optional<std::string> user, password;
    std::string proxyUrl;
    std::optional<std::string> proxyUser, proxyPassword;
    bool operator==(const Settings&) const = default;
};

Settings SettingsOf(const HttpRequest& r) {
    return {r.user, r.password, r.proxyUrl, r.proxyUser, r.proxyPassword};
}

class CurlTransport : public HttpTransport {
public:
    CurlTransport() {
        EnsureCurlInitialized();
        curl_ = curl_easy_init();
    }
    ~CurlTransport() override {
        if (curl_)
            curl_easy_cleanup(curl_);
        curl_slist_free_all(headers_);
    }

    HttpResponse Post(const HttpRequest& request) override {
        if (!curl_)
            throw SOAPMemoryException();
        CURL* c = curl_;
        // Calls through one proxy send alike requests: the handle keeps what does not change
        // (its open connection too), and only the request's own options are set again.
        Settings settings = SettingsOf(request);
        if (!settings_ || *settings_ != settings) {
            Configure(request);
            settings_ = std::move(settings);
        }
        if (!headers_ || headersAction_ != request.soapAction) {
            curl_slist_free_all(headers_);
            headers_ = nullptr;
            headers_ = curl_slist_append(headers_, "Content-Type: text/xml; charset=utf-8");
            headers_ = curl_slist_append(headers_, "Expect:");
            if (request.soapAction) {
                const std::string action = "SOAPAction: \"" + *request.soapAction + "\"";
                headers_ = curl_slist_append(headers_, action.c_str());
            }
            headersAction_ = request.soapAction;
            if (!headers_)
                throw SOAPMemoryException();
        }
        HttpResponse response;
        error_[0] = '\0';
        curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(request.timeoutSeconds));
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &response.body);
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers_);
        const CURLcode rc = curl_easy_perform(c);
        if (rc != CURLE_OK)
            Fail(rc, error_, request);
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        response.status = static_cast<int>(status);
        const char* type = nullptr;
        if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
            response.contentType = type;
        }
        return response;
    }

private:
    // Everything but the request's own options; keeps the open connection.
    void Configure(const HttpRequest& request) {
        CURL* c = curl_;
        curl_easy_reset(c);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error_);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Collect);
        if (request.user) {
            curl_easy_setopt(c, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
            curl_easy_setopt(c, CURLOPT_USERNAME, request.user->c_str());
            curl_easy_setopt(c, CURLOPT_PASSWORD,
                             request.password ? request.password->c_str() : "");
        }
        // An empty proxy also keeps the environment's proxy variables out.
        curl_easy_setopt(c, CURLOPT_PROXY, request.proxyUrl.c_str());
        if (!request.proxyUrl.empty() && request.proxyUser) {
            curl_easy_setopt(c, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
            curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, request.proxyUser->c_str());
            curl_easy_setopt(c, CURLOPT_PROXYPASSWORD,
                             request.proxyPassword ? request.proxyPassword->c_str() : "");
        }
    }

private:
    // The classified failures carry fixed texts, the same on every platform; others add
    // libcurl's own description.
    [[noreturn]] static void Fail(CURLcode rc, const char* detail, const HttpRequest& request) {
        switch (rc) {
        case CURLE_COULDNT_CONNECT:
            throw SOAPSocketException(ConnectFailed(request));
        case CURLE_COULDNT_RESOLVE_HOST:
            throw SOAPSocketException(HostNotFound(request));
        case CURLE_COULDNT_RESOLVE_PROXY:
            throw SOAPSocketException("Could not resolve the proxy server " + request.proxyUrl);
        case CURLE_OPERATION_TIMEDOUT:
            throw SOAPSocketException(TimedOut(request));
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            throw SOAPSocketException(ClosedEarly(request));
        default:
            break;
        }
        std::string what = rc == CURLE_PEER_FAILED_VERIFICATION || rc == CURLE_SSL_CONNECT_ERROR
                               ? "Secure connection to " + request.url + " failed"
                               : "HTTP transport to " + request.url + " failed";
        throw SOAPSocketException(what + " (" +
                                  (detail && *detail ? detail : curl_easy_strerror(rc)) + ")");
    }

    CURL* curl_ = nullptr;
    char error_[CURL_ERROR_SIZE] = "";
    std::optional<Settings> settings_;
    curl_slist* headers_ = nullptr;
    std::optional<std::string> headersAction_;
};

} // namespace

std::unique_ptr<HttpTransport> CreateHttpTransport() {
    return std::make_unique<CurlTransport>();
}

void ShutdownHttpTransport() {
    std::lock_guard lock(g_curlMutex);
    if (g_curlUp)
        curl_global_cleanup();
    g_curlUp = false;
}

} // namespace kf::easysoap
