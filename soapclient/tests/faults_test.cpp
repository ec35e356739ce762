#include <gtest/gtest.h>

#include <algorithm>

#include "kf/easysoap/soapexception.h"
#include "kf/soap/aliasscanner.h"
#include "kf/soap/entry.h"
#include "kf/soap/faults.h"

namespace kf::soap {
namespace {

TEST(TaggedSection, FirstTagsOrTheWholeText) {
    const std::u16string all = u"<kfsp_fcode>C</kfsp_fcode><kfsp_fstring>S</kfsp_fstring>"
                               u"<kfsp_fdetailmessage>D</kfsp_fdetailmessage>";
    EXPECT_EQ(TaggedSection(all, kFaultCodeTags[0], kFaultCodeTags[1]), u"C");
    EXPECT_EQ(TaggedSection(all, kFaultStringTags[0], kFaultStringTags[1]), u"S");
    EXPECT_EQ(TaggedSection(all, kFaultDetailTags[0], kFaultDetailTags[1]), u"D");
    EXPECT_EQ(TaggedSection(u"plain", kFaultCodeTags[0], kFaultCodeTags[1]), u"plain");
    EXPECT_EQ(TaggedSection(u"<kfsp_fcode>open", kFaultCodeTags[0], kFaultCodeTags[1]),
              u"<kfsp_fcode>open");
    // A closing tag before the opening one must not give a negative length.
    EXPECT_EQ(TaggedSection(u"</kfsp_fcode>x<kfsp_fcode>", kFaultCodeTags[0], kFaultCodeTags[1]),
              u"</kfsp_fcode>x<kfsp_fcode>");
}

TEST(ClassifyCurrentException, ShortTextAndFaultTextByKind) {
    namespace es = easysoap;
    const std::string tagged = es::FormatFaultMessage("soap:Client", "Bad symbol", "no such");
    struct Case {
        const char* name;
        void (*raise)();
        std::string text, faultText;
    } cases[] = {
        {"tagged fault",
         [] {
             throw es::SOAPFaultException(
                 es::FormatFaultMessage("soap:Client", "Bad symbol", "no such"));
         },
         "Bad symbol", tagged},
        {"untagged fault", [] { throw es::SOAPFaultException("plain fault"); }, "plain fault",
         "plain fault"},
        {"socket", [] { throw es::SOAPSocketException("Connection refused"); },
         "Connection refused", ""},
        {"conversion", [] { throw es::SOAPException("Value exceeds XML byte"); },
         "Value exceeds XML byte", ""},
        {"memory", [] { throw es::SOAPMemoryException(); }, "Out of memory", ""},
        {"scanner", [] { throw SoapScannerException{}; },
         "Unexpected end of alias string in the proxy", ""},
        {"other", [] { throw std::invalid_argument("x"); },
         "Unknown error, problem with SoapClient", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallFailure f;
        try {
            c.raise();
        } catch (...) {
            f = ClassifyCurrentException();
        }
        EXPECT_EQ(f.text, c.text);
        EXPECT_EQ(f.faultText, c.faultText);
    }
}

TEST(Entry, DescriptionAndCaseSensitiveClassNames) {
    const std::u16string_view d = ClassDescription();
    EXPECT_EQ(d.substr(0, 38), u"class soapexception from runtimeerror\n");
    EXPECT_EQ(d.back(), u'\n');
    EXPECT_EQ(std::count(d.begin(), d.end(), u'\n'), 13);
    EXPECT_NE(d.find(u"\nfunction long createinstance(ref kestrelobject obj, string proxyname)\n"),
              std::u16string_view::npos);
    rt::NativeObject* sentinel = reinterpret_cast<rt::NativeObject*>(0x1);
    rt::NativeObject* out = sentinel;
    CreateNativeObject(u"SoapConnection", &out);
    EXPECT_EQ(out, sentinel);
    CreateNativeObject(u"soapconnection", &out);
    ASSERT_NE(out, sentinel);
    ASSERT_NE(out, nullptr);
    out->DestroyObject();
}

} // namespace
} // namespace kf::soap
