#include <gtest/gtest.h>

#include "kf/ejb/classparser.h"
#include "kf/ejb/classreader.h"
#include "testsupport.h"

namespace kf::ejb {
namespace {

using Kind = ProxyMember::Kind;

std::vector<Token> Tokens(std::string_view text) {
    DescriptionTokenizer tokenizer(text);
    std::vector<Token> tokens;
    for (Token t = tokenizer.Next(); t.kind != TokenKind::EndOfText; t = tokenizer.Next())
        tokens.push_back(t);
    return tokens;
}

TEST(DescriptionTokenizer, SeparatorsWordsAndKeywords) {
    auto tokens = Tokens(" public int[] f(a.B,c);\v/* ()V */\f}");
    std::vector<std::string> texts;
    for (const Token& t : tokens) texts.push_back(t.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"public", "int", "[", "]", "f", "(", "a.B", ",",
                                               "c", ")", ";", "/*", "(", ")", "V", "*/", "}"}));
    EXPECT_EQ(tokens[0].kind, TokenKind::Public);
    EXPECT_EQ(tokens[1].kind, TokenKind::Word);
    EXPECT_EQ(tokens[11].kind, TokenKind::CommentOpen);
    EXPECT_EQ(tokens.back().kind, TokenKind::CloseBrace); // ends at the end of the text
}

TEST(DescriptionTokenizer, KeywordsMatchWholeTokensCaseSensitively) {
    auto tokens = Tokens("Public publicx /** */x throws");
    EXPECT_EQ(tokens[0].kind, TokenKind::Word);
    EXPECT_EQ(tokens[1].kind, TokenKind::Word);
    EXPECT_EQ(tokens[2].kind, TokenKind::Word);
    EXPECT_EQ(tokens[3].kind, TokenKind::Word);
    EXPECT_EQ(tokens[4].kind, TokenKind::Throws);
    EXPECT_TRUE(Tokens(" \t\r\n").empty());
}

struct Parsed {
    bool ok = false;
    JavaClassProxy cls;
    std::vector<ProxyMember> members;
    test::RecordingResolver resolver;
};

std::unique_ptr<Parsed> Parse(const std::string& name, const std::string& text,
                              std::set<std::string> failing = {}) {
    auto p = std::make_unique<Parsed>();
    p->cls.javaName = name;
    p->cls.proxyName = "P_" + name;
    p->resolver.failing = std::move(failing);
    p->ok = ReadClassDescription(p->cls, PrepareDescription(text), p->resolver, p->members);
    return p;
}

TEST(ReadClassDescription, AncestorFromTheHead) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "nonvisualobject"},
        {"extends java.lang.Object", "nonvisualobject"},
        {"extends java.util.Date", "nonvisualobject"},
        {"extends java.lang.String", "nonvisualobject"},
        {"extends java.lang.Exception", "exception"},
        {"extends a.Base", "Base"},
        {"implements a.First, b.Second", "First"},
        {"implements a.First extends a.Base", "Base"},
        {"extends a.Base implements a.First", "Base"},
        {"/* a comment { } */ extends a.Base", "Base"},
    };
    for (const auto& [head, ancestor] : cases) {
        auto p = Parse("x.C", test::EmptyClass("x.C", head));
        ASSERT_TRUE(p->ok) << head;
        EXPECT_EQ(p->cls.ancestor, ancestor) << head;
        EXPECT_TRUE(p->members.empty());
    }
    auto p = Parse("x.C", test::EmptyClass("x.C", "implements a.First, b.Second"));
    EXPECT_EQ(p->resolver.requested, (std::vector<std::string>{"a.First", "b.Second"}));
}

TEST(ReadClassDescription, HeadFailures) {
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"public class x.Other{\n}", "Bad Java class name: x.Other"},
        {"public class x.C extends a.B weird {}", "Bad Java Description : weird"},
        {"public class x.C ; {}", "Bad Java Description : ;"},
        {"public class x.C extends a.Missing {}", "Can't get information of a.Missing"},
    };
    for (const Case& c : cases) {
        auto p = Parse("x.C", c.text, {"a.Missing"});
        EXPECT_FALSE(p->ok) << c.text;
        ASSERT_EQ(p->resolver.errors.size(), 1u) << c.text;
        EXPECT_EQ(p->resolver.errors[0], c.error);
    }
}

TEST(ReadClassDescription, EndOfTextInsideAnySkipOrListFails) {
    const char* texts[] = {
        "",
        "Compiled from",
        "public",
        "public class",
        "public class x.C",
        "public class x.C extends",
        "public class x.C /* never closed",
        "public class x.C {",
        "public class x.C { public int",
        "public class x.C { public int f",
        "public class x.C { public int f[",
        "public class x.C { public int f(",
        "public class x.C { public int f(int",
        "public class x.C { public int f(int[",
        "public class x.C { public int f()",
        "public class x.C { public int f() throws",
        "public class x.C { public int f() throws a.E",
        "public class x.C { public int f();",
        "public class x.C { public int f(); /* (I",
        "public class x.C { public int f(); /* ()I */",
        "public class x.C { public class x.C$In {",
    };
    for (const char* text : texts) {
        auto p = Parse("x.C", text);
        EXPECT_FALSE(p->ok) << text;
        EXPECT_FALSE(p->resolver.errors.empty()) << text;
    }
}

