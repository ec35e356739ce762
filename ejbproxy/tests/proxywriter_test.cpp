#include <gtest/gtest.h>

#include "kf/ejb/generator.h"
#include "kf/ejb/proxywriter.h"
#include "kf/ejb/resultfiles.h"
#include "kf/ejb/textfile.h"
#include "testsupport.h"

namespace kf::ejb {
namespace {

const char* kAccountDescription =
    "Compiled from \"Account.java\"\n"
    "public interface com.acme.Account extends javax.ejb.EJBObject{\n"
    "    public abstract double getBalance() throws java.rmi.RemoteException;\n"
    "\t/*   ()D   */\n"
    "    public abstract void deposit(double, java.lang.String) throws java.rmi.RemoteException, "
    "com.acme.LimitException;\n"
    "\t/*   (DLjava/lang/String;)V   */\n"
    "    public abstract com.acme.Entry history()[] throws java.rmi.RemoteException;\n"
    "\t/*   ()[Lcom/acme/Entry;   */\n"
    "    public abstract int update(int[][], int[]) throws java.rmi.RemoteException;\n"
    "\t/*   ([[I[I)I   */\n"
    "    public abstract boolean select(java.lang.Object) throws java.rmi.RemoteException;\n"
    "\t/*   (Ljava/lang/Object;)Z   */\n"
    "    public static final java.lang.String BANK;\n"
    "\t/*   Ljava/lang/String;   */\n"
    "    public static final int limits[];\n"
    "\t/*   [I   */\n"
    "}\n";

TEST(ProxyWriter, WorkedExampleByteForByte) {
    test::ScopedWorkingDirectory dir;
    test::FakeJavap javap;
    javap.classes["com.acme.Account"] = kAccountDescription;
    for (const char* name : {"javax.ejb.EJBObject", "java.rmi.RemoteException",
                             "com.acme.LimitException", "com.acme.Entry"})
        javap.classes[name] = test::EmptyClass(name);
    ProxyGenerator generator({}, "n_", javap);

    ASSERT_NE(generator.FindOrGenerate("com.acme.Account"), nullptr);
    EXPECT_EQ(test::ReadBytes("n_Account.srx"),
              test::ReadBytes(test::DataDir() / "worked" / "n_Account.srx"));
}

TEST(ResultFiles, WorkedMappingExampleByteForByte) {
    std::vector<std::unique_ptr<JavaClassProxy>> generated;
    generated.push_back(std::make_unique<JavaClassProxy>(
        JavaClassProxy{"java.rmi.RemoteException", "RemoteException", "", {}, {}}));
    generated.push_back(std::make_unique<JavaClassProxy>(
        JavaClassProxy{"com.acme.AccountHome", "n_AccountHome", "", {}, {}}));

    EXPECT_EQ(MappingFileName("com.acme.Account"), "Account_ejb_kf_mapping.srs");
    EXPECT_EQ(MappingFileName("Account"), "Account_ejb_kf_mapping.srs");
    EXPECT_EQ(ToTextModeBytes(ComposeMappingFile("com.acme.Account", generated)),
              test::ReadBytes(test::DataDir() / "worked" / "Account_ejb_kf_mapping.srs"));
    EXPECT_EQ(ToTextModeBytes(ComposeResultList("com.acme.Account", generated)),
              "RemoteException.srx\r\nn_AccountHome.srx\r\nAccount_ejb_kf_mapping.srs\r\n");
    EXPECT_EQ(ToTextModeBytes(ComposeErrorFile({"Bad exception type", "Error", "x\r\ny\n"})),
              "Bad exception typeErrorx\r\r\ny\r\n");
}

// The proxy text of a class "x.C" (proxy P) with the given members.
std::string Compose(std::vector<ProxyMember> members) {
    JavaClassProxy cls{"x.C", "P", "nonvisualobject", {}, {}};
    return ComposeProxyText(cls, members);
}

ProxyMember Field(std::string name, std::string type, bool simple, bool array = false) {
    ProxyMember m;
    m.kind = array ? ProxyMember::Kind::ArrayField : ProxyMember::Kind::Field;
    m.javaName = std::move(name);
    m.type = std::move(type);
    m.simple = simple;
    m.signature = "S";
    return m;
}

ProxyMember Method(std::string name, std::string type, bool simple, bool arrayResult) {
    ProxyMember m;
    m.kind = ProxyMember::Kind::Method;
    m.javaName = std::move(name);
    m.type = std::move(type);
    m.simple = simple;
    m.arrayResult = arrayResult;
    m.signature = "()V";
    return m;
}

const char* kHead = "$KFExportHeader$P.srx\r$KFExportComments$Java Proxy for class: x.C\n"
                    "global type P from nonvisualobject\nend type\n\n"
                    "type variables\n protected:\nstring P_javaname= \"x.C\" \n";

TEST(ProxyWriter, ShapesOfTheFile) {
    EXPECT_EQ(Compose({}), std::string(kHead) + "end variables\n\n");

    EXPECT_EQ(Compose({Field("n", "long", true)}),
              std::string(kHead) +
                  "\n public:\nindirect long n { __set_n(*value), __get_n() }\nend variables\n\n"
                  "forward prototypes\n private:\n"
                  "function long __get_n()  alias for \"R:n,S\"\n"
                  "subroutine  __set_n( long n)  alias for \"W:n,S\"\n\nend prototypes");

    EXPECT_EQ(Compose({Method("run", "", false, false)}),
              std::string(kHead) + "end variables\n\nforward prototypes\n public:\n"
                                   "subroutine  run()  alias for \"run,()V\"\nend prototypes");
}

TEST(ProxyWriter, ArraysAndRenamedMembers) {
    std::string text = Compose({Field("tags", "string", true, true), Field("Select", "any", false),
                                Method("all", "any", false, true), Method("P", "", false, false)});
    // A simple element type adds no variable; a non-simple one does, once.
    EXPECT_NE(text.find("\" \nany i__P__any\n\n public:\n"), std::string::npos) << text;
    EXPECT_NE(text.find("function any __get_tags()  alias for \"R:tags,S|string\""),
              std::string::npos);
    EXPECT_NE(text.find("subroutine  __set_tags( string tags[])  alias for \"W:tags,S\""),
              std::string::npos);
    EXPECT_NE(text.find("indirect any Select_j { __set_Select_j(*value), __get_Select_j() }"),
              std::string::npos);
    EXPECT_NE(text.find("function any __get_Select_j()  alias for \"R:Select,S\""),
              std::string::npos);
    EXPECT_NE(text.find("function any all()  alias for \"all,()V|any\""), std::string::npos);
    // A method named like its proxy is the constructor.
    EXPECT_NE(text.find("subroutine  P()  alias for \"<init>,()V\""), std::string::npos);
    // Indirect properties are sorted byte-wise: upper case first.
    EXPECT_LT(text.find("indirect any Select_j"), text.find("indirect any tags"));
}

} // namespace
} // namespace kf::ejb
