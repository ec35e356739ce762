// kfrun scripts end to end: the runtime stand-in loads soapclientext and the proxy class,
// runs a script, and the loopback server records what reached it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "kf/kfruntime/exportsource.h"
#include "kf/kfruntime/extension.h"
#include "kf/kfruntime/interpreter.h"
#include "kf/kfruntime/text.h"
#include "loopbackserver.h"

namespace kf::soap {
namespace {

using soaptest::CannedResponse;
using soaptest::Envelope;
using soaptest::LoopbackServer;
using B = CannedResponse::Behaviour;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::string Answer(const std::string& method, const std::string& content) {
    return Envelope("<m:" + method + "Response xmlns:m=\"urn:quotes\">" + content +
                    "</m:" + method + "Response>");
}

class Scripts : public ::testing::Test {
protected:
    // Runs scripts/<name>.kfs with the proxy class pointing at `endpoint`; the output with the
    // server's port written as @PORT@, or the error text.
    std::string Run(const std::string& name, const std::string& endpoint,
                    const std::map<std::string, std::string>& vars = {}) {
        const std::string dir = ::testing::TempDir();
        std::vector<std::string> sources;
        for (const char* proxy : {"n_quoteproxy.srx", "n_docproxy.srx", "n_arrayproxy.srx",
                                  "tns__point.srs", "tns__inner.srs"}) {
            std::string srx = Read(std::string(KF_SOAP_TEST_DIR) + "/data/" + proxy);
            ReplaceAll(srx, "@ENDPOINT@", endpoint);
            sources.push_back(dir + proxy);
            std::ofstream(sources.back(), std::ios::binary) << srx;
        }
        std::string script = Read(std::string(KF_SOAP_TEST_DIR) + "/scripts/" + name + ".kfs");
        for (const auto& [key, value] : vars)
            ReplaceAll(script, key, value);
        std::ostringstream out;
        try {
            rt::Runtime runtime;
            rt::LoadExtension(runtime, KF_SOAPCLIENTEXT);
            rt::LoadExportSources(runtime, sources);
            rt::Interpreter(runtime, out).Run(rt::ParseScript(rt::Widen(script), name + ".kfs"));
        } catch (const std::exception& e) {
            out << "ERROR: " << e.what() << "\n";
        }
        std::string text = out.str();
        ReplaceAll(text, "\r\n", "\n");
        ReplaceAll(text, ":" + std::to_string(server_.Port()) + "/", ":@PORT@/");
        return text;
    }

    std::string Expected(const std::string& name) {
        std::string text = Read(std::string(KF_SOAP_TEST_DIR) + "/scripts/" + name + ".out");
        ReplaceAll(text, "\r\n", "\n");
        return text;
    }

