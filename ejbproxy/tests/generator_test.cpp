#include <gtest/gtest.h>

#include "kf/ejb/generator.h"
#include "kf/ejb/resultfiles.h"
#include "testsupport.h"

namespace kf::ejb {
namespace {

// A bean whose classes refer to each other and to classes reached twice.
void AddBean(test::FakeJavap& javap) {
    javap.classes["com.acme.AccountHome"] =
        "public interface com.acme.AccountHome extends javax.ejb.EJBHome{\n"
        "    public abstract com.acme.Account create(java.lang.String) throws "
        "java.rmi.RemoteException;\n"
        "\t/*   (Ljava/lang/String;)Lcom/acme/Account;   */\n}\n";
    javap.classes["com.acme.Account"] =
        "public interface com.acme.Account extends javax.ejb.EJBObject{\n"
        "    public abstract com.acme.Customer owner() throws java.rmi.RemoteException;\n"
        "\t/*   ()Lcom/acme/Customer;   */\n}\n";
    javap.classes["com.acme.Customer"] = "public class com.acme.Customer{\n"
                                         "    public com.acme.Account account;\n"
                                         "\t/*   Lcom/acme/Account;   */\n"
                                         "    public com.acme.AccountHome home;\n"
                                         "\t/*   Lcom/acme/AccountHome;   */\n}\n";
    javap.classes["java.rmi.RemoteException"] =
        test::EmptyClass("java.rmi.RemoteException", "extends java.lang.Exception");
    javap.classes["java.util.Vector"] = test::EmptyClass("java.util.Vector", "implements java.util.List");
    for (const char* name : {"javax.ejb.EJBHome", "javax.ejb.EJBObject", "java.util.Collections",
                             "java.util.List", "java.lang.ClassNotFoundException",
                             "javax.ejb.DuplicateKeyException"})
        javap.classes[name] = test::EmptyClass(name);
}

std::vector<std::string> ProxyNames(const ProxyGenerator& generator) {
    std::vector<std::string> names;
    for (const auto& cls : generator.Generated()) names.push_back(cls->proxyName);
    return names;
}

TEST(ProxyGenerator, DepthFirstOrderCyclesAndFixedClasses) {
    test::ScopedWorkingDirectory dir;
    test::FakeJavap javap;
    AddBean(javap);
    ProxyGenerator generator({}, "n_", javap);

    EXPECT_TRUE(generator.Run("com.acme.Account", std::nullopt));

    const std::vector<std::string> order = {
        "EJBHome",   "EJBObject", "n_Customer",  "RemoteException",        "n_Account",
        "n_AccountHome", "Collections", "List",  "Vector", "ClassNotFoundException",
        "DuplicateKeyException"};
    EXPECT_EQ(ProxyNames(generator), order);
    // Every class is described once, however often it is reached.
    std::set<std::string> unique(javap.described.begin(), javap.described.end());
    EXPECT_EQ(unique.size(), javap.described.size());

    std::string list;
    for (const auto& name : order) list += name + ".srx\r\n";
    EXPECT_EQ(test::ReadBytes(kResultListFileName), list + "Account_ejb_kf_mapping.srs\r\n");
    const std::string mapping = test::ReadBytes("Account_ejb_kf_mapping.srs");
    EXPECT_NE(mapping.find("\titem3 = \"com.acme.Customer:n_Customer\"\r\n"), std::string::npos);
    EXPECT_NE(mapping.find("\titem11 = \"javax.ejb.DuplicateKeyException:DuplicateKeyException\"\r\nend type\r\n"),
              std::string::npos);
    // The fixed classes that cannot be read are reported, but do not fail the run.
    EXPECT_EQ(test::ReadBytes(kErrorFileName),
              "Error: class not found: javax.naming.NoInitialContextException\r\n"
              "Error: class not found: javax.ejb.ObjectNotFoundException\r\n");

    std::set<std::string> expectedFiles = {kResultListFileName, kErrorFileName,
                                           "Account_ejb_kf_mapping.srs"};
    for (const auto& name : order) expectedFiles.insert(name + ".srx");
    EXPECT_EQ(dir.Files(), expectedFiles);
    // The cycle back to a class in progress uses the proxy name fixed at its start.
    EXPECT_NE(test::ReadBytes("n_Customer.srx").find("indirect n_AccountHome home"),
              std::string::npos);
}

TEST(ProxyGenerator, FailedHomeStopsTheRunAndKeepsCompletedFiles) {
    test::ScopedWorkingDirectory dir;
    test::FakeJavap javap;
    AddBean(javap);
    javap.classes["com.acme.AccountHome"] =
        "public interface com.acme.AccountHome extends javax.ejb.EJBHome{\n"
        "    public abstract void find(com.acme.Missing);\n}\n";
    test::WriteBytes(kResultListFileName, "from an earlier run");
    ProxyGenerator generator({}, "", javap);

    EXPECT_FALSE(generator.Run("com.acme.Account", "com.acme.AccountHome"));

    EXPECT_EQ(javap.described, (std::vector<std::string>{"com.acme.AccountHome",
                                                          "javax.ejb.EJBHome", "com.acme.Missing"}));
    EXPECT_EQ(test::ReadBytes(kResultListFileName), "from an earlier run");
    EXPECT_EQ(test::ReadBytes(kErrorFileName), "Error: class not found: com.acme.Missing\r\n");
    EXPECT_EQ(dir.Files(), (std::set<std::string>{"EJBHome.srx", kResultListFileName, kErrorFileName}));
}

TEST(ProxyGenerator, FailingRemoteFailsTheHomeThatReachesIt) {
    test::ScopedWorkingDirectory dir;
    test::FakeJavap javap;
    AddBean(javap);
    javap.classes["com.acme.Account"] = "public class com.acme.Wrong{}";
    ProxyGenerator generator({}, "", javap);
    EXPECT_FALSE(generator.Run("com.acme.Account", std::nullopt));
    EXPECT_EQ(test::ReadBytes(kErrorFileName), "Bad Java class name: com.acme.Wrong");
    EXPECT_FALSE(std::filesystem::exists("Account_ejb_kf_mapping.srs"));
    EXPECT_FALSE(std::filesystem::exists("AccountHome.srx"));
}

TEST(ProxyGenerator, MessagesAreWrittenOneDirectlyAfterTheOther) {
    test::ScopedWorkingDirectory dir;
    test::FakeJavap javap;
    AddBean(javap);
    javap.classes["java.util.Collections"] = "public class java.util.Wrong{}";
    javap.classes["java.util.Vector"] = "public class java.util.Vector oops {}";
    javap.classes["javax.naming.NoInitialContextException"] = "";
    ProxyGenerator generator({}, "", javap);
    EXPECT_TRUE(generator.Run("com.acme.Account", std::nullopt));
    EXPECT_EQ(test::ReadBytes(kErrorFileName),
              "Bad Java class name: java.util.WrongBad Java Description : oops"
              "Unexpected end of the description of javax.naming.NoInitialContextException"
              "Error: class not found: javax.ejb.ObjectNotFoundException\r\n");
}

TEST(ProxyGenerator, RunWithoutErrorsLeavesAnOldErrorFile) {
    test::ScopedWorkingDirectory dir;
    test::FakeJavap javap;
    AddBean(javap);
    javap.classes["javax.naming.NoInitialContextException"] = test::EmptyClass("javax.naming.NoInitialContextException");
    javap.classes["javax.ejb.ObjectNotFoundException"] = test::EmptyClass("javax.ejb.ObjectNotFoundException");
    test::WriteBytes(kErrorFileName, "old");
    ProxyGenerator generator({}, "", javap);
    EXPECT_TRUE(generator.Run("com.acme.Account", std::nullopt));
    EXPECT_TRUE(generator.Errors().empty());
    EXPECT_EQ(test::ReadBytes(kErrorFileName), "old");
}

TEST(ProxyGenerator, FailedClassStillTakesItsName) {
    test::ScopedWorkingDirectory dir;
    test::FakeJavap javap;
    javap.classes["b.Foo"] = test::EmptyClass("b.Foo");
    ProxyGenerator generator({}, "n_", javap);
    EXPECT_EQ(generator.FindOrGenerate("a.Foo"), nullptr);
    JavaClassProxy* second = generator.FindOrGenerate("b.Foo");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->proxyName, "n_Foo_1");
    EXPECT_TRUE(std::filesystem::exists("n_Foo_1.srx"));
}

} // namespace
} // namespace kf::ejb
