#include <gtest/gtest.h>

#include <stdexcept>

#include "kf/soap/aliascall.h"
#include "kf/soap/aliasscanner.h"

namespace kf::soap {
namespace {

using K = AliasTokenKind;

std::vector<AliasToken> Tokens(std::u16string_view text, bool fieldList = false) {
    AliasScanner scanner(text, fieldList);
    std::vector<AliasToken> out;
    try {
        for (;;)
            out.push_back(scanner.Next());
    } catch (const SoapScannerException&) {
    }
    return out;
}

TEST(AliasScanner, SplitsPunctuationWordsAndKeywords) {
    const auto t = Tokens(u" ([in,out] xsd:string[SoapElementName=x] name)return\tIn");
    const std::vector<std::pair<K, std::u16string>> expected = {
        {K::LeftParen, u"("},     {K::LeftBracket, u"["}, {K::In, u"in"},
        {K::Comma, u","},         {K::Out, u"out"},       {K::RightBracket, u"]"},
        {K::Word, u"xsd:string"}, {K::LeftBracket, u"["}, {K::SoapElementName, u"SoapElementName"},
        {K::Equals, u"="},        {K::Word, u"x"},        {K::RightBracket, u"]"},
        {K::Word, u"name"},       {K::RightParen, u")"},  {K::Return, u"return"},
        {K::Word, u"In"}};
    ASSERT_EQ(t.size(), expected.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].kind, expected[i].first) << i;
        EXPECT_EQ(t[i].text, expected[i].second) << i;
    }
    const auto fields = Tokens(u"in ElementName return", true);
    EXPECT_EQ(fields[0].kind, K::Word);
    EXPECT_EQ(fields[1].kind, K::ElementName);
    EXPECT_EQ(fields[2].kind, K::Word);
}

TEST(AliasScanner, EndOfTextIsAnErrorEveryTime) {
    for (std::u16string_view text : {u"", u"   \t\r\n", u"x "}) {
        AliasScanner scanner(text);
        if (text == u"x ")
            scanner.Next();
        EXPECT_THROW(scanner.Next(), SoapScannerException);
        EXPECT_THROW(scanner.Next(), SoapScannerException);
    }
}

TEST(SplitAlias, TableOfHeaders) {
    struct Case {
        std::u16string_view alias;
        std::u16string_view method, parameters, ns;
        std::optional<std::u16string> action;
        std::u16string_view element, elementNs;
    };
    const Case cases[] = {
        {u"Get([in] xsd:string s)return xsd:string r@urn:q@urn:q#Get", u"Get",
         u"([in] xsd:string s)return xsd:string r", u"urn:q", u"urn:q#Get", u"", u""},
        {u"Get()@urn:q", u"Get", u"()", u"urn:q", std::nullopt, u"", u""},
        {u"Get()@urn:q@", u"Get", u"()", u"urn:q", u"", u"", u""},
        {u"Get()@urn:q@\"\"", u"Get", u"()", u"urn:q", u"", u"", u""},
        {u"Get()@urn:q@\"x\"", u"Get", u"()", u"urn:q", u"\"x\"", u"", u""},
        {u"Get()@urn:q@a*GetReq*urn:e", u"Get", u"()", u"urn:q", u"a", u"GetReq", u"urn:e"},
        {u"Get()@urn:q*GetReq", u"Get", u"()", u"urn:q", std::nullopt, u"GetReq", u""},
        {u"Get()", u"Get", u"()", u"Get()", std::nullopt, u"", u""},
    };
    for (const Case& c : cases) {
        const AliasParts p = SplitAlias(c.alias);
        EXPECT_EQ(p.method, c.method);
        EXPECT_EQ(p.parameters, c.parameters);
        EXPECT_EQ(p.ns, c.ns);
        EXPECT_EQ(p.action, c.action);
        EXPECT_EQ(p.elementName, c.element);
        EXPECT_EQ(p.elementNs, c.elementNs);
    }
    EXPECT_THROW(SplitAlias(u"NoParens@urn:q"), std::invalid_argument);
}

} // namespace
} // namespace kf::soap