    LoopbackServer server_;
};

TEST_F(Scripts, CallsCarryArgumentsResultsActionsAndCredentials) {
    server_.Enqueue(
        {200, Answer("GetQuote", "<GetQuoteResult>12.5</GetQuoteResult><note>changed</note>")});
    server_.Enqueue({200, Answer("NoAction", "<r>a</r>")});
    server_.Enqueue({200, Answer("EmptyAction", "<r>b</r>")});
    server_.Enqueue({200, Answer("FromReturn", "<return>c</return>")});
    server_.Enqueue({200, Answer("OutOnly", "<r>r</r><a>nil for a</a><b xsi:nil=\"true\"/>")});
    server_.Enqueue(
        {200, Answer("GetQuote", "<GetQuoteResult>ret2</GetQuoteResult><note>again-note</note>")});
    server_.Enqueue({200, Answer("NoAction", "<r>Stra&#xDF;e \xE2\x9C\x93</r>")});
    EXPECT_EQ(Run("calls", server_.Url()), Expected("calls"));

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_NE(requests[6].body.find(">Gr\xC3\xBC\xC3\x9F"
                                    "e \xE2\x82\xAC</s>"),
              std::string::npos)
        << "UTF-8 on the wire";
    for (const auto& r : requests) {
        EXPECT_EQ(r.Header("authorization").value_or("-"),
                  "Basic YWxpY2U6czNjcmV0"); // alice:s3cret
        EXPECT_FALSE(r.viaProxy);
        EXPECT_EQ(r.target, "/soap");
    }
    EXPECT_EQ(requests[0].Header("soapaction").value_or("-"), "\"urn:quotes#GetQuote\"");
    EXPECT_NE(
        requests[0].body.find("<ns1:GetQuote>\n      <symbol xsi:type=\"xsd:string\">KF</symbol>"
                              "\n      <note xsi:type=\"xsd:string\">first</note>"),
        std::string::npos)
        << requests[0].body;
    EXPECT_FALSE(requests[1].Header("soapaction")) << "no second @: no SOAPAction";
    EXPECT_EQ(requests[2].Header("soapaction").value_or("-"), "\"\"");
    EXPECT_EQ(requests[3].Header("soapaction").value_or("-"), "\"\"") << "the action ~\"~\"";
    EXPECT_EQ(requests[4].body.find("<a"), std::string::npos) << "out-only entries are not sent";
#if !defined(_WIN32)
    // Wine's WinHTTP pools connections across sessions, so only Linux can count them.
    EXPECT_EQ(server_.Connections(), 7) << "without the cache every call has its own connection";
#endif
}

TEST_F(Scripts, DocumentStyleSendsTheElementName) {
    server_.Enqueue({200, Envelope("<t:LookupResponse xmlns:t=\"urn:docs:types\"><value>v1</value>"
                                   "</t:LookupResponse>")});
    EXPECT_EQ(Run("docstyle", server_.Url()), Expected("docstyle"));
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& body = requests[0].body;
    EXPECT_NE(body.find("xmlns:ns1=\"urn:docs:types\""), std::string::npos) << body;
    EXPECT_NE(body.find("<ns1:LookupRequest>\n      <ns2:key xsi:type=\"xsd:string\">k1</ns2:key>"),
              std::string::npos)
        << body;
    EXPECT_EQ(body.find("encodingStyle"), std::string::npos) << body;
    EXPECT_EQ(requests[0].Header("soapaction").value_or("-"), "\"urn:docs#Lookup\"");
}

TEST_F(Scripts, FailuresBecomeSoapExceptions) {
    server_.Enqueue(
        {500, soaptest::FaultEnvelope("soap:Server", "Quote refused", "symbol unknown")});
    server_.Enqueue({500, "<html>internal error</html>", "text/html"});
    server_.Enqueue({200, "Service temporarily replaced by a web page", "text/plain"});
    server_.Enqueue({200, Answer("NoAction", std::string(180, ' ') + "<r>x</r>"), "text/xml",
                     B::CloseMidResponse});
    server_.Enqueue({200, "", "text/xml", B::NeverAnswer});
    server_.Enqueue({200, Answer("Missing", "<other>1</other>")});
    EXPECT_EQ(Run("failures", server_.Url()), Expected("failures"));
    EXPECT_EQ(server_.Requests().size(), 6u) << "broken aliases and types send nothing";
}

TEST_F(Scripts, ProxyServerAndConnectionCache) {
    server_.SetDefault({200, Answer("NoAction", "<r>a</r>")});
    const std::string log = ::testing::TempDir() + "soapclient_cache.log";
    std::remove(log.c_str());
    EXPECT_EQ(
        Run("proxyserver", "unused", {{"@PROXY@", "http://" + server_.HostPort()}, {"@LOG@", log}}),
        Expected("proxyserver"));
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& r : requests) {
        EXPECT_TRUE(r.viaProxy);
        EXPECT_EQ(r.target, "http://service.invalid:8080/quotes");
        EXPECT_EQ(r.Header("proxy-authorization").value_or("-"), "Basic cHU6cHA="); // pu:pp
        EXPECT_FALSE(r.Header("authorization"));
    }
    EXPECT_EQ(requests[0].connection, requests[1].connection) << "cached connection reused";
#if !defined(_WIN32)
    EXPECT_NE(requests[1].connection, requests[2].connection);
#endif
    const std::string text = Read(log);
    auto count = [&](const std::string& line) {
        int n = 0;
        for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("\nConnection Cached\n"), 2) << text;
    EXPECT_EQ(count("\nConnection Disconnected\n"), 1) << text;
    EXPECT_NE(text.find("<s xsi:type=\"xsd:string\">3</s>"), std::string::npos) << text;
    EXPECT_EQ(text.find("pp"), std::string::npos) << "no proxy password in the log";
}

TEST_F(Scripts, ArraysAndStructuresBothWays) {
    const std::string ok = "<r>ok</r>";
    server_.Enqueue({200, Answer("EchoList", ok + "<names><item>a</item><item>b</item></names>")});
    server_.Enqueue(
        {200, Answer("EchoEncoded",
                     ok + "<names xsi:type=\"enc:Array\" enc:arrayType=\"xsd:string[5]\" "
                          "enc:offset=\"[2]\"><entry>c</entry><entry>d</entry></names>")});
    server_.Enqueue({200, Answer("GetNames", "<names enc:arrayType=\"xsd:string[2]\">"
                                             "<item>n1</item><item xsi:nil=\"true\"/></names>")});
    server_.Enqueue({200, Answer("MovePoint", "<moved><label>moved</label>"
                                              "<inner><note>deeper</note></inner>"
                                              "<tags><tag>u1</tag><tag>u2</tag></tags></moved>")});
    server_.Enqueue({200, Answer("GetPoints", "<points><item><label>p1</label></item>"
                                              "<item><label>p2</label></item></points>")});
    EXPECT_EQ(Run("arrays", server_.Url()), Expected("arrays"));
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 5u) << "the bounded array is refused before sending";
    // The items' namespace is the method's here, which rpc style writes unqualified.
    EXPECT_NE(requests[0].body.find("<names>\n        <item xsi:type=\"xsd:string\">x</item>"),
              std::string::npos)
        << requests[0].body;
    EXPECT_NE(requests[1].body.find("<names xsi:type=\"SOAP-ENC:Array\" "
                                    "SOAP-ENC:arrayType=\"xsd:string[2]\">\n        "
                                    "<entry>a</entry>"),
              std::string::npos)
        << requests[1].body;
    const std::string& point = requests[3].body;
    EXPECT_NE(point.find("<p xsi:type=\""), std::string::npos) << point;
    EXPECT_NE(point.find(":Point\">"), std::string::npos) << point;
    EXPECT_NE(point.find("<type xsi:type=\"xsd:string\">kind</type>"), std::string::npos)
        << "ws_type goes out as type: " << point;
    EXPECT_NE(point.find("<note xsi:type=\"xsd:string\">deep</note>"), std::string::npos) << point;
}

} // namespace
} // namespace kf::soap
