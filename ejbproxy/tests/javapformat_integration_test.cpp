// The javap of this machine over a spread of JDK classes: every conversion keeps to
// the classic grammar and is read by the class description parser.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "javapformat_support.h"
#include "kf/ejb/classparser.h"
#include "kf/ejb/classreader.h"
#include "kf/ejb/javaclassproxy.h"
#include "kf/ejb/javapformat.h"
#include "kf/ejb/process.h"

namespace kf::ejb {
namespace {

using javaptest::ClassicGrammarProblems;

const std::vector<std::string> kClasses = {
    "java.util.Vector",
    "java.util.Collections",
    "java.util.List",
    "java.util.Map$Entry",
    "java.util.Optional",
    "java.util.stream.Stream",
    "java.util.function.Function",
    "java.util.Spliterator",
    "java.util.Spliterator$OfInt",
    "java.lang.Enum",
    "java.util.concurrent.TimeUnit",
    "java.lang.String",
    "java.lang.Object",
    "java.util.Map",
    "java.util.HashMap",
    "java.util.ArrayList",
    "java.util.Arrays",
    "java.util.Comparator",
    "java.util.AbstractMap$SimpleEntry",
    "java.util.EnumMap",
    "java.util.Date",
    "java.lang.Thread",
    "java.lang.Thread$State",
    "java.lang.Integer",
    "java.lang.Math",
    "java.lang.Comparable",
    "java.lang.Iterable",
    "java.lang.Record",
    "java.lang.Class",
    "java.lang.reflect.Method",
    "java.lang.invoke.MethodHandle",
    "java.lang.annotation.Retention",
    "java.lang.constant.ConstantDesc",
    "java.io.File",
    "java.io.InputStream",
    "java.io.Serializable",
    "java.math.BigDecimal",
    "java.time.LocalDate",
    "java.util.concurrent.CompletableFuture",
    "java.util.concurrent.ConcurrentHashMap",
    "java.util.stream.Collectors",
    "java.nio.ByteBuffer",
    "java.rmi.RemoteException",
};

struct ClassText {
    std::string javaName; // from its head
    std::string text;
};

// Lines up to and including each closing "}" of a class: one javap run describes
// the classes one after the other.
std::vector<ClassText> SplitPerClass(const std::string& output) {
    std::vector<ClassText> classes;
    std::string current;
    std::string name;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t nl = output.find('\n', start);
        std::size_t end = nl == std::string::npos ? output.size() : nl + 1;
        std::string_view line(output.data() + start, end - start);
        current += line;
        std::size_t kind = line.find(" class ");
        if (kind == std::string_view::npos)
            kind = line.find("interface ");
        if (name.empty() && line.substr(0, 7) == "public " && kind != std::string_view::npos) {
            std::string_view rest = line.substr(line.find(' ', kind + 1) + 1);
            name = std::string(rest.substr(0, rest.find_first_of("< {")));
        }
        if (line == "}\n") {
            classes.push_back({name, current});
            current.clear();
            name.clear();
        }
        start = end;
    }
    return classes;
}

std::filesystem::path FreshDirectory() {
    std::random_device rd;
    auto dir = std::filesystem::temp_directory_path() /
               ("kf-javap17-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    return dir;
}

class RealJavap : public testing::Test {
protected:
    static void SetUpTestSuite() {
        auto dir = FreshDirectory();
        std::vector<std::string> args = {"-s", "-public"};
        args.insert(args.end(), kClasses.begin(), kClasses.end());
        auto out = (dir / "javap.txt").string(), err = (dir / "javap.er").string();
        exitCode_ = RunRedirected("javap", args, out, err);
        output_ = javaptest::ReadFileBytes(out);
        errors_ = javaptest::ReadFileBytes(err);
        std::filesystem::remove_all(dir);
    }

    static std::optional<int> exitCode_;
    static std::string output_;
    static std::string errors_;
};

std::optional<int> RealJavap::exitCode_;
std::string RealJavap::output_;
std::string RealJavap::errors_;

TEST_F(RealJavap, DescribesEveryClassInTheNewerFormat) {
    ASSERT_TRUE(exitCode_.has_value()) << "javap could not be started";
    ASSERT_EQ(*exitCode_, 0) << errors_;
    auto classes = SplitPerClass(output_);
    ASSERT_EQ(classes.size(), kClasses.size());
    for (std::size_t i = 0; i < classes.size(); ++i) {
        EXPECT_EQ(classes[i].javaName, kClasses[i]);
    }
    EXPECT_TRUE(IsModernJavapFormat(output_));
}

TEST_F(RealJavap, EveryConversionKeepsToTheClassicGrammar) {
    ASSERT_TRUE(exitCode_ && *exitCode_ == 0) << errors_;
    for (const ClassText& c : SplitPerClass(output_)) {
        std::string converted = ConvertModernJavapFormat(c.text);
        for (const std::string& p : ClassicGrammarProblems(converted)) {
            ADD_FAILURE() << c.javaName << ": " << p;
        }
        std::size_t descriptors = 0, comments = 0;
        for (std::size_t at = c.text.find("descriptor: "); at != std::string::npos;
             at = c.text.find("descriptor: ", at + 1))
            ++descriptors;
        for (std::size_t at = converted.find("\n\t/*   "); at != std::string::npos;
             at = converted.find("\n\t/*   ", at + 1))
            ++comments;
        EXPECT_EQ(comments, descriptors) << c.javaName << ": a member was not converted";
    }
    std::string all = ConvertModernJavapFormat(output_);
    EXPECT_TRUE(ClassicGrammarProblems(all).empty()) << "all classes in one text";
}

TEST_F(RealJavap, EveryConversionIsReadByTheParser) {
    ASSERT_TRUE(exitCode_ && *exitCode_ == 0) << errors_;
    for (const ClassText& c : SplitPerClass(output_)) {
        JavaClassProxy cls;
        cls.javaName = c.javaName;
        javaptest::AcceptingResolver resolver;
        std::vector<ProxyMember> members;
        bool ok = ReadClassDescription(cls, PrepareDescription(c.text), resolver, members);
        EXPECT_TRUE(ok) << c.javaName << ": "
                        << (resolver.errors.empty() ? "" : resolver.errors.front());
        EXPECT_TRUE(resolver.errors.empty()) << c.javaName;
        std::size_t descriptors = 0;
        for (std::size_t at = c.text.find("descriptor: "); at != std::string::npos;
             at = c.text.find("descriptor: ", at + 1))
            ++descriptors;
        EXPECT_EQ(members.size(), descriptors) << c.javaName;
        for (const ProxyMember& m : members) {
            EXPECT_FALSE(m.signature.empty()) << c.javaName << " " << m.javaName;
        }
        for (const std::string& name : resolver.requested) {
            EXPECT_TRUE(javaptest::IsBinaryClassName(name)) << c.javaName << " needs " << name;
        }
    }
}

} // namespace
} // namespace kf::ejb
