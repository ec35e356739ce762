#include "loopbackserver.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kf::soaptest {
namespace {

#if defined(_WIN32)
using Sock = SOCKET;
void CloseSocket(Sock s) {
    closesocket(s);
}
struct WinsockInit {
    WinsockInit() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};
#else
using Sock = int;
void CloseSocket(Sock s) {
    close(s);
}
#endif

// Waits up to 50 ms for the socket to become readable.
bool Readable(Sock s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, 50'000};
    return select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
}

bool SendAll(Sock s, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const int n =
            static_cast<int>(send(s, data.data() + done, static_cast<int>(data.size() - done), 0));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const auto a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

std::optional<std::string> RecordedRequest::Header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    if (it == headers.end())
        return std::nullopt;
    return it->second;
}

LoopbackServer::LoopbackServer() {
#if defined(_WIN32)
    static WinsockInit init;
#endif
    Sock s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(s, 16);
    socklen_t len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listener_ = static_cast<std::intptr_t>(s);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    acceptor_.join();
    for (auto& w : workers_)
        w.join();
    CloseSocket(static_cast<Sock>(listener_));
}

std::string LoopbackServer::Url(const std::string& path) const {
    return "http://" + HostPort() + path;
}

std::string LoopbackServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void LoopbackServer::Enqueue(CannedResponse response) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(response));
}

void LoopbackServer::SetDefault(CannedResponse response) {
    std::lock_guard lock(mutex_);
    default_ = std::move(response);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackServer::Connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

CannedResponse LoopbackServer::Next() {
    std::lock_guard lock(mutex_);
    if (queue_.empty())
        return default_;
    CannedResponse r = std::move(queue_.front());
    queue_.pop_front();
    return r;
}

void LoopbackServer::AcceptLoop() {
    const Sock listener = static_cast<Sock>(listener_);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                return;
        }
        if (!Readable(listener))
            continue;
        Sock c = accept(listener, nullptr, nullptr);
#if defined(_WIN32)
        if (c == INVALID_SOCKET)
            continue;
#else
        if (c < 0)
            continue;
#endif
        std::lock_guard lock(mutex_);
        const int number = ++connections_;
        workers_.emplace_back([this, c, number] { Serve(static_cast<std::intptr_t>(c), number); });
    }
}

void LoopbackServer::Serve(std::intptr_t socketValue, int number) {
    const Sock s = static_cast<Sock>(socketValue);
    std::string buffer;
    auto stopping = [this] {
        std::lock_guard lock(mutex_);
        return stop_;
    };
    // Reads until `need` bytes are buffered or `marker` appears; false when the peer closed.
    auto fill = [&](auto done) {
        while (!done()) {
            if (stopping())
                return false;
            if (!Readable(s))
                continue;
            char chunk[4096];
            const int n = static_cast<int>(recv(s, chunk, sizeof chunk, 0));
            if (n <= 0)
                return false;
            buffer.append(chunk, static_cast<std::size_t>(n));
        }
        return true;
    };
    for (;;) {
        if (!fill([&] { return buffer.find("\r\n\r\n") != std::string::npos; }))
            break;
        const std::size_t headEnd = buffer.find("\r\n\r\n");
        RecordedRequest request;
        request.connection = number;
        std::string head = buffer.substr(0, headEnd);
        buffer.erase(0, headEnd + 4);
        std::size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        const std::size_t sp1 = requestLine.find(' ');
        const std::size_t sp2 = requestLine.find(' ', sp1 + 1);
        request.method = requestLine.substr(0, sp1);
        request.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
        request.viaProxy = request.target.rfind("http://", 0) == 0;
        while (lineEnd != std::string::npos) {
            const std::size_t start = lineEnd + 2;
            lineEnd = head.find("\r\n", start);
            const std::string line = head.substr(start, lineEnd - start);
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            request.headers[Lower(Trim(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
        }
        std::size_t length = 0;
        if (auto cl = request.Header("content-length"))
            length = std::stoul(*cl);
        if (!fill([&] { return buffer.size() >= length; }))
            break;
        request.body = buffer.substr(0, length);
        buffer.erase(0, length);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const CannedResponse r = Next();
        using B = CannedResponse::Behaviour;
        if (r.behaviour == B::CloseAtOnce)
            break;
        if (r.behaviour == B::NeverAnswer) {
            while (!stopping())
                Readable(s);
            break;
        }
        std::string out = "HTTP/1.1 " + std::to_string(r.status) + " " + Reason(r.status) + "\r\n";
        out += "Content-Type: " + r.contentType + "\r\n";
        out += "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
        out += "Connection: keep-alive\r\n\r\n";
        if (r.behaviour == B::CloseMidResponse) {
            SendAll(s, out + r.body.substr(0, r.body.size() / 2));
            break;
        }
        if (!SendAll(s, out + r.body))
            break;
    }
#if defined(_WIN32)
    shutdown(s, SD_BOTH);
#else
    shutdown(s, SHUT_RDWR);
#endif
    CloseSocket(s);
}

std::string Envelope(const std::string& bodyContent) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:enc=\"http://schemas.xmlsoap.org/soap/encoding/\">"
           "<soap:Body>" +
           bodyContent + "</soap:Body></soap:Envelope>";
}

std::string FaultEnvelope(const std::string& code, const std::string& string,
                          const std::string& detail) {
    std::string content =
        "<soap:Fault><faultcode>" + code + "</faultcode><faultstring>" + string + "</faultstring>";
    if (!detail.empty())
        content += "<detail><info>" + detail + "</info></detail>";
    return Envelope(content + "</soap:Fault>");
}

} // namespace kf::soaptest
