#include <gtest/gtest.h>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"

namespace kf::easysoap {
namespace {

class Composer : public ::testing::Test {
protected:
    void SetUp() override { XMLComposer::SetAddWhiteSpace(false); }
    void TearDown() override { XMLComposer::SetAddWhiteSpace(false); }
};

SOAPParameter& Add(SOAPMethod& m, const char* name, const char* type, const char* value) {
    SOAPParameter& p = m.AddParameter("");
    p.SetName(name, m.GetName().ns);
    p.AddAttribute(SOAPQName("type", kXsiNs)).Set(type, kXsdNs);
    p.SetValue(value);
    return p;
}

TEST_F(Composer, RpcEnvelopeDeclaresEachNamespaceOnceOnTheEnvelope) {
    SOAPMethod m("GetQuote", "urn:quotes", "urn:quotes#GetQuote");
    Add(m, "symbol", "string", "A&B <x>");
    SOAPParameter& n = m.AddParameter("");
    n.SetName("note", "urn:quotes");
    n.SetNull(true);
    SOAPParameter& other = m.AddParameter("");
    other.SetName("extra", "urn:other");
    other.AddAttribute(SOAPQName("type", kXsiNs)).Set("T", "urn:quotes");
    other.SetValue("\"q\"");
    EXPECT_EQ(XMLComposer::ComposeEnvelope(m, BindingStyle::Rpc),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
              " xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\""
              " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
              " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:ns1=\"urn:quotes\""
              " xmlns:ns2=\"urn:other\""
              " SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
              "<SOAP-ENV:Body><ns1:GetQuote>"
              "<symbol xsi:type=\"xsd:string\">A&amp;B &lt;x&gt;</symbol>"
              "<note xsi:nil=\"true\"/>"
              "<ns2:extra xsi:type=\"ns1:T\">\"q\"</ns2:extra>"
              "</ns1:GetQuote></SOAP-ENV:Body></SOAP-ENV:Envelope>");
}

TEST_F(Composer, DocumentStyleUsesTheElementNameAndQualifiesEveryElement) {
    SOAPMethod m("Op", "urn:m");
    m.SetSoapElementName("OpRequest", "urn:e");
    Add(m, "a", "int", "1");
    const std::string xml = XMLComposer::ComposeEnvelope(m, BindingStyle::Document);
    EXPECT_NE(xml.find("<ns1:OpRequest><ns2:a xsi:type=\"xsd:int\">1</ns2:a></ns1:OpRequest>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.find("encodingStyle"), std::string::npos);

    SOAPMethod plain("Op", "urn:m");
    plain.SetSoapElementName("", "");
    EXPECT_NE(XMLComposer::ComposeEnvelope(plain, BindingStyle::Document).find("<ns1:Op/>"),
              std::string::npos);
}

TEST_F(Composer, WhiteSpaceSwitchIndentsWithoutTouchingValues) {
    SOAPMethod m("Op", "urn:m");
    Add(m, "a", "string", " x ");
    XMLComposer::SetAddWhiteSpace(true);
    const std::string xml = XMLComposer::ComposeEnvelope(m, BindingStyle::Rpc);
    EXPECT_NE(xml.find("\n  <SOAP-ENV:Body>\n    <ns1:Op>\n      <a xsi:type=\"xsd:string\"> x </a>"
                       "\n    </ns1:Op>\n  </SOAP-ENV:Body>\n</SOAP-ENV:Envelope>\n"),
              std::string::npos)
        << xml;
}

TEST_F(Composer, SoapEncodedArrayCarriesArrayTypeAndItems) {
    SOAPMethod m("Op", "urn:m");
    SOAPParameter& a = m.AddParameter("");
    a.SetName("list", "urn:m");
    a.AddAttribute(SOAPQName("type", kXsiNs)).Set("Array", kSoapEncNs);
    a.AddAttribute(SOAPQName("arrayType", kSoapEncNs)).Set("string[2]", kXsdNs);
    a.SetIsStruct();
    a.AddParameter("item").SetValue("x");
    a.AddParameter("item").SetNull(true);
    EXPECT_NE(XMLComposer::ComposeEnvelope(m, BindingStyle::Rpc)
                  .find("<list xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"xsd:string[2]\">"
                        "<item>x</item><item xsi:nil=\"true\"/></list>"),
              std::string::npos);
}

TEST(SoapMethod, ActionIsAbsentEmptyOrGiven) {
    EXPECT_FALSE(SOAPMethod("m", "n", nullptr).GetSoapAction());
    EXPECT_EQ(SOAPMethod("m", "n", "").GetSoapAction().value(), "");
    EXPECT_EQ(SOAPMethod("m", "n", "urn:a#").GetSoapAction().value(), "urn:a#");
    EXPECT_EQ(SOAPMethod("m", "n", "urn:a#", true).GetSoapAction().value(), "urn:a#m");
}

TEST(SoapParameter, CopiesAreDeepAndLookupsFail) {
    SOAPParameter p("root");
    p.AddParameter("a").AddParameter("b").SetValue("1");
    SOAPParameter copy = p;
    p.GetParameter("a").GetParameter("b").SetValue("2");
    EXPECT_EQ(copy.GetParameter("a").GetParameter("b").GetString(), "1");
    try {
        (void)copy.GetParameter("missing");
        FAIL();
    } catch (const SOAPException& e) {
        EXPECT_STREQ(e.what(), "Could not find element by name: missing");
    }
    copy.ClearValue();
    EXPECT_TRUE(copy.GetArray().empty());
}

} // namespace
} // namespace kf::easysoap
