// A small HTTP/1.1 server on 127.0.0.1 (ephemeral port) for SOAP tests: records every
// request and answers with canned responses, or misbehaves on purpose. It also accepts
// requests in proxy form (absolute URI), so it can stand in for an HTTP proxy server.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kf::soaptest {

struct RecordedRequest {
    std::string method;
    std::string target;                         // as in the request line
    bool viaProxy = false;                      // the target was an absolute URI
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
    int connection = 0; // 1-based number of the connection it came on

    std::optional<std::string> Header(const std::string& lowerName) const;
};

struct CannedResponse {
    enum class Behaviour {
        Answer,           // the response, connection kept open
        CloseMidResponse, // headers and half the body, then the connection is closed
        NeverAnswer,      // reads the request and stays silent
        CloseAtOnce,      // closes the connection without a byte
    };
    int status = 200;
    std::string body;
    std::string contentType = "text/xml; charset=utf-8";
    Behaviour behaviour = Behaviour::Answer;
};

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path = "/soap") const;
    // "host:port" as a proxy address.
    std::string HostPort() const;

    // Responses are used in order; when none is queued the default one answers.
    void Enqueue(CannedResponse response);
    void SetDefault(CannedResponse response);

    std::vector<RecordedRequest> Requests() const;
    int Connections() const;

private:
    void AcceptLoop();
    void Serve(std::intptr_t socket, int number);
    CannedResponse Next();

    std::intptr_t listener_ = -1;
    int port_ = 0;
    bool stop_ = false;
    mutable std::mutex mutex_;
    std::deque<CannedResponse> queue_;
    CannedResponse default_;
    std::vector<RecordedRequest> requests_;
    int connections_ = 0;
    std::thread acceptor_;
    std::vector<std::thread> workers_;
};

// A minimal SOAP 1.1 envelope around body content.
std::string Envelope(const std::string& bodyContent);
// A SOAP fault envelope.
std::string FaultEnvelope(const std::string& code, const std::string& string,
                          const std::string& detail);

} // namespace kf::soaptest
