#include <gtest/gtest.h>

#include "kf/ejb/typemap.h"
#include "testsupport.h"

namespace kf::ejb {
namespace {

TEST(MapJavaType, TablesAndClasses) {
    struct Case {
        const char* java;
        const char* script;
        bool simple;
        bool generates;
    };
    const Case cases[] = {
        {"void", "", true, false},
        {"short", "int", true, false},
        {"int", "long", true, false},
        {"long", "longlong", true, false},
        {"float", "real", true, false},
        {"double", "double", true, false},
        {"boolean", "boolean", true, false},
        {"byte", "int", true, false},
        {"char", "char", true, false},
        {"java.lang.String", "string", true, false},
        {"java.util.Date", "datetime", true, false},
        {"java.lang.Object", "any", false, false},
        {"java.lang.Exception", "exception", false, false},
        {"java.lang.Class", "any", false, false},
        {"java.lang.Integer", "Integer", false, true},
        {"java.lang.RuntimeException", "RuntimeException", false, true},
        {"Int", "Int", false, true}, // the tables match case-sensitively
    };
    for (const Case& c : cases) {
        test::RecordingResolver resolver;
        auto mapped = MapJavaType(c.java, resolver);
        ASSERT_TRUE(mapped) << c.java;
        EXPECT_EQ(mapped->scriptType, c.script) << c.java;
        EXPECT_EQ(mapped->simple, c.simple) << c.java;
        EXPECT_EQ(resolver.requested.size(), c.generates ? 1u : 0u) << c.java;
    }
}

TEST(MapJavaType, FailsWhenTheClassCannotBeGenerated) {
    test::RecordingResolver resolver;
    resolver.failing = {"com.acme.Missing"};
    EXPECT_FALSE(MapJavaType("com.acme.Missing", resolver));
}

TEST(MakeProxyName, PrefixReservedWordsAndSuffixes) {
    ProxyNameRegistry names;
    const std::pair<const char*, const char*> run[] = {
        {"com.acme.Account", "n_Account"},
        {"java.rmi.RemoteException", "RemoteException"},
        {"javax.ejb.EJBObject", "EJBObject"},
        {"com.acme.Window", "n_java_Window"},
        {"java.lang.Throwable", "java_Throwable"},
        {"java.lang.Error", "java_Error"},
        {"com.acme.Foo", "n_Foo"},
        {"org.x.FOO", "n_FOO_1"},
        {"foo", "n_foo_2"},
        {"java.util.Map$Entry", "Map$Entry"},
        {"javaxy.Thing", "n_Thing"}, // only "java." and "javax." are JDK packages
        {"com.acme.Select", "n_java_Select"},
        {"com.acme.", "n_"},
    };
    for (const auto& [java, proxy] : run) EXPECT_EQ(names.MakeProxyName(java, "n_"), proxy) << java;
}

TEST(MakeProxyName, WithoutPrefix) {
    ProxyNameRegistry names;
    EXPECT_EQ(names.MakeProxyName("com.acme.Window", ""), "java_Window");
    EXPECT_EQ(names.MakeProxyName("Account", ""), "Account");
    EXPECT_EQ(names.MakeProxyName("org.Account", ""), "Account_1");
}

TEST(LegaliseMemberName, ReservedWordsGetASuffix) {
    const std::pair<const char*, const char*> cases[] = {
        {"Select", "Select_j"},  {"getParent", "getParent_j"}, {"Update", "Update"},
        {"Open", "Open"},        {"close", "close"},           {"create", "create"},
        {"describe", "describe"}, {"post", "post"},            {"typeOf", "typeOf_j"},
        {"_DEBUG", "_DEBUG_j"},  {"window", "window"},         {"getBalance", "getBalance"},
        {"ClassName", "ClassName_j"}, {"end", "end_j"},
    };
    for (const auto& [name, legal] : cases) EXPECT_EQ(LegaliseMemberName(name), legal) << name;
}

TEST(ReservedNames, GroupsAreMatchedAlike) {
    for (const char* word : {"alias", "_debug", "ulong", "unsignedinteger", "windowobject",
                             "accessibility", "function_object", "close", "update"})
        EXPECT_TRUE(IsReservedClassName(word)) << word;
    for (const char* word : {"account", "integerx", "Window"})
        EXPECT_FALSE(IsReservedClassName(word)) << word;
    // Built-in types and system classes may be member names.
    for (const char* word : {"string", "window", "int"}) EXPECT_FALSE(IsReservedMemberName(word));
}

} // namespace
} // namespace kf::ejb
