#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "kf/easysoap/easysoap.h"
#include "loopbackserver.h"

namespace kf::easysoap {
namespace {

using soaptest::CannedResponse;
using soaptest::Envelope;
using soaptest::LoopbackServer;
using B = CannedResponse::Behaviour;

const std::string kAnswer =
    Envelope("<m:EchoResponse xmlns:m=\"urn:e\"><return>pong</return></m:EchoResponse>");

SOAPMethod Echo(const char* action = nullptr) {
    SOAPMethod m("Echo", "urn:e", action);
    SOAPParameter& p = m.AddParameter("");
    p.SetName("text", "urn:e");
    p.SetValue("ping");
    return m;
}

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const SOAPFaultException& e) {
        return std::string("fault: ") + e.what();
    } catch (const SOAPSocketException& e) {
        return std::string("socket: ") + e.what();
    } catch (const SOAPException& e) {
        return std::string("soap: ") + e.what();
    }
    return "no exception";
}

TEST(SoapProxy, PostsTheEnvelopeAndDecodesTheAnswer) {
    LoopbackServer server;
    server.SetDefault({200, kAnswer});
    std::unique_ptr<SOAPProxy> proxy(InitSOAPProxy(server.Url("/svc").c_str(), 5, 2));
    ASSERT_TRUE(proxy);
    const SOAPResponse& r = proxy->Execute(Echo("urn:e#Echo"));
    EXPECT_EQ(r.GetMethod().GetParameter("return").GetString(), "pong");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/svc");
    EXPECT_EQ(requests[0].Header("soapaction").value_or("-"), "\"urn:e#Echo\"");
    EXPECT_EQ(requests[0].Header("content-type").value_or("-"), "text/xml; charset=utf-8");
    EXPECT_FALSE(requests[0].Header("authorization"));
    EXPECT_FALSE(requests[0].viaProxy);
    EXPECT_NE(requests[0].body.find("<ns1:Echo><text>ping</text></ns1:Echo>"), std::string::npos);
}

TEST(SoapProxy, SoapActionHeaderIsAbsentEmptyOrGiven) {
    LoopbackServer server;
    server.SetDefault({200, kAnswer});
    std::unique_ptr<SOAPProxy> proxy(InitSOAPProxy(server.Url().c_str(), 5, 0));
    proxy->Execute(Echo(nullptr));
    proxy->Execute(Echo(""));
    proxy->Execute(Echo("a b"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_FALSE(requests[0].Header("soapaction"));
    EXPECT_EQ(requests[1].Header("soapaction").value_or("-"), "\"\"");
    EXPECT_EQ(requests[2].Header("soapaction").value_or("-"), "\"a b\"");
    EXPECT_EQ(server.Connections(), 1) << "the connection is kept alive between requests";
}

TEST(SoapProxy, CredentialsBecomeBasicAuthenticationAndStayOutOfTheLog) {
    LoopbackServer server;
    server.SetDefault({200, kAnswer});
    const std::string log = ::testing::TempDir() + "easysoap_auth.log";
    std::remove(log.c_str());
    ASSERT_TRUE(SOAPDebugger::SetFile(log.c_str()));
    SOAPDebugger::SetMessageLevel(1000);
    const std::string endpoint = "http://user:s3cret@" + server.HostPort() + "/soap";
    std::unique_ptr<SOAPProxy> proxy(InitSOAPProxy(endpoint.c_str(), 5, 2));
    proxy->Execute(Echo());
    SOAPDebugger::Close();
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("authorization").value_or("-"), "Basic dXNlcjpzM2NyZXQ=");
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    EXPECT_NE(text.str().find("<text>ping</text>"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("<return>pong</return>"), std::string::npos);
    EXPECT_EQ(text.str().find("s3cret"), std::string::npos);
    EXPECT_EQ(text.str().find("dXNlcjpzM2NyZXQ"), std::string::npos);
}

TEST(SoapProxy, GoesThroughTheProxyServerWithItsCredentials) {
    LoopbackServer proxyServer;
    proxyServer.SetDefault({200, kAnswer});
    const std::string proxyUrl = "http://pu:pp@" + proxyServer.HostPort();
    std::unique_ptr<SOAPProxy> proxy(
        InitSOAPProxyEx("http://service.invalid:8080/soap", proxyUrl.c_str(), 5, 2));
    EXPECT_EQ(proxy->Execute(Echo()).GetMethod().GetParameter("return").GetString(), "pong");
    const auto requests = proxyServer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].viaProxy);
    EXPECT_EQ(requests[0].target, "http://service.invalid:8080/soap");
    EXPECT_EQ(requests[0].Header("proxy-authorization").value_or("-"), "Basic cHU6cHA=");
}

TEST(SoapProxy, FailuresBecomeTheRightExceptions) {
    struct Case {
        const char* name;
        CannedResponse response;
        std::string expected; // start of Message()
    };
    const Case cases[] = {
        {"fault",
         {500, soaptest::FaultEnvelope("soap:Client", "Bad input", "")},
         "fault: <kfsp_fcode>soap:Client</kfsp_fcode><kfsp_fstring>Bad input</kfsp_fstring>"},
        {"http 500 without fault",
         {500, "<html>broken</html>", "text/html"},
         "socket: HTTP error 500 Internal Server Error from http://127.0.0.1:"},
        {"http 404", {404, ""}, "socket: HTTP error 404 Not Found"},
        {"not xml", {200, "hello", "text/plain"}, "soap: Invalid response: not well-formed XML"},
        {"closed mid-response",
         {200, kAnswer, "text/xml", B::CloseMidResponse},
         "socket: Connection to http://127.0.0.1:"},
        {"closed at once",
         {200, "", "text/xml", B::CloseAtOnce},
         "socket: Connection to http://127.0.0.1:"},
        {"never answers",
         {200, "", "text/xml", B::NeverAnswer},
         "socket: Timed out after 1 seconds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.SetDefault(c.response);
        std::unique_ptr<SOAPProxy> proxy(InitSOAPProxy(server.Url().c_str(), 1, 2));
        const auto start = std::chrono::steady_clock::now();
        const std::string m = Message([&] { proxy->Execute(Echo()); });
        EXPECT_EQ(m.substr(0, c.expected.size()), c.expected) << c.name << ": " << m;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.name;
    }
}

TEST(SoapProxy, RefusedConnectionAndBadEndpoints) {
    int port = 0;
    {
        LoopbackServer gone;
        port = gone.Port();
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/soap";
    std::unique_ptr<SOAPProxy> refused(InitSOAPProxy(url.c_str(), 2, 2));
    EXPECT_EQ(Message([&] { refused->Execute(Echo()); }).substr(0, 30),
              "socket: Could not connect to h");
    for (const char* bad : {"", "not a url", "ftp://host/x", "http://:80/"}) {
        std::unique_ptr<SOAPProxy> p(InitSOAPProxy(bad, 1, 0));
        ASSERT_TRUE(p);
        EXPECT_EQ(Message([&] { p->Execute(Echo()); }),
                  "socket: Invalid endpoint URL (an http or https URL is needed)")
            << bad;
    }
}

} // namespace
} // namespace kf::easysoap
