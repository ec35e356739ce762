// A connection to one SOAP endpoint. Executes requests over HTTP/1.1 and keeps the
// connection alive between requests for as long as the proxy lives.
#pragma once

#include <memory>
#include <string>

#include "kf/easysoap/soapmethod.h"
#include "kf/easysoap/soapresponse.h"
#include "kf/easysoap/xmlcomposer.h"

namespace kf::easysoap {

class HttpTransport;

class SOAPProxy {
public:
    // endpoint: http(s)://[user[:password]@]host[:port]/path; credentials are sent as basic
    // authentication. proxyUrl (may be empty): http://[user[:password]@]host:port[/].
    // timeout: seconds for the whole exchange; 0 or less means kDefaultTimeout.
    SOAPProxy(std::string endpoint, std::string proxyUrl, int timeout, BindingStyle style,
              std::unique_ptr<HttpTransport> transport);
    ~SOAPProxy();
    SOAPProxy(const SOAPProxy&) = delete;
    SOAPProxy& operator=(const SOAPProxy&) = delete;

    static constexpr int kDefaultTimeout = 60;

    // Sends the method and decodes the answer. A SOAP fault raises SOAPFaultException, a
    // transport failure or an HTTP error without a fault SOAPSocketException, a response
    // that is not a SOAP envelope SOAPException. The response lives until the next Execute.
    const SOAPResponse& Execute(const SOAPMethod& method);

    BindingStyle GetBindingStyle() const { return style_; }

private:
    std::string endpoint_;
    std::string proxyUrl_;
    int timeout_;
    BindingStyle style_;
    std::unique_ptr<HttpTransport> transport_;
    SOAPResponse response_;
};

// What the extension calls; style is the BindingStyle's number. Null only when memory runs out;
// an endpoint that is not an http(s) URL fails at Execute with SOAPSocketException.
SOAPProxy* InitSOAPProxy(const char* endpoint, int timeout, int style);
SOAPProxy* InitSOAPProxyEx(const char* endpoint, const char* proxyUrl, int timeout, int style);
void DeleteSOAPProxy(SOAPProxy* proxy);

// Frees what the library set up for the whole process (the XML parser, the HTTP library,
// the log file). For a module that is about to be unloaded; no proxy may be alive.
void ReleaseLibraryResources();

} // namespace kf::easysoap