TEST(ReadClassDescription, MembersOfEveryKind) {
    auto p = Parse("x.C", "No sourcepublic class x.C {\n"
                          "  public x.C(int, java.lang.String[]);\n\t/* (I[Ljava/lang/String;)V */\n"
                          "  public static final int limits[][];\n\t/* [[I */\n"
                          "  public a.T value;\n"
                          "  public abstract synchronized native java.lang. String name(int[][][], a. T) throws a.E, b.F;\n"
                          "\t/*   (I)Ljava/lang/String;   */\n"
                          "  public int values()[];\n\t/* ()[I */\n"
                          "}");
    ASSERT_TRUE(p->ok) << (p->resolver.errors.empty() ? "" : p->resolver.errors[0]);
    ASSERT_EQ(p->members.size(), 5u);

    const ProxyMember& ctor = p->members[0];
    EXPECT_EQ(ctor.kind, Kind::Constructor);
    EXPECT_EQ(ctor.javaName, "C"); // the proxy name its class maps to
    EXPECT_EQ(ctor.type, "");
    ASSERT_EQ(ctor.parameters.size(), 2u);
    EXPECT_EQ(ctor.parameters[0].type, "long");
    EXPECT_EQ(ctor.parameters[1].type, "string");
    EXPECT_EQ(ctor.parameters[1].dimensions, 1);
    EXPECT_EQ(ctor.signature, "(I[Ljava/lang/String;)V");

    EXPECT_EQ(p->members[1].kind, Kind::ArrayField);
    EXPECT_EQ(p->members[1].type, "long");
    EXPECT_TRUE(p->members[1].simple);
    EXPECT_EQ(p->members[1].signature, "[[I");

    // No signature comment: the token after ";" is dropped, harmless when it is "public".
    EXPECT_EQ(p->members[2].kind, Kind::Field);
    EXPECT_EQ(p->members[2].type, "T");
    EXPECT_FALSE(p->members[2].simple);
    EXPECT_EQ(p->members[2].signature, "");

    const ProxyMember& method = p->members[3];
    EXPECT_EQ(method.kind, Kind::Method);
    EXPECT_EQ(method.type, "string");
    EXPECT_EQ(method.parameters[0].dimensions, 2); // two and more
    EXPECT_EQ(method.parameters[1].type, "T");
    EXPECT_EQ(method.exceptions, (std::vector<std::string>{"E", "F"}));
    EXPECT_EQ(method.signature, "(I)Ljava/lang/String;");

    EXPECT_TRUE(p->members[4].arrayResult);
    EXPECT_EQ(p->members[4].type, "long");
}

TEST(ReadClassDescription, MemberQuirksOfTheGrammar) {
    // A transient field is read as a field of type "transient", which cannot be generated.
    auto transient = Parse("x.C", "public class x.C { public transient int f;\n/* I */\n}",
                           {"transient"});
    EXPECT_FALSE(transient->ok);

    // Brackets after the type put "[" where the name is expected: the field is misread.
    auto misread = Parse("x.C", "public class x.C { public int[] f;\n/* [I */\n}");
    EXPECT_FALSE(misread->ok);

    // An inner class is generated and ends the outer member list.
    auto inner = Parse("x.C", "public class x.C { public int f;\n/* I */\n"
                              " public static class x.C$In { public int g; }\n"
                              " public int never;\n}");
    ASSERT_TRUE(inner->ok);
    EXPECT_EQ(inner->members.size(), 1u);
    EXPECT_EQ(inner->resolver.requested, (std::vector<std::string>{"x.C$In"}));

    // An interface with no members.
    auto empty = Parse("x.I", "public interface x.I{}");
    EXPECT_TRUE(empty->ok);
    EXPECT_TRUE(empty->members.empty());
}

TEST(ReadClassDescription, ErrorsAfterAParameterList) {
    auto bad = Parse("x.C", "public class x.C { public int f() oops;\n}");
    EXPECT_FALSE(bad->ok);
    EXPECT_EQ(bad->resolver.errors, (std::vector<std::string>{"Error"}));

    auto badThrows = Parse("x.C", "public class x.C { public int f() throws ;\n}");
    EXPECT_FALSE(badThrows->ok);
    EXPECT_EQ(badThrows->resolver.errors, (std::vector<std::string>{"Bad exception type"}));

    auto failedType = Parse("x.C", "public class x.C { public int f(a.Gone);\n}", {"a.Gone"});
    EXPECT_FALSE(failedType->ok);
}

TEST(PrepareDescription, ClassicSteps) {
    EXPECT_EQ(PrepareDescription("No sourcepublic class"), "No source\r\npublic class");
    EXPECT_EQ(PrepareDescription("java.lang. String a.  b x. "), "java.lang.String a.b x.");
    EXPECT_EQ(PrepareDescription("no source"), "no source");
}

} // namespace
} // namespace kf::ejb

namespace kf::ejb {
namespace {

TEST(PrepareDescription, PackagePrivateClassesOfNewerJavapAreRead) {
    auto p = Parse("java.lang.AbstractStringBuilder",
                   "Compiled from \"AbstractStringBuilder.java\"\n"
                   "abstract class java.lang.AbstractStringBuilder implements java.lang.Appendable,"
                   "java.lang.CharSequence {\n"
                   "  public int length();\n    descriptor: ()I\n\n}\n");
    ASSERT_TRUE(p->ok) << (p->resolver.errors.empty() ? "" : p->resolver.errors[0]);
    EXPECT_EQ(p->cls.ancestor, "Appendable");
    ASSERT_EQ(p->members.size(), 1u);
    EXPECT_EQ(p->members[0].signature, "()I");

    auto empty = Parse("java.lang.NamedPackage",
                       "Compiled from \"NamedPackage.java\"\nclass java.lang.NamedPackage {\n}\n");
    EXPECT_TRUE(empty->ok);
}

} // namespace
} // namespace kf::ejb
