// The SOAP library against Axis itself: responses whose values sit in multiRef elements
// (href="#id") read the same as inline ones. The server's URL comes from KF_AXIS_SERVICES,
// set by run_axis_kfrun.sh, which runs this test once per multiRef setting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/soapmethod.h"
#include "kf/easysoap/soapproxy.h"
#include "kf/easysoap/xmlcomposer.h"

namespace kf::easysoap {
namespace {

constexpr const char* kInterop = "http://soapinterop.org/";
constexpr const char* kInteropXsd = "http://soapinterop.org/xsd";

void Typed(SOAPParameter& p, const char* type, const char* ns, const std::string& text) {
    p.AddAttribute(SOAPQName("type", kXsiNs)).Set(type, ns);
    p.SetValue(text);
}

void AddStruct(SOAPParameter& s, const std::string& text, int number, const std::string& real) {
    s.AddAttribute(SOAPQName("type", kXsiNs)).Set("SOAPStruct", kInteropXsd);
    Typed(s.AddParameter("varString"), "string", kXsdNs, text);
    Typed(s.AddParameter("varInt"), "int", kXsdNs, std::to_string(number));
    Typed(s.AddParameter("varFloat"), "float", kXsdNs, real);
    s.SetIsStruct();
}

class AxisMultiRef : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("KF_AXIS_SERVICES");
        ASSERT_NE(base, nullptr) << "run through run_axis_kfrun.sh";
        proxy_.reset(InitSOAPProxy((std::string(base) + "/InteropEncoded").c_str(), 60, 2));
        ASSERT_NE(proxy_, nullptr);
    }
    struct Deleter {
        void operator()(SOAPProxy* p) const { DeleteSOAPProxy(p); }
    };
    std::unique_ptr<SOAPProxy, Deleter> proxy_;
};

TEST_F(AxisMultiRef, StructureFieldsAreResolved) {
    SOAPMethod m("echoStruct", kInterop, "");
    AddStruct(m.AddParameter("inputStruct"), "a & b", -3, "2.5");
    const SOAPParameter& r = proxy_->Execute(m).GetMethod().GetParameter("echoStructReturn");
    EXPECT_EQ(r.GetParameter("varString").GetString(), "a & b");
    EXPECT_EQ(r.GetParameter("varInt").GetString(), "-3");
    EXPECT_EQ(r.GetParameter("varFloat").GetString(), "2.5");
    EXPECT_FALSE(r.GetParameter("varInt").GetAttribute(SOAPQName("href")));
    const SOAPQName* type = r.GetAttribute(SOAPQName("type", kXsiNs));
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(*type, SOAPQName("SOAPStruct", kInteropXsd));
}

TEST_F(AxisMultiRef, ArrayItemsAndScalarsAreResolved) {
    SOAPMethod m("echoStructArray", kInterop, "");
    SOAPParameter& a = m.AddParameter("inputStructArray");
    a.AddAttribute(SOAPQName("type", kXsiNs)).Set("Array", kSoapEncNs);
    a.AddAttribute(SOAPQName("arrayType", kSoapEncNs)).Set("SOAPStruct[3]", kInteropXsd);
    for (int i = 1; i <= 3; ++i)
        AddStruct(a.AddParameter("item"), "s" + std::to_string(i), i, std::to_string(i) + ".5");
    a.SetIsStruct();
    const SOAPParameter& r = proxy_->Execute(m).GetMethod().GetParameter("echoStructArrayReturn");
    ASSERT_EQ(r.GetArray().size(), 3u);
    for (int i = 1; i <= 3; ++i) {
        const SOAPParameter& item = *r.GetArray()[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(item.GetParameter("varString").GetString(), "s" + std::to_string(i));
        EXPECT_EQ(item.GetParameter("varInt").GetString(), std::to_string(i));
        EXPECT_EQ(item.GetParameter("varFloat").GetString(), std::to_string(i) + ".5");
    }

    SOAPMethod d("echoDecimal", kInterop, "");
    Typed(d.AddParameter("inputDecimal"), "decimal", kXsdNs, "1234.50");
    EXPECT_EQ(proxy_->Execute(d).GetMethod().GetParameter("echoDecimalReturn").GetString(),
              "1234.50");
}

TEST_F(AxisMultiRef, NilStructureStaysNil) {
    SOAPMethod m("echoStruct", kInterop, "");
    m.AddParameter("inputStruct").SetNull(true);
    const SOAPParameter& r = proxy_->Execute(m).GetMethod().GetParameter("echoStructReturn");
    EXPECT_TRUE(r.IsNull());
}

} // namespace
} // namespace kf::easysoap
