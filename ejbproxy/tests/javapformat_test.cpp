// Newer javap output rewritten into the classic grammar: member forms, class heads,
// erasure of type variables in throws lists, pass-through of what is not understood,
// and golden files captured from JDK 17.

#include "kf/ejb/javapformat.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "javapformat_support.h"
#include "kf/ejb/classparser.h"
#include "kf/ejb/classreader.h"
#include "kf/ejb/javaclassproxy.h"

namespace kf::ejb {
namespace {

using javaptest::AcceptingResolver;
using javaptest::ClassicGrammarProblems;
using javaptest::ReadFileBytes;

// GoogleTest names allow letters, digits and '_' only.
std::string TestName(const char* what) {
    std::string name;
    for (const char* p = what; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

const std::string kModernHead =
    "public class a.X<T extends java.lang.Comparable<? super T>, E extends java.io.IOException, "
    "F> {\n";
const std::string kClassicHead = "public class a.X{\n";

struct MemberCase {
    const char* what;
    const char* declaration; // as JDK 17 prints it, without indentation
    const char* descriptor;
    const char* expected; // the classic declaration, without indentation
};

class MemberConversion : public testing::TestWithParam<MemberCase> {};

TEST_P(MemberConversion, BecomesClassicDeclarationWithSignatureComment) {
    const MemberCase& c = GetParam();
    std::string modern = "Compiled from \"X.java\"\n" + kModernHead + "  " + c.declaration +
                         "\n    descriptor: " + c.descriptor + "\n\n}\n";
    std::string classic = "Compiled from \"X.java\"\n" + kClassicHead + "    " + c.expected +
                          "\n\t/*   " + c.descriptor + "   */\n}\n";
    EXPECT_TRUE(IsModernJavapFormat(modern));
    EXPECT_EQ(ConvertModernJavapFormat(modern), classic);
}

const MemberCase kMemberCases[] = {
    {"generic method", "public synchronized <T> T[] toArray(T[]);",
     "([Ljava/lang/Object;)[Ljava/lang/Object;",
     "public synchronized java.lang.Object toArray(java.lang.Object[])[];"},
    {"varargs", "public static <T> boolean addAll(java.util.Collection<? super T>, T...);",
     "(Ljava/util/Collection;[Ljava/lang/Object;)Z",
     "public static boolean addAll(java.util.Collection, java.lang.Object[]);"},
    {"varargs of arrays", "public static void grid(int[]...);", "([[I)V",
     "public static void grid(int[][]);"},
    {"every primitive", "public void all(byte, char, double, float, int, long, short, boolean);",
     "(BCDFIJSZ)V", "public void all(byte, char, double, float, int, long, short, boolean);"},
    {"array field", "public static final int[][] GRID;", "[[I",
     "public static final int GRID[][];"},
    {"array of objects field", "public java.util.List<T>[] lists;", "[Ljava/util/List;",
     "public java.util.List lists[];"},
    {"type variable field", "public T value;", "Ljava/lang/Comparable;",
     "public java.lang.Comparable value;"},
    {"transient and volatile kept", "public volatile transient java.lang.String name;",
     "Ljava/lang/String;", "public volatile transient java.lang.String name;"},
    {"array result", "public java.lang.String[][] names();", "()[[Ljava/lang/String;",
     "public java.lang.String names()[][];"},
    {"nested generics",
     "public synchronized java.util.Map$Entry<java.lang.String, ? super java.lang.Integer> "
     "entry(java.util.Map<java.lang.String, java.util.List<java.util.Map$Entry<T, E>>>);",
     "(Ljava/util/Map;)Ljava/util/Map$Entry;",
     "public synchronized java.util.Map$Entry entry(java.util.Map);"},
    {"member of a generic outer class", "public a.Outer<T>.Inner<java.lang.String> inner();",
     "()La/Outer$Inner;", "public a.Outer$Inner inner();"},
    {"default method", "public default void hi();", "()V", "public void hi();"},
    {"strictfp dropped", "public strictfp double calc(double);", "(D)D",
     "public double calc(double);"},
    {"native kept", "public static native void nat();", "()V", "public static native void nat();"},
    {"constructor", "public a.X(int, int);", "(II)V", "public a.X(int, int);"},
    {"generic constructor with type variable throws",
     "public <X extends java.lang.Throwable> a.X(int, X) throws X;", "(ILjava/lang/Throwable;)V",
     "public a.X(int, java.lang.Throwable) throws java.lang.Throwable;"},
    {"inner class constructor takes its outer instance", "public a.X$In(int);", "(La/X;I)V",
     "public a.X$In(a.X, int);"},
    {"enum values", "public static a.Color[] values();", "()[La/Color;",
     "public static a.Color values()[];"},
    // throws lists: method variables first, then the class's, bounds erased
    {"method type variable",
     "public <X extends java.lang.Throwable> T get(java.util.function.Supplier<? extends X>) "
     "throws X;",
     "(Ljava/util/function/Supplier;)Ljava/lang/Comparable;",
     "public java.lang.Comparable get(java.util.function.Supplier) throws java.lang.Throwable;"},
    {"class type variable", "public void fail() throws E;", "()V",
     "public void fail() throws java.io.IOException;"},
    {"method variable bounded by a class variable, internal form",
     "public <Y extends E> void fail2(Y) throws Y, java/lang/InterruptedException;",
     "(Ljava/io/IOException;)V",
     "public void fail2(java.io.IOException) throws java.io.IOException, "
     "java.lang.InterruptedException;"},
    {"method variable shadows class variable",
     "public <E extends java.lang.RuntimeException> void h() throws E;", "()V",
     "public void h() throws java.lang.RuntimeException;"},
    {"no bound", "public void g() throws F;", "()V", "public void g() throws java.lang.Object;"},
    {"first of several bounds",
     "public <Z extends java.lang.Exception & java.io.Serializable> void k() throws Z;", "()V",
     "public void k() throws java.lang.Exception;"},
    {"generic bound", "public <Q extends a.Gen<T>> void q() throws Q;", "()V",
     "public void q() throws a.Gen;"},
    {"class names kept", "public void m() throws Unknown, java.rmi.RemoteException;", "()V",
     "public void m() throws Unknown, java.rmi.RemoteException;"},
    {"looping bounds left as printed", "public <A extends B, B extends A> void loop() throws A;",
     "()V", "public void loop() throws A;"},
};

INSTANTIATE_TEST_SUITE_P(Members, MemberConversion, testing::ValuesIn(kMemberCases),
                         [](const auto& info) { return TestName(info.param.what); });

struct TextCase {
    const char* what;
    std::string input;
    std::string expected;
};

class TextConversion : public testing::TestWithParam<TextCase> {};

TEST_P(TextConversion, GivesExpectedText) {
    EXPECT_EQ(ConvertModernJavapFormat(GetParam().input), GetParam().expected);
}

const std::string kMember = "  public int size();\n    descriptor: ()I\n";
const std::string kClassicMember = "    public int size();\n\t/*   ()I   */\n";
const std::string kClassicText =
    "Compiled from Account.java\n"
    "public interface com.acme.Account extends javax.ejb.EJBObject{\n"
    "    public abstract double getBalance() throws java.rmi.RemoteException;\n"
    "\t/*   ()D   */\n"
    "    public abstract com.acme.Entry history()[] throws java.rmi.RemoteException;\n"
    "\t/*   ()[Lcom/acme/Entry;   */\n"
    "    public static final int limits[];\n"
    "\t/*   [I   */\n"
    "    public java.util.Vector(int, int);\n"
    "\t/*   (II)V   */\n"
    "}\n";

const TextCase kTextCases[] = {
    // class heads
    {"interface with generic extends",
     "public interface java.util.stream.Stream<T> extends java.util.stream.BaseStream<T, "
     "java.util.stream.Stream<T>> {\n" +
         kMember + "}\n",
     "public interface java.util.stream.Stream extends java.util.stream.BaseStream{\n" +
         kClassicMember + "}\n"},
    {"class with interfaces",
     "public class java.util.Vector<E> extends java.util.AbstractList<E> implements "
     "java.util.List<E>, java.util.RandomAccess, java.io.Serializable {\n}\n",
     "public class java.util.Vector extends java.util.AbstractList implements "
     "java.util.List,java.util.RandomAccess,java.io.Serializable{\n}\n"},
    {"empty generic class", "public class a.Box<T> {\n}\n", "public class a.Box{\n}\n"},
    {"sealed class with permits",
     "public abstract sealed class a.Shape permits a.Circle, a.Square {\n" + kMember + "}\n",
     "public abstract class a.Shape{\n" + kClassicMember + "}\n"},
    {"non-sealed class", "public non-sealed class a.Sq extends a.Shape {\n}\n",
     "public class a.Sq extends a.Shape{\n}\n"},
    {"record keyword", "public final record a.P implements java.lang.Comparable<a.P> {\n}\n",
     "public final class a.P implements java.lang.Comparable{\n}\n"},
    {"superclass nested in a generic class",
     "public class a.Sub extends a.Outer<java.lang.String>.Inner {\n" + kMember + "}\n",
     "public class a.Sub extends a.Outer$Inner{\n" + kClassicMember + "}\n"},
    {"several classes, type variables per class",
     "public class a.A<E extends java.io.IOException> {\n"
     "  public void f() throws E;\n    descriptor: ()V\n}\n"
     "public class a.B<E extends java.sql.SQLException> {\n"
     "  public void f() throws E;\n    descriptor: ()V\n}\n"
     "public class a.C {\n  public void f() throws E;\n    descriptor: ()V\n}\n",
     "public class a.A{\n    public void f() throws java.io.IOException;\n\t/*   ()V   */\n}\n"
     "public class a.B{\n    public void f() throws java.sql.SQLException;\n\t/*   ()V   */\n}\n"
     "public class a.C{\n    public void f() throws E;\n\t/*   ()V   */\n}\n"},
    {"CR LF line ends kept",
     "Compiled from \"A.java\"\r\npublic class a.A<T> {\r\n  public T get();\r\n"
     "    descriptor: ()Ljava/lang/Object;\r\n\r\n}\r\n",
     "Compiled from \"A.java\"\r\npublic class a.A{\r\n    public java.lang.Object get();\r\n"
     "\t/*   ()Ljava/lang/Object;   */\r\n}\r\n"},
    {"older javap with Signature lines",
     "public class java.util.Vector extends java.util.AbstractList{\n"
     "public synchronized java.lang.Object[] toArray();\n  Signature: ()[Ljava/lang/Object;\n\n"
     "}\n",
     "public class java.util.Vector extends java.util.AbstractList{\n"
     "    public synchronized java.lang.Object toArray()[];\n"
     "\t/*   ()[Ljava/lang/Object;   */\n}\n"},
    // text that is not in the newer format is returned as it is
    {"classic text", kClassicText, kClassicText},
    {"plain empty interface",
     "Compiled from \"Serializable.java\"\npublic interface java.io.Serializable {\n}\n",
     "Compiled from \"Serializable.java\"\npublic interface java.io.Serializable {\n}\n"},
    {"no source", "No sourcepublic class a.B extends java.lang.Object\n{\n}\n",
     "No sourcepublic class a.B extends java.lang.Object\n{\n}\n"},
    {"error text", "Error: class not found: a.Missing\n", "Error: class not found: a.Missing\n"},
    {"empty", "", ""},
    {"binary", std::string("\0<\xff\n{\x80>;\n", 9), std::string("\0<\xff\n{\x80>;\n", 9)},
    // what the converter does not understand passes through unchanged
    {"unbalanced generics",
     "public class a.A {\n" + kMember +
         "  public java.util.List<T foo();\n    descriptor: ()I\n}\n",
     "public class a.A{\n" + kClassicMember +
         "  public java.util.List<T foo();\n    descriptor: ()I\n}\n"},
    {"malformed descriptor",
     "public class a.A {\n" + kMember +
         "  public void f(java.lang.String);\n"
         "    descriptor: (Ljava/lang/String)V\n}\n",
     "public class a.A{\n" + kClassicMember +
         "  public void f(java.lang.String);\n"
         "    descriptor: (Ljava/lang/String)V\n}\n"},
    {"field with a method descriptor",
     "public class a.A {\n" + kMember + "  public int x;\n    descriptor: ()I\n}\n",
     "public class a.A{\n" + kClassicMember + "  public int x;\n    descriptor: ()I\n}\n"},
    {"constructor with a result",
     "public class a.A {\n" + kMember + "  public a.A();\n    descriptor: ()I\n}\n",
     "public class a.A{\n" + kClassicMember + "  public a.A();\n    descriptor: ()I\n}\n"},
    {"descriptor that would close the comment",
     "public class a.A {\n" + kMember + "  public a.B f();\n    descriptor: ()La/*/B;\n}\n",
     "public class a.A{\n" + kClassicMember + "  public a.B f();\n    descriptor: ()La/*/B;\n}\n"},
    {"member without descriptor and lone descriptor",
     "public class a.A {\n  public int f();\n" + kMember + "    descriptor: ()V\n}\n",
     "public class a.A{\n  public int f();\n" + kClassicMember + "    descriptor: ()V\n}\n"},
    // truncated output
    {"truncated in a descriptor",
     "public class a.A<T> {\n" + kMember + "  public int g();\n    descriptor: (",
     "public class a.A{\n" + kClassicMember + "  public int g();\n    descriptor: ("},
    {"truncated after a declaration", "public class a.A<T> {\n" + kMember + "  public T g();",
     "public class a.A{\n" + kClassicMember + "  public T g();"},
    {"truncated in type parameters",
     "public class a.A<T> {\n" + kMember + "  public <T extends java.lang.Comparable<? su",
     "public class a.A{\n" + kClassicMember + "  public <T extends java.lang.Comparable<? su"},
    {"truncated in the head", "public class a.A<T> extends a.B<",
     "public class a.A<T> extends a.B<"},
    {"member line ends the text",
     "public class a.A<T> {\n  public int size();\n    descriptor: ()I",
     "public class a.A{\n    public int size();\n\t/*   ()I   */"},
};

INSTANTIATE_TEST_SUITE_P(Texts, TextConversion, testing::ValuesIn(kTextCases),
                         [](const auto& info) { return TestName(info.param.what); });

TEST(ModernFormatDetection, NeedsDescriptorsOrNewerHeads) {
    EXPECT_TRUE(IsModernJavapFormat("public class a.A {\n" + kMember + "}\n"));
    EXPECT_TRUE(IsModernJavapFormat("public class a.Box<T> {\n}\n"));
    EXPECT_TRUE(IsModernJavapFormat("public sealed interface a.S permits a.T {\n}\n"));
    EXPECT_FALSE(IsModernJavapFormat(kClassicText));
    EXPECT_FALSE(IsModernJavapFormat("public interface java.io.Serializable {\n}\n"));
    // '<' outside a class head is no mark of the newer format
    EXPECT_FALSE(IsModernJavapFormat("Compiled from \"<generated>\"\npublic class a.B {\n}\n"));
}

// The grammar check the integration test relies on finds the usual misplacements.
TEST(ClassicGrammarCheck, FindsMisplacedBracketsAndMissingComments) {
    auto problems = [](const std::string& member) {
        return ClassicGrammarProblems("public class a.A{\n" + member + "}\n").size();
    };
    EXPECT_EQ(problems("    public int x[][];\n\t/*   [[I   */\n"), 0u);
    EXPECT_NE(problems("    public int[] x;\n\t/*   [I   */\n"), 0u);
    EXPECT_NE(problems("    public int[] f();\n\t/*   ()[I   */\n"), 0u);
    EXPECT_NE(problems("    public void f(int x[]);\n\t/*   ([I)V   */\n"), 0u);
    EXPECT_NE(problems("    public int f()[];\n\t/*   ()[[I   */\n"), 0u);
    EXPECT_NE(problems("    public int f();\n"), 0u);
    EXPECT_NE(problems("    public int f(T...);\n\t/*   ()I   */\n"), 0u);
}

// Every prefix of real output converts without fault, and whatever it turns into
// a classic member is complete: signature comment, brackets, no generics.
TEST(TruncatedOutput, EveryPrefixGivesOnlyCompleteMembers) {
    std::string text = ReadFileBytes(std::string(KF_JAVAP17_DATA_DIR) + "/sample.Shapes.javap");
    ASSERT_FALSE(text.empty());
    for (std::size_t n = 0; n <= text.size(); ++n) {
        std::string converted = ConvertModernJavapFormat(std::string_view(text).substr(0, n));
        for (const std::string& p : ClassicGrammarProblems(converted)) {
            ASSERT_EQ(p.rfind("contains ", 0), 0u) << "prefix " << n << ": " << p;
        }
    }
}

// Inputs built to make a careless converter recurse deeply, loop or go quadratic.
TEST(HostileInput, DeepNestingLongChainsAndManyMembers) {
    std::string deep = "public class a.A<T> {\n  public " + std::string(1 << 20, '<') + " x;\n" +
                       "    descriptor: I\n}\n";
    std::string converted = ConvertModernJavapFormat(deep);
    EXPECT_NE(converted.find(std::string(1 << 20, '<')), std::string::npos);

    const int chain = 50000;
    std::string params, throwsList, expected;
    for (int i = 0; i < chain; ++i) {
        params +=
            (i ? ", A" : "<A") + std::to_string(i) + " extends " +
            (i + 1 < chain ? "A" + std::to_string(i + 1) : std::string("java.io.IOException"));
        throwsList += (i ? ", A" : "A") + std::to_string(i);
        expected += i ? ", java.io.IOException" : "java.io.IOException";
    }
    std::string chained = "public class a.A {\n  public " + params + "> void f() throws " +
                          throwsList + ";\n    descriptor: ()V\n}\n";
    EXPECT_NE(ConvertModernJavapFormat(chained).find("throws " + expected + ";\n"),
              std::string::npos);

    std::string many = "public class a.A<T> {\n";
    for (int i = 0; i < 200000; ++i)
        many +=
            "  public T[] f(T...);\n    descriptor: ([Ljava/lang/Object;)[Ljava/lang/Object;\n\n";
    many += "}\n";
    converted = ConvertModernJavapFormat(many);
    EXPECT_EQ(ClassicGrammarProblems(converted), std::vector<std::string>{});
    EXPECT_EQ(converted.size(),
              std::string("public class a.A{\n}\n").size() +
                  200000 * std::string("    public java.lang.Object f(java.lang.Object[])[];\n"
                                       "\t/*   ([Ljava/lang/Object;)[Ljava/lang/Object;   */\n")
                               .size());
}

// A short throws entry may stand for a long bound; repeated, that would multiply the
// text. Such input is no javap output and is handed back as it came.
TEST(HostileInput, BoundsRepeatedInThrowsDoNotMultiplyTheText) {
    std::string text = "public class a.A {\n  public <X extends a." + std::string(1 << 20, 'N') +
                       "> void f() throws X";
    for (int i = 0; i < 100000; ++i)
        text += ", X";
    text += ";\n    descriptor: ()V\n}\n";
    EXPECT_EQ(ConvertModernJavapFormat(text), text);
}

class Javap17Golden : public testing::TestWithParam<const char*> {};

std::vector<std::string> DescriptorsOf(const std::string& javapText) {
    std::vector<std::string> descriptors;
    for (std::string_view line : javaptest::SplitLines(javapText)) {
        std::size_t at = line.find("descriptor: ");
        if (at != std::string_view::npos)
            descriptors.emplace_back(line.substr(at + 12));
    }
    return descriptors;
}

TEST_P(Javap17Golden, ConvertsToCheckedInClassicText) {
    const std::string dir = KF_JAVAP17_DATA_DIR;
    std::string modern = ReadFileBytes(dir + "/" + GetParam() + ".javap");
    std::string expected = ReadFileBytes(dir + "/" + GetParam() + ".classic");
    ASSERT_FALSE(modern.empty());
    ASSERT_FALSE(expected.empty());
    std::string converted = ConvertModernJavapFormat(modern);
    EXPECT_EQ(converted, expected);
    EXPECT_EQ(ConvertModernJavapFormat(expected), expected) << "classic text must stay as it is";
    EXPECT_EQ(ClassicGrammarProblems(converted), std::vector<std::string>{});
}

TEST_P(Javap17Golden, ParsesWithEverySignature) {
    const std::string dir = KF_JAVAP17_DATA_DIR;
    std::string modern = ReadFileBytes(dir + "/" + GetParam() + ".javap");
    JavaClassProxy cls;
    cls.javaName = GetParam();
    AcceptingResolver resolver;
    std::vector<ProxyMember> members;
    bool ok = ReadClassDescription(cls, PrepareDescription(modern), resolver, members);
    ASSERT_TRUE(ok) << (resolver.errors.empty() ? "" : resolver.errors.front());
    std::vector<std::string> signatures;
    for (const ProxyMember& m : members)
        signatures.push_back(m.signature);
    EXPECT_EQ(signatures, DescriptorsOf(modern));
    for (const std::string& name : resolver.requested) {
        EXPECT_TRUE(javaptest::IsBinaryClassName(name)) << name;
    }
}

const char* const kFixtures[] = {
    "java.util.Optional",      "java.util.Map$Entry",  "java.util.concurrent.TimeUnit",
    "java.util.stream.Stream", "java.io.Serializable", "sample.Shapes",
    "sample.Shapes$Inner",     "sample.Shapes$Dflt",   "sample.Shapes$Point",
};

INSTANTIATE_TEST_SUITE_P(Fixtures, Javap17Golden, testing::ValuesIn(kFixtures),
                         [](const auto& info) { return TestName(info.param); });

// The converted fixtures' typed members, as the parser records them.
TEST(Javap17Parsed, TypeVariableThrowsAndArrayShapes) {
    const std::string dir = KF_JAVAP17_DATA_DIR;
    JavaClassProxy cls;
    cls.javaName = "sample.Shapes";
    AcceptingResolver resolver;
    std::vector<ProxyMember> members;
    ASSERT_TRUE(ReadClassDescription(
        cls, PrepareDescription(ReadFileBytes(dir + "/sample.Shapes.javap")), resolver, members));
    auto find = [&](const std::string& sig) -> const ProxyMember& {
        for (const ProxyMember& m : members) {
            if (m.signature == sig)
                return m;
        }
        static const ProxyMember none;
        ADD_FAILURE() << "no member with " << sig;
        return none;
    };
    EXPECT_EQ(find("[[I").kind, ProxyMember::Kind::ArrayField);
    const ProxyMember& ctor = find("(ILjava/lang/Throwable;)V");
    EXPECT_EQ(ctor.kind, ProxyMember::Kind::Constructor);
    EXPECT_EQ(ctor.exceptions, std::vector<std::string>{"Throwable"});
    const ProxyMember& sortAll = find("([Ljava/lang/Object;[Ljava/util/List;)[Ljava/lang/Object;");
    EXPECT_TRUE(sortAll.arrayResult);
    ASSERT_EQ(sortAll.parameters.size(), 2u);
    EXPECT_EQ(sortAll.parameters[0].dimensions, 1);
    EXPECT_EQ(sortAll.parameters[1].type, "List");
    EXPECT_EQ(find("()[[I").arrayResult, true);
    EXPECT_EQ(find("(Ljava/lang/Exception;)V").exceptions,
              (std::vector<std::string>{"exception", "IOException"}));
}

} // namespace
} // namespace kf::ejb
