#include <gtest/gtest.h>

#include "kf/easysoap/responseparser.h"
#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "loopbackserver.h"

namespace kf::easysoap {
namespace {

using soaptest::Envelope;

std::string Nested(int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += "<a>";
    for (int i = 0; i < depth; ++i)
        s += "</a>";
    return s;
}

// Little-endian with a byte order mark, for ASCII text.
std::string Utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(ResponseParser, BuildsTheParameterTree) {
    const SOAPResponse r = ParseResponse(Envelope(
        "<m:GetQuoteResponse xmlns:m=\"urn:q\">"
        "<Result xsi:type=\"xsd:string\">12 &amp; 5 \xc3\xa9</Result>"
        "<price xsi:nil=\"true\"/>"
        "<list enc:arrayType=\"xsd:int[2]\"><item>1</item><item><![CDATA[2]]></item></list>"
        "</m:GetQuoteResponse>"));
    const SOAPParameter& m = r.GetMethod();
    EXPECT_EQ(m.GetName(), SOAPQName("GetQuoteResponse", "urn:q"));
    EXPECT_EQ(m.GetParameter("Result").GetString(), "12 & 5 \xc3\xa9");
    EXPECT_EQ(*m.GetParameter("Result").GetAttribute(SOAPQName("type", kXsiNs)),
              SOAPQName("string", kXsdNs));
    EXPECT_TRUE(m.GetParameter("price").IsNull());
    const SOAPParameter& list = m.GetParameter("list");
    EXPECT_EQ(*list.GetAttribute(SOAPQName("arrayType", kSoapEncNs)), SOAPQName("int[2]", kXsdNs));
    ASSERT_EQ(list.GetArray().size(), 2u);
    EXPECT_EQ(list.GetArray()[1]->GetString(), "2");
    EXPECT_EQ(&r.GetReturnValue(), &m.GetParameter("Result"));
}

TEST(ResponseParser, ResolvesMultiRefReferences) {
    const SOAPResponse r = ParseResponse(Envelope(
        "<m:R xmlns:m=\"urn:q\"><return href=\"#id0\"/><other href=\"#id0\"/></m:R>"
        "<multiRef id=\"id0\" xsi:type=\"m:Pt\" xmlns:m=\"urn:q\"><x href=\"#id1\"/><y>2</y>"
        "</multiRef><multiRef id=\"id1\">1</multiRef>"));
    const SOAPParameter& ret = r.GetMethod().GetParameter("return");
    EXPECT_EQ(ret.GetParameter("x").GetString(), "1");
    EXPECT_EQ(ret.GetParameter("y").GetString(), "2");
    EXPECT_EQ(*ret.GetAttribute(SOAPQName("type", kXsiNs)), SOAPQName("Pt", "urn:q"));
    EXPECT_EQ(r.GetMethod().GetParameter("other").GetParameter("x").GetString(), "1");
}

TEST(ResponseParser, ReferenceIntoItsOwnChildrenKeepsTheTarget) {
    const SOAPResponse r =
        ParseResponse(Envelope("<m:R xmlns:m=\"urn:q\"><a href=\"#b\"><b id=\"b\">"
                               "<v>1</v></b></a><c href=\"#b\"/></m:R>"));
    EXPECT_EQ(r.GetMethod().GetParameter("a").GetParameter("v").GetString(), "1");
    EXPECT_EQ(r.GetMethod().GetParameter("c").GetParameter("v").GetString(), "1");
}

TEST(ResponseParser, FaultCarriesTaggedSections) {
    try {
        ParseResponse(soaptest::FaultEnvelope("soap:Server", "Boom", "line 7"));
        FAIL();
    } catch (const SOAPFaultException& e) {
        EXPECT_STREQ(e.what(),
                     "<kfsp_fcode>soap:Server</kfsp_fcode><kfsp_fstring>Boom</kfsp_fstring>"
                     "<kfsp_fdetailmessage>line 7</kfsp_fdetailmessage>");
    }
}

TEST(ResponseParser, RefusesWhatIsNotASafeSoapEnvelope) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty answer"},
        {"<html><body>oops</body></html>", "not a SOAP 1.1 envelope"},
        {"this is not xml", "not well-formed XML"},
        {Envelope("<m:R xmlns:m=\"urn:q\">").substr(0, 120), "not well-formed XML"},
        {"<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
         "<x>&e;</x>",
         "DOCTYPE is not allowed"},
        {"<e:Envelope xmlns:e=\"urn:wrong\"><e:Body/></e:Envelope>", "not a SOAP 1.1 envelope"},
        {"<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"/>", "has no Body"},
        {Envelope("<R><a href=\"#nowhere\"/></R>"), "no element with id 'nowhere'"},
        {Envelope("<R><a href=\"#c\"/></R><c id=\"c\"><d href=\"#c\"/></c>"),
         "circular href reference"},
        {Envelope(Nested(300)), "nested too deeply"},
        // The byte search for a DOCTYPE cannot see one in UTF-16; its entities stay unknown.
        {Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><!DOCTYPE e [<!ENTITY x \"y\">]>" +
               Envelope("<R><a>&x;</a></R>").substr(39)),
         "Invalid response"},
    };
    for (const auto& [text, message] : cases) {
        try {
            ParseResponse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const SOAPFaultException&) {
            ADD_FAILURE() << "fault for: " << text;
        } catch (const SOAPException& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST(ResponseParser, ManyCharacterReferencesAreText) {
    std::string text, expected;
    for (int i = 0; i < 2000; ++i) {
        text += "&amp;&#233;&lt;";
        expected += "&\xC3\xA9<";
    }
    const SOAPResponse r = ParseResponse(Envelope("<R><a>" + text + "</a></R>"));
    EXPECT_EQ(r.GetMethod().GetParameter("a").GetString(), expected);
}

TEST(ResponseParser, EmptyBodyGivesAnEmptyMethod) {
    const SOAPResponse r = ParseResponse(Envelope(""));
    EXPECT_TRUE(r.GetMethod().GetArray().empty());
    EXPECT_THROW((void)r.GetMethod().GetParameter("x"), SOAPException);
}

} // namespace
} // namespace kf::easysoap
