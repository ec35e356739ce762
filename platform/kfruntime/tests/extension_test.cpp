// Loading the test extension and calling into it as a script would.
#include <gtest/gtest.h>

#include "kf/kfruntime/module.h"
#include "support.h"

namespace kf::rt {
namespace {

class Extension : public testing::Test {
 protected:
  void SetUp() override {
    library = &LoadExtension(rt, test::ExtensionPath());
    liveObjects = reinterpret_cast<int (*)()>(ModuleSymbol(library->module(), "KFXTest_LiveObjects"));
    ASSERT_NE(liveObjects, nullptr);
    baseObjects = liveObjects();
    LoadExportSources(rt, {test::DataPath("n_echoproxy.srx")});
    counterClass = rt.FindClass(u"testcounter");
    ASSERT_NE(counterClass, nullptr);
  }
  MethodId Method(const ClassDef& c, const char16_t* name) {
    return rt.GetMethodId(c.handle, name, 0, u"", false);
  }

  Runtime rt;
  ExtensionLibrary* library = nullptr;
  int (*liveObjects)() = nullptr;
  int baseObjects = 0;
  const ClassDef* counterClass = nullptr;
};

TEST_F(Extension, ExportsAndDescriptionBecomeNativeClasses) {
  EXPECT_EQ(library->version(), 0x10A00u);
  EXPECT_EQ(counterClass->origin, ClassOrigin::Native);
  EXPECT_EQ(counterClass->kind, GroupKind::Exception);
  const ClassDef* error = rt.FindClass(u"testerror");
  ASSERT_NE(error, nullptr);
  EXPECT_TRUE(error->IsA(u"runtimeerror"));
  EXPECT_EQ(Method(*counterClass, u"total"), 1u);
  EXPECT_EQ(Method(*counterClass, u"copydec"), 9u);
  // A second load finds its classes already defined and leaves the first in place.
  EXPECT_THROW(LoadExtension(rt, test::ExtensionPath()), Error);
  EXPECT_EQ(rt.FindClass(u"testcounter"), counterClass);
}

TEST_F(Extension, MissingLibraryOrExportFailsWithItsName) {
  try {
    LoadExtension(rt, "no-such-extension.so");
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("no-such-extension.so"), std::string::npos);
  }
}

TEST_F(Extension, FramesReachNativeObjectsAndNativeObjectsAreDestroyed) {
  const std::size_t handles = rt.LiveHandleCount();
  {
    ObjectRef counter = rt.NewObject(*counterClass, false);
    ASSERT_TRUE(counter);
    EXPECT_EQ(liveObjects(), baseObjects + 1);
    Runtime::Scope scope(rt);
    ObjectHandle h = rt.CreateScriptObject(counterClass->handle);
    CallFrame* frame = nullptr;
    ASSERT_EQ(rt.PrepareCallFrame(counterClass->handle, Method(*counterClass, u"add"), &frame),
              Status::Ok);
    ASSERT_EQ(frame->GetArguments()->GetCount(), 1);
    EXPECT_EQ(frame->GetArguments()->GetAt(1), nullptr);
    frame->GetArguments()->GetAt(0)->SetLong(5);
    EXPECT_EQ(rt.CallObjectFunction(h, Method(*counterClass, u"add"), frame), Status::Ok);
    EXPECT_EQ(rt.CallObjectFunction(h, Method(*counterClass, u"add"), frame), Status::Ok);
    EXPECT_EQ(frame->GetReturnValue()->GetLong(), 10);
    EXPECT_EQ(rt.CallObjectFunction(h, 0x7777, frame), Status::BadHandle);
    rt.ReleaseCallFrame(frame);
    EXPECT_EQ(liveObjects(), baseObjects + 2);
  }
  EXPECT_EQ(liveObjects(), baseObjects);
  EXPECT_EQ(rt.LiveHandleCount(), handles);
}

TEST_F(Extension, RaisedExceptionsCarryTextAndNativeDetail) {
  ObjectRef counter = rt.NewObject(*counterClass, false);
  Frame frame(rt);
  frame.AddValue(TypeSpec::Scalar(ValueType::String), Value::Of(ValueType::String, std::u16string(u"bad thing")), false);
  frame.SetResultType(TypeSpec::Scalar(ValueType::Long));
  const std::size_t handles = rt.LiveHandleCount();
  ASSERT_EQ(rt.Invoke(counter, Method(*counterClass, u"fail"), frame), Status::Ok);
  EXPECT_EQ(rt.LiveHandleCount(), handles);  // the extension released its frame
  ObjectRef thrown = rt.TakePendingException();
  ASSERT_TRUE(thrown);
  EXPECT_EQ(Narrow(thrown->cls->name), "testerror");
  EXPECT_EQ(FormatValue(thrown->fields[0]), "bad thing");
  Frame detail(rt);
  detail.SetResultType(TypeSpec::Scalar(ValueType::String));
  rt.Invoke(thrown, Method(*thrown->cls, u"detail"), detail);
  EXPECT_EQ(FormatValue(detail.Result()), "detail of the failure");
}

TEST_F(Extension, ProxyCallsReachTheHandlerWithTheAliasText) {
  const ClassDef* proxyClass = rt.FindClass(u"n_echoproxy");
  {
    ObjectRef counter = rt.NewObject(*counterClass, false);
    Value proxy = Value::Null(ValueType::Object);
    Frame bind(rt);
    bind.AddReference(&proxy, TypeSpec::Class(u"n_echoproxy"), nullptr);
    bind.AddValue(TypeSpec::Scalar(ValueType::String), Value::Of(ValueType::String, std::u16string(u"N_ECHOPROXY")), false);
    bind.SetResultType(TypeSpec::Scalar(ValueType::Long));
    rt.Invoke(counter, Method(*counterClass, u"bind"), bind);
    EXPECT_EQ(FormatValue(bind.Result()), "0");
    ASSERT_FALSE(proxy.null);
    ObjectRef p = std::get<ObjectRef>(proxy.data);
    EXPECT_EQ(liveObjects(), baseObjects + 2);  // the counter and the handler

    Frame greet(rt);
    greet.AddValue(TypeSpec::Scalar(ValueType::String), Value::Of(ValueType::String, std::u16string(u"x")), false);
    greet.SetResultType(TypeSpec::Scalar(ValueType::String));
    rt.Invoke(p, Method(*proxyClass, u"greet"), greet);
    EXPECT_EQ(FormatValue(greet.Result()),
              "greet([in] xsd:string name)return xsd:string greetResult@urn:echo@urn:echo#greet");
    EXPECT_FALSE(rt.TakePendingException());
    EXPECT_EQ(FormatValue(p->fields[rt.GetFieldId(proxyClass->handle, u"calls")]), "1");
  }
  EXPECT_EQ(liveObjects(), baseObjects);  // the proxy's end destroyed its handler

  // Without a handler, and for a function without alias, the script gets a runtimeerror.
  ObjectRef unbound = rt.NewObject(*proxyClass, true);
  Frame plain(rt);
  plain.SetResultType(TypeSpec::Scalar(ValueType::String));
  rt.Invoke(unbound, Method(*proxyClass, u"plain"), plain);
  ObjectRef e = rt.TakePendingException();
  ASSERT_TRUE(e);
  EXPECT_NE(FormatValue(e->fields[0]).find("no call handler"), std::string::npos);
  rt.Invoke(unbound, Method(*proxyClass, u"nothing"), plain);
  e = rt.TakePendingException();
  ASSERT_TRUE(e);
  EXPECT_NE(FormatValue(e->fields[0]).find("has no implementation"), std::string::npos);
}

TEST_F(Extension, HandlersGoToProxyObjectsOnly) {
  Runtime::Scope scope(rt);
  ObjectHandle plain = rt.CreateScriptObject(rt.FindClass(u"n_echoproxy")->handle);
  ObjectRef counter = rt.NewObject(*counterClass, false);
  // Bind a proxy to learn how many live objects one handler adds, then refuse a handler
  // on a plain object: it is destroyed rather than leaked.
  Value proxy = Value::Null(ValueType::Object);
  Frame bind(rt);
  bind.AddReference(&proxy, TypeSpec::Class(u"kestrelobject"), nullptr);
  bind.AddValue(TypeSpec::Scalar(ValueType::String), Value::Of(ValueType::String, std::u16string(u"n_echoproxy")), false);
  bind.SetResultType(TypeSpec::Scalar(ValueType::Long));
  rt.Invoke(counter, Method(*counterClass, u"bind"), bind);
  const int withOne = liveObjects();
  class Counting final : public RemoteCallHandler {
   public:
    explicit Counting(int& destroyed) : destroyed_(destroyed) {}
    std::int32_t CallRemote(RuntimeContext*, ObjectHandle, const char16_t*, CallFrame*) override { return 0; }
    ModuleHandle LibraryHandle() override { return nullptr; }
    void DestroyObject() override { ++destroyed_; }
   private:
    int& destroyed_;
  };
  int destroyed = 0;
  Counting handler(destroyed);
  EXPECT_EQ(rt.AttachCallHandler(plain, &handler), Status::Failed);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(liveObjects(), withOne);
}

}  // namespace
}  // namespace kf::rt
