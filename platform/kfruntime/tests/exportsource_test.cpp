#include <gtest/gtest.h>

#include "support.h"

namespace kf::rt {
namespace {

using test::DataPath;
using test::ReadData;

TEST(ExportSource, ReadsTheGeneratedAccountProxy) {
  std::string bytes = ReadData("n_Account.srx");
  ASSERT_EQ(bytes.substr(29, 2), "\r$");  // the fixture keeps its lone CR
  auto cls = ParseExportSource(bytes, "n_Account.srx");
  EXPECT_EQ(cls->name, u"n_Account");
  EXPECT_EQ(cls->ancestorName, u"EJBObject");
  EXPECT_EQ(cls->line, 3);  // the lone CR ends line 1

  ASSERT_EQ(cls->ownFields.size(), 2u);
  EXPECT_EQ(cls->ownFields[0].name, u"n_Account_javaname");
  EXPECT_EQ(FormatValue(*cls->ownFields[0].initial), "com.acme.Account");
  EXPECT_EQ(cls->ownFields[1].type.type, ValueType::Object);
  EXPECT_EQ(cls->ownFields[1].type.className, u"n_entry");
  ASSERT_EQ(cls->indirects.size(), 2u);
  EXPECT_EQ(cls->indirects[1].name, u"limits");
  EXPECT_EQ(cls->indirects[1].type.type, ValueType::Any);
  EXPECT_EQ(cls->indirects[1].accessors, u"__set_limits(*value), __get_limits()");

  struct Expected {
    const char16_t* name;
    ValueType result;
    std::size_t params;
    const char16_t* alias;
  } functions[] = {
      {u"__get_BANK", ValueType::String, 0, u"R:BANK,Ljava/lang/String;"},
      {u"__set_BANK", ValueType::None, 1, u"W:BANK,Ljava/lang/String;"},
      {u"__get_limits", ValueType::Any, 0, u"R:limits,[I|long"},
      {u"__set_limits", ValueType::None, 1, u"W:limits,[I"},
      {u"getBalance", ValueType::Double, 0, u"getBalance,()D"},
      {u"deposit", ValueType::None, 2, u"deposit,(DLjava/lang/String;)V"},
      {u"history", ValueType::Any, 0, u"history,()[Lcom/acme/Entry;|n_Entry"},
      {u"update", ValueType::Long, 2, u"update,([[I[I)I"},
      {u"select_j", ValueType::Boolean, 1, u"select,(Ljava/lang/Object;)Z"},
  };
  ASSERT_EQ(cls->functions.size(), std::size(functions));
  for (std::size_t i = 0; i < std::size(functions); ++i) {
    const FunctionDef& f = cls->functions[i];
    EXPECT_EQ(f.name, functions[i].name);
    EXPECT_EQ(f.result.type, functions[i].result) << Narrow(f.name);
    EXPECT_EQ(f.params.size(), functions[i].params) << Narrow(f.name);
    EXPECT_EQ(f.alias.value_or(u"-"), functions[i].alias);
  }
  EXPECT_TRUE(cls->functions[3].params[0].type.isArray);
  EXPECT_EQ(cls->functions[5].throws,
            (std::vector<std::u16string>{u"RemoteException", u"n_LimitException"}));
  EXPECT_TRUE(cls->functions[7].params[1].type.isArray);
  EXPECT_FALSE(cls->functions[7].params[0].type.isArray);
}

TEST(ExportSource, LoadsASetInAnyOrderAndNamesAMissingAncestor) {
  Runtime rt;
  LoadExportSources(rt, {DataPath("n_Account.srx"), DataPath("n_Entry.srx"),
                         DataPath("EJBObject.srx"), DataPath("Account_ejb_kf_mapping.srs")});
  const ClassDef* account = rt.FindClass(u"N_ACCOUNT");
  ASSERT_NE(account, nullptr);
  EXPECT_TRUE(account->IsA(u"nonvisualobject"));
  EXPECT_EQ(account->kind, GroupKind::Proxy);
  EXPECT_EQ(account->fields.size(), 3u);  // EJBObject's variable comes first
  EXPECT_EQ(account->fields[0].name, u"EJBObject_javaname");
  const ClassDef* mapping = rt.FindClass(u"Account_ejb_kf_mapping");
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(mapping->kind, GroupKind::Structure);
  EXPECT_EQ(FormatValue(*mapping->fields[1].initial), "com.acme.AccountHome:n_AccountHome");

  Runtime alone;
  try {
    LoadExportSources(alone, {DataPath("n_Account.srx")});
    FAIL() << "an unknown ancestor must fail";
  } catch (const Error& e) {
    EXPECT_EQ(e.line(), 3);
    EXPECT_NE(std::string(e.what()).find("n_Account.srx:3: unknown ancestor class EJBObject"),
              std::string::npos)
        << e.what();
  }
  EXPECT_THROW(LoadExportSources(alone, {DataPath("nosuch.srx")}), Error);
}

struct Malformed {
  const char* name;
  const char* text;
  int line;
  const char* message;
};

class MalformedSource : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedSource, FailsNamingFileAndLine) {
  const Malformed& m = GetParam();
  try {
    ParseExportSource(m.text, "bad.srx");
    FAIL() << "accepted: " << m.text;
  } catch (const Error& e) {
    EXPECT_EQ(e.line(), m.line) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind("bad.srx:" + std::to_string(m.line) + ": ", 0), 0u)
        << e.what();
    EXPECT_NE(std::string(e.what()).find(m.message), std::string::npos) << e.what();
  }
}

