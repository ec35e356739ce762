// kfrun scripts run in-process: output, errors with file and line, uncaught exceptions.
#include <gtest/gtest.h>

#include "kf/kfruntime/module.h"
#include "support.h"

namespace kf::rt {
namespace {

struct ScriptCase {
  const char* name;
  const char* script;
  const char* output;
  const char* error;  // "" when the script must run to its end
};

class Scripts : public testing::TestWithParam<ScriptCase> {
 protected:
  void SetUp() override {
    library = &LoadExtension(rt, test::ExtensionPath());
    LoadExportSources(rt, {test::DataPath("n_echoproxy.srx"), test::DataPath("s_point.srs")});
  }
  Runtime rt;
  ExtensionLibrary* library = nullptr;
};

TEST_P(Scripts, Run) {
  const ScriptCase& c = GetParam();
  auto live = reinterpret_cast<int (*)()>(ModuleSymbol(library->module(), "KFXTest_LiveObjects"));
  const int before = live();
  const std::size_t handles = rt.LiveHandleCount();
  test::ScriptResult r = test::RunScript(rt, c.script);
  EXPECT_EQ(r.output, c.output);
  if (*c.error == 0) {
    EXPECT_EQ(r.error, "");
  } else {
    EXPECT_EQ(r.error.rfind(c.error, 0), 0u) << r.error;
  }
  // Whatever the script did, its objects and temporaries are gone afterwards.
  EXPECT_EQ(live(), before);
  EXPECT_EQ(rt.LiveHandleCount(), handles);
}

INSTANTIATE_TEST_SUITE_P(
    Language, Scripts,
    testing::Values(
        ScriptCase{"Declarations",
                   "integer i = -5\nunsignedinteger u = 65535\nlong l\nlonglong big = 9223372036854775807\n"
                   "real r = 0.1\ndouble d = 2.5e-3\ndecimal m = 1234567890123456789012345678.5\n"
                   "string s = 'it~'s'\nboolean b = true\ndate dt = 2024-02-29\ntime t = 23:59:59.5\n"
                   "datetime when = 1999-12-31 00:00:00\nany a\n"
                   "print i, u, l, big, r, d, m, s, b, dt, t, when, a\n",
                   "-5 65535 0 9223372036854775807 0.1 0.0025 1234567890123456789012345678.5 it's "
                   "true 2024-02-29 23:59:59.5 1999-12-31 00:00:00 null\n",
                   ""},
        ScriptCase{"BlobLiterals", "blob b = 0x00fF41\nblob e = 0x\nblob a[]\na[2] = 0X7f\nprint b, e, a\n",
                   "blob{00ff41} blob{} {blob{}, blob{7f}}\n", ""},
        ScriptCase{"ArraysBoundedAndGrowing",
                   "long b[3]\nb[3] = 30\nlong m[2, 2]\nm[2, 1] = 21\nstring g[]\ng[3] = \"c\"\n"
                   "long w[-1 to 1]\nw[-1] = 7\nprint b, m, g, w\nlong c[]\nc = b\nc[1] = 1\nprint b, c\n",
                   "{0, 0, 30} {0, 0, 21, 0} {\"\", \"\", \"c\"} {7, 0, 0}\n{0, 0, 30} {1, 0, 30}\n", ""},
        ScriptCase{"NativeCallsWithRefArguments",
                   "testcounter c\nc = create testcounter\nlong x = 1, y = 2\nprint c.add(5), c.add(x)\n"
                   "print c.swap(x, y), x, y\nstring items[]\nc.fill(items, 3)\nprint items\n"
                   "any squares\nsquares = c.makearray(4)\nprint squares\nprint c.echo(\"same\")\n"
                   "print c.copydec(0.10), c.nextday(2024-02-28), c.makeblob(\"AB\")\n"
                   "destroy c\nprint c\n",
                   "5 6\n3 2 1\n{\"item1\", \"item2\", \"item3\"}\n{1, 4, 9, 16}\nsame\n"
                   "0.10 2024-02-29 blob{4142}\nnull\n",
                   ""},
        ScriptCase{"ReturnLeftAsPrepared", "testcounter c\nc = create testcounter\nprint c.touch(\"x\")\n",
                   "0\n", ""},
        ScriptCase{"TryCatchByAncestor",
                   "testcounter c\nc = create testcounter\ntry\n  c.fail(\"first\")\n  print \"not here\"\n"
                   "catch (testerror e)\n  print \"caught\", e.text, e.detail()\nend try\n"
                   "n_echoproxy p\np = create n_echoproxy\n"
                   "try\n  p.plain()\ncatch (testerror t)\n  print \"wrong\"\ncatch (runtimeerror r)\n  print r.text\nend try\n",
                   "caught first detail of the failure\n"
                   "function plain of n_echoproxy is not bound: the proxy object has no call handler\n", ""},
        ScriptCase{"NestedTryPassesOnWhatItDoesNotCatch",
                   "testcounter c\nc = create testcounter\nn_echoproxy p\np = create n_echoproxy\n"
                   "try\n  try\n    p.plain()\n  catch (testerror e)\n    print \"inner\"\n  end try\n"
                   "catch (exception x)\n  print \"outer\"\n  try\n    c.fail(\"from catch\")\n"
                   "  catch (testerror y)\n    print y.text\n  end try\nend try\n",
                   "outer\nfrom catch\n", ""},
        ScriptCase{"ProxyBoundThroughRef",
                   "testcounter c\nc = create testcounter\nn_echoproxy p\nprint p, c.bind(p, \"n_echoproxy\")\n"
                   "print p.plain(), p.calls, p.endpoint\n",
                   "null 0\nplain()@urn:echo 1 http://localhost:8080/echo\n", ""},
        ScriptCase{"StructuresAndFields",
                   "s_point p\np = create s_point\np.y = 4\nprint p.x, p.y, p.label, p.weight\n", "3 4 origin \"0\" 1.50\n", ""},
        ScriptCase{"UncaughtPrintsClassAndText",
                   "testcounter c\nc = create testcounter\nprint \"before\"\nc.fail(\"it broke\")\nprint \"after\"\n",
                   "before\n", "test.kfs:4: uncaught exception testerror: it broke"},
        ScriptCase{"UnboundProxyIsCatchable",
                   "n_echoproxy p\np = create n_echoproxy\ntry\np.greet(\"x\")\ncatch (runtimeerror e)\nprint e.text\nend try\n",
                   "function greet of n_echoproxy is not bound: the proxy object has no call handler\n", ""}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Errors, Scripts,
    testing::Values(
        ScriptCase{"UnknownFunction", "testcounter c\nc = create testcounter\n\nc.launch()\n", "",
                   "test.kfs:4: unknown function launch of class testcounter"},
        ScriptCase{"WrongArgumentCount", "testcounter c\nc = create testcounter\nc.add(1, 2)\n", "",
                   "test.kfs:3: function add of class testcounter takes 1 argument(s), not 2"},
        ScriptCase{"UndeclaredVariable", "long a\na = 1\nprint a, b\n", "", "test.kfs:3: undeclared variable b"},
        ScriptCase{"IndexOutOfBounds", "long a[3]\na[4] = 1\n", "",
                   "test.kfs:2: index out of bounds: a[4] (bounds 1 to 3)"},
        ScriptCase{"ReadBeyondUnbounded", "long a[]\na[2] = 1\nprint a[3]\n", "",
                   "test.kfs:3: index out of bounds: a[3] (bounds 1 to 2)"},
        ScriptCase{"WrongIndexCount", "long a[2, 2]\nprint a[1]\n", "",
                   "test.kfs:2: a has 2 dimension(s), not 1 index(es)"},
        ScriptCase{"NullObject", "testcounter c\nprint \"x\"\nc.total()\n", "x\n",
                   "test.kfs:3: null object reference: c"},
        ScriptCase{"RefNeedsVariable", "testcounter c\nc = create testcounter\nc.swap(1, 2)\n", "",
                   "test.kfs:3: argument 1 of swap is passed by reference"},
        ScriptCase{"RefTypeMustMatch", "testcounter c\nc = create testcounter\nstring s\nlong l\nc.swap(s, l)\n", "",
                   "test.kfs:5: argument 1 of swap must be a long variable, not string s"},
        ScriptCase{"ValueDoesNotFit", "integer i\ni = 70000\n", "", "test.kfs:2: cannot assign a long value to i"},
        ScriptCase{"UnknownType", "n_nosuch x\n", "", "test.kfs:1: unknown type n_nosuch"},
        ScriptCase{"UnknownClass", "testcounter c\nc = create nosuch\n", "", "test.kfs:2: unknown class nosuch"},
        ScriptCase{"Redeclared", "long a\nstring a\n", "", "test.kfs:2: a is already declared"},
        ScriptCase{"SubroutineHasNoValue", "testcounter c\nc = create testcounter\nstring s[]\nprint c.fill(s, 1)\n", "",
                   "test.kfs:4: c.fill() returns no value"},
        ScriptCase{"CatchNeedsExceptionClass",
                   "testcounter c\nc = create testcounter\ntry\nc.fail(\"x\")\ncatch (s_point p)\nend try\n", "",
                   "test.kfs:5: s_point is not an exception class"},
        ScriptCase{"TryWithoutEnd", "try\nprint 1\n", "", "test.kfs:1: 'try' without 'end try'"},
        ScriptCase{"CatchWithoutTry", "print 1\ncatch (runtimeerror e)\n", "", "test.kfs:2: 'catch' without 'try'"},
        ScriptCase{"BadDate", "date d = 2023-02-29\n", "", "test.kfs:1: invalid value 2023-02-29"},
        ScriptCase{"BadBlobOddDigits", "blob b = 0xabc\n", "", "test.kfs:1: invalid value 0xabc"},
        ScriptCase{"BadBlobNotHex", "blob b = 0x0g\n", "", "test.kfs:1: invalid value 0x0g"},
        ScriptCase{"NoEffect", "long a\na\n", "", "test.kfs:2: expected '=' or a function call"},
        ScriptCase{"UnknownField", "s_point p\np = create s_point\nprint p.z\n", "",
                   "test.kfs:3: class s_point has no variable z"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kf::rt
