#include <gtest/gtest.h>

#include "kf/kfruntime/description.h"
#include "kf/kfruntime/errors.h"
#include "support.h"

namespace kf::rt {
namespace {

std::vector<std::string> Signatures(const ClassDef& c) {
  std::vector<std::string> out;
  for (const auto& f : c.functions) {
    std::string s = Narrow(f.name) + "/" + std::to_string(f.params.size());
    for (const auto& p : f.params)
      s += std::string(" ") + (p.byRef ? "ref " : "") + (p.readOnly ? "readonly " : "") +
           (p.type.type == ValueType::Object ? Narrow(p.type.className) : TypeName(p.type.type)) +
           (p.type.isArray ? "[]" : "");
    out.push_back(s);
  }
  return out;
}

TEST(Description, SoapClientTextGivesTwoClassesWithMethodIdsByPosition) {
  auto classes = ParseDescription(Widen(test::ReadData("soapclient.desc")), "soapclientext");
  ASSERT_EQ(classes.size(), 2u);
  EXPECT_EQ(classes[0]->name, u"soapexception");
  EXPECT_EQ(classes[0]->ancestorName, u"runtimeerror");
  EXPECT_EQ(Signatures(*classes[0]),
            (std::vector<std::string>{"getFaultCode/0", "getFaultString/0", "getDetailMessage/0",
                                      "SetDetails/1 string"}));
  EXPECT_EQ(classes[1]->name, u"soapconnection");
  EXPECT_EQ(Signatures(*classes[1]),
            (std::vector<std::string>{
                "generateproxy/2 string string",
                "createinstance/3 ref kestrelobject string string",
                "createinstance/2 ref kestrelobject string", "setoptions/1 string",
                "setproxyserveroptions/1 string"}));
  EXPECT_EQ(classes[1]->line, 7);

  // Registered, the overloads keep their positions 1 and 2 as method ids.
  Runtime rt;
  for (auto& c : classes) rt.AddClass(std::move(c), GroupKind::Exception);
  ClassHandle conn = rt.LookupClass(rt.LookupGroup(u"soapconnection", GroupKind::Exception),
                                    u"soapconnection");
  EXPECT_EQ(rt.GetMethodId(conn, u"createinstance", 0, u"", false), 1u);
  EXPECT_EQ(rt.GetMethodId(conn, u"SETPROXYSERVEROPTIONS", 0, u"", false), 4u);
  ClassHandle exc = rt.LookupClass(rt.LookupGroup(u"soapexception", GroupKind::Exception),
                                   u"soapexception");
  EXPECT_EQ(rt.GetMethodId(exc, u"setdetails", 0, u"", false), 3u);
  EXPECT_EQ(rt.GetMethodId(exc, u"nosuch", 0, u"", false), kNoMethod);
  EXPECT_NE(rt.GetFieldId(exc, u"text"), kNoField);  // inherited from runtimeerror
}

TEST(Description, UddiTextEndsWithoutClosingLine) {
  std::u16string text = Widen(test::ReadData("uddiclient.desc"));
  ASSERT_EQ(text.size(), 749u);
  auto classes = ParseDescription(text, "uddiclientext");
  ASSERT_EQ(classes.size(), 1u);
  EXPECT_EQ(classes[0]->name, u"UDDIProxy");
  auto s = Signatures(*classes[0]);
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[0], "setInquiryUrl/1 readonly string");
  EXPECT_EQ(s[1], "setOption/4 boolean boolean integer integer");
  EXPECT_EQ(s[2], "findBusiness/5 readonly string ref integer ref string[] ref string[] ref string[]");
  EXPECT_EQ(s[4].substr(0, 13), "findService/7");
}

TEST(Description, MalformedLinesNameTheLibraryAndLine) {
  struct Case {
    const char16_t* text;
    int line;
    const char* message;
  } cases[] = {
      {u"function long f()\n", 1, "expected 'class'"},
      {u"class a from b\nfunction long f(\n", 2, "expected a type name"},
      {u"class a b\n", 1, "expected 'from'"},
      {u"class a from b\nend klass\n", 2, "expected 'class'"},
      {u"class a from b\nlong f()\n", 2, "expected 'function' or 'subroutine'"},
      {u"\n\n", 0, "declares no class"},
  };
  for (const auto& c : cases) {
    try {
      ParseDescription(c.text, "lib.so");
      ADD_FAILURE() << "accepted: " << Narrow(c.text);
    } catch (const Error& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("lib.so:", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace kf::rt