#define H "$KFExportHeader$bad.srx\r\n"
#define T "global type bad from nonvisualobject\r\nend type\r\n"

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedSource,
    testing::Values(
        Malformed{"NoHeader", "global type x from y\r\n", 1, "$KFExportHeader$"},
        Malformed{"Empty", "", 1, "$KFExportHeader$"},
        Malformed{"NoType", H "\r\n", 2, "no 'global type'"},
        Malformed{"NoEndType", H "global type x from y\r\n", 2, "no 'end type'"},
        Malformed{"NoFrom", H "global type x y\r\nend type\r\n", 2, "expected 'from'"},
        Malformed{"TwoTypes", H T "global type c from y\r\n", 4, "second 'global type'"},
        Malformed{"BadVariable", H T "type variables\r\nlong = 5\r\nend variables\r\n", 5,
                  "expected a variable name"},
        Malformed{"BadInitial", H T "type variables\r\nlong n = \"five\"\r\nend variables\r\n", 5,
                  "does not fit long n"},
        Malformed{"TooBig", H T "type variables\r\ninteger n = 40000\r\nend variables\r\n", 5,
                  "does not fit integer n"},
        Malformed{"OpenString", H T "type variables\r\nstring s = \"abc\r\nend variables\r\n", 5,
                  "unterminated string"},
        Malformed{"NoEndVariables", H T "type variables\r\nlong n\r\n", 4, "no 'end variables'"},
        Malformed{"BadBounds", H T "type variables\r\nlong a[5 to 1]\r\nend variables\r\n", 5,
                  "bounds"},
        Malformed{"BadPrototype", H T "forward prototypes\r\nfunction long f(long)\r\nend prototypes\r\n",
                  5, "expected a parameter name"},
        Malformed{"AliasNotText",
                  H T "forward prototypes\r\nsubroutine f() alias for x\r\nend prototypes\r\n", 5,
                  "expected the alias text"},
        Malformed{"Stray", H T "forward prototypes\r\nend prototypes\r\nreturn 1\r\n", 6,
                  "expected 'global type'"},
        Malformed{"LoneCrLines", "$KFExportHeader$bad.srx\rglobal type x from y\rend typo\r", 3,
                  "expected 'type'"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kf::rt
