// A small extension library for the runtime's own tests: it uses the extension interface
// the way the real extensions do, through the three exports only.
#include <cstring>
#include <string>

#include "kf/rt/runtimeext.h"

using namespace kf::rt;

namespace {

int g_liveObjects = 0;
int g_liveHandlers = 0;

const char16_t kDescription[] =
    u"class testcounter from nonvisualobject\n"
    u"function long add(long amount)\n"
    u"function long total()\n"
    u"function string echo(readonly string text)\n"
    u"subroutine fill(ref string items[], long count)\n"
    u"function long swap(ref long a, ref long b)\n"
    u"function any makearray(long count)\n"
    u"function long fail(string text)\n"
    u"function blob makeblob(string text)\n"
    u"function date nextday(date d)\n"
    u"function decimal copydec(decimal d)\n"
    u"function long bind(ref kestrelobject obj, string classname)\n"
    u"function long touch(string text)\n"
    u"end class\n"
    u"class testerror from runtimeerror\n"
    u"function string detail()\n"
    u"function long setdetail(string detail)\n"
    u"end class\n";

std::u16string TextOf(RuntimeContext* rt, StringHandle h) {
  const char16_t* p = rt->GetStringText(h);
  return p != nullptr ? p : u"";
}

// Answers every proxy call with its alias text (when the function returns a string) and
// counts the calls in the proxy's "calls" variable when there is one.
class EchoHandler final : public RemoteCallHandler {
 public:
  EchoHandler() { ++g_liveHandlers; }
  std::int32_t CallRemote(RuntimeContext* rt, ObjectHandle proxy, const char16_t* alias,
                          CallFrame* frame) override {
    ScriptValue* ret = frame->GetReturnValue();
    if (ret->GetType() == ValueType::String) ret->SetStringText(alias);
    ClassHandle cls = rt->GetClass(proxy);
    FieldId calls = rt->GetFieldId(cls, u"calls");
    if (calls != kNoField) {
      bool isNull = false;
      rt->SetLongField(proxy, calls, rt->GetLongField(proxy, calls, isNull) + 1);
    }
    return 0;
  }
  ModuleHandle LibraryHandle() override { return nullptr; }
  void DestroyObject() override { delete this; }

 private:
  ~EchoHandler() override { --g_liveHandlers; }
};

class TestError final : public NativeObject {
 public:
  TestError() { ++g_liveObjects; }
  std::int32_t InvokeMethod(RuntimeContext* rt, ObjectHandle, MethodId method,
                            CallFrame* frame) override {
    ArgumentList* args = frame->GetArguments();
    switch (method & 0xFFFF) {
      case 0: frame->GetReturnValue()->SetStringText(detail_.c_str()); break;
      case 1:
        detail_ = TextOf(rt, args->GetAt(0)->GetString());
        frame->GetReturnValue()->SetLong(0);
        break;
    }
    return 0;
  }
  void DestroyObject() override { delete this; }

 private:
  ~TestError() override { --g_liveObjects; }
  std::u16string detail_;
};

class TestCounter final : public NativeObject {
 public:
  TestCounter() { ++g_liveObjects; }
  std::int32_t InvokeMethod(RuntimeContext* rt, ObjectHandle, MethodId method,
                            CallFrame* frame) override {
    ArgumentList* args = frame->GetArguments();
    ScriptValue* ret = frame->GetReturnValue();
    auto arg = [&](int i) { return args->GetAt(i); };
    switch (method & 0xFFFF) {
      case 0:  // add
        total_ += arg(0)->GetLong();
        ret->SetLong(total_);
        break;
      case 1: ret->SetLong(total_); break;
      case 2:  // echo: a readonly argument refuses writes
        if (arg(0)->SetStringText(u"changed") != Status::ReadOnly) return -1;
        ret->SetString(arg(0)->GetString());
        break;
      case 3: {  // fill: items 1..count, written from the last one down
        ArrayHandle items = arg(0)->GetArray();
        for (std::int32_t i = arg(1)->GetLong(); i >= 1; --i) {
          std::u16string text = u"item" + std::u16string(1, char16_t(u'0' + i % 10));
          rt->SetStringArrayItemText(items, &i, text.c_str());
        }
        break;
      }
      case 4: {  // swap
        std::int32_t a = arg(0)->GetLong(), b = arg(1)->GetLong();
        arg(0)->SetLong(b);
        arg(1)->SetLong(a);
        ret->SetLong(a + b);
        break;
      }
      case 5: {  // makearray: an unbounded long array 1..count into an any return value
        if (ret->GetType() != ValueType::Any) return -1;
        ArrayHandle a = rt->NewUnboundedArray(ValueType::Long);
        for (std::int32_t i = 1; i <= arg(0)->GetLong(); ++i) rt->SetLongArrayItem(a, &i, i * i);
        ret->SetArray(a);
        break;
      }
      case 6: {  // fail: raise a testerror carrying the text and a detail
        ClassHandle cls = rt->LookupClass(rt->LookupGroup(u"testerror", GroupKind::Exception),
                                          u"testerror");
        ObjectHandle e = rt->CreateScriptObject(cls);
        rt->SetStringField(e, rt->GetFieldId(cls, u"text"), arg(0)->GetString());
        MethodId set = rt->GetMethodId(cls, u"setdetail", 0, u"", false);
        CallFrame* f = nullptr;
        rt->PrepareCallFrame(cls, set, &f);
        f->GetArguments()->GetAt(0)->SetStringText(u"detail of the failure");
        rt->CallObjectFunction(e, set, f);
        rt->ReleaseCallFrame(f);
        rt->RaiseScriptException(e);
        ret->SetLong(-1);
        break;
      }
      case 7: {  // makeblob
        std::u16string text = TextOf(rt, arg(0)->GetString());
        std::string bytes(text.begin(), text.end());
        ret->SetBlob(rt->NewBlob(bytes.data(), std::uint32_t(bytes.size())));
        break;
      }
      case 8: {  // nextday: within the month only, enough for the tests
        std::int32_t y = 0, m = 0, d = 0;
        rt->SplitDate(arg(0)->GetDate(), y, m, d);
        DateHandle next = rt->NewDate();
        if (rt->SetDateValue(next, y, m, d + 1) != Status::Ok) rt->SetDateValue(next, y, m, 1);
        ret->SetDate(next);
        break;
      }
      case 9: {  // copydec: a new decimal from the argument's text
        const char16_t* text = rt->GetDecimalText(arg(0)->GetDecimal());
        DecimalHandle d = rt->NewDecimal();
        if (text == nullptr || rt->SetDecimalText(d, text) != Status::Ok) return -1;
        rt->ReleaseDecimalText(text);
        ret->SetDecimal(d);
        break;
      }
      case 10: {  // bind: a proxy object of the named class with an echo handler
        std::u16string name = TextOf(rt, arg(1)->GetString());
        ClassHandle cls = rt->LookupClass(rt->LookupGroup(name.c_str(), GroupKind::Proxy),
                                          name.c_str());
        if (cls == kNoHandle) {
          ret->SetLong(100);
          break;
        }
        ObjectHandle proxy = rt->CreateProxyObject(cls);
        arg(0)->SetObject(proxy);
        rt->AttachCallHandler(proxy, new EchoHandler);
        ret->SetLong(0);
        break;
      }
      case 11:  // touch: reads an argument and leaves the return value as prepared
        (void)arg(0)->GetString();
        break;
    }
    return 0;
  }
  void DestroyObject() override { delete this; }

 private:
  ~TestCounter() override { --g_liveObjects; }
  std::int32_t total_ = 0;
};

}  // namespace

KFX_EXPORT std::uint32_t KFX_GetVersion() { return kExtensionVersion; }

KFX_EXPORT const char16_t* KFX_GetDescription() { return kDescription; }

KFX_EXPORT std::int32_t KFX_CreateNonVisualObject(RuntimeContext*, ObjectHandle,
                                                  const char16_t* className, NativeObject** out) {
  std::u16string name = className;
  if (name == u"testcounter") *out = new TestCounter;
  else if (name == u"testerror") *out = new TestError;
  else return -13;
  return 0;
}

// For the tests only: how many native objects and call handlers are alive.
KFX_EXPORT int KFXTest_LiveObjects() { return g_liveObjects + g_liveHandlers; }
