#include "fakejni.h"

#include <cstdarg>
#include <cstring>

namespace kf::uddi::test {
namespace {

std::map<JNIEnv*, FakeJni*>& Registry() {
    static std::map<JNIEnv*, FakeJni*> registry;
    return registry;
}
FakeJni& Of(JNIEnv* env) {
    return *Registry().at(env);
}

constexpr const char* kString = "()Ljava/lang/String;";
const std::string kIProxy = "com/tevron/kestrelforge/uddi/IProxy";
const std::string kProxyImpl = "com/tevron/kestrelforge/uddi/ProxyImpl";
const std::string kBusinessInfos = "com/tevron/kestrelforge/uddi/KFBusinessInfos";
const std::string kBusinessInfo = "com/tevron/kestrelforge/uddi/KFBusinessInfo";
const std::string kServiceInfos = "com/tevron/kestrelforge/uddi/KFServiceInfos";
const std::string kServiceInfo = "com/tevron/kestrelforge/uddi/KFServiceInfo";
const std::string kQualifier = "org/uddi4j/util/FindQualifier";
const std::string kQualifiers = "org/uddi4j/util/FindQualifiers";
const std::string kVector = "java/util/Vector";
const std::string kThrowable = "java/lang/Throwable";
const std::string kStringClass = "java/lang/String";
const std::string kException = "java/lang/RuntimeException";

// class -> (name, signature) of its methods; static fields marked with a leading '!'.
const std::multimap<std::string, std::pair<std::string, std::string>>& JavaModel() {
    static const std::multimap<std::string, std::pair<std::string, std::string>> model = {
        {kIProxy, {"setInquiryURL", "(Ljava/lang/String;)V"}},
        {kIProxy,
         {"findBusiness", "(Ljava/lang/String;Lorg/uddi4j/util/FindQualifiers;I)"
                          "Lcom/tevron/kestrelforge/uddi/KFBusinessInfos;"}},
        {kIProxy,
         {"getBusinessDetail",
          "(Ljava/lang/String;I)Lcom/tevron/kestrelforge/uddi/KFServiceInfos;"}},
        {kIProxy,
         {"findServiceEx", "(Ljava/lang/String;Lorg/uddi4j/util/FindQualifiers;I)"
                           "Lcom/tevron/kestrelforge/uddi/KFServiceInfos;"}},
        {kProxyImpl, {"<init>", "()V"}},
        {kBusinessInfos, {"getBusinessInfoVector", "()Ljava/util/Vector;"}},
        {kServiceInfos, {"getServiceInfoVector", "()Ljava/util/Vector;"}},
        {kBusinessInfo, {"getName", kString}},
        {kBusinessInfo, {"getDescription", kString}},
        {kBusinessInfo, {"getKey", kString}},
        {kServiceInfo, {"getName", kString}},
        {kServiceInfo, {"getDescription", kString}},
        {kServiceInfo, {"getServiceKey", kString}},
        {kServiceInfo, {"getBusinessName", kString}},
        {kServiceInfo, {"getBusinessKey", kString}},
        {kServiceInfo, {"getTModelKey", kString}},
        {kServiceInfo, {"getWsdl", kString}},
        {kQualifier, {"!exactNameMatch", "Ljava/lang/String;"}},
        {kQualifier, {"!caseSensitiveMatch", "Ljava/lang/String;"}},
        {kQualifier, {"!sortByNameAsc", "Ljava/lang/String;"}},
        {kQualifier, {"!sortByNameDesc", "Ljava/lang/String;"}},
        {kQualifier, {"<init>", "(Ljava/lang/String;)V"}},
        {kQualifiers, {"<init>", "()V"}},
        {kQualifiers, {"add", "(Lorg/uddi4j/util/FindQualifier;)V"}},
        {kVector, {"size", "()I"}},
        {kVector, {"elementAt", "(I)Ljava/lang/Object;"}},
        {kThrowable, {"getMessage", kString}},
        {kThrowable, {"toString", kString}},
    };
    return model;
}

bool IsA(const std::string& cls, const std::string& wanted) {
    if (cls == wanted)
        return true;
    if (wanted == kIProxy)
        return cls == kProxyImpl;
    if (wanted == kThrowable)
        return cls == kException;
    return false;
}

std::u16string Widen(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// Trampolines: the table's calling convention, forwarding to the fake.
jclass JNICALL FindClassT(JNIEnv* e, const char* n) {
    return Of(e).FindClass(n);
}
jmethodID JNICALL GetMethodIDT(JNIEnv* e, jclass c, const char* n, const char* s) {
    return Of(e).GetMethodID(c, n, s, false);
}
jfieldID JNICALL GetStaticFieldIDT(JNIEnv* e, jclass c, const char* n, const char* s) {
    return Of(e).GetStaticFieldID(c, n, s);
}
jobject JNICALL GetStaticObjectFieldT(JNIEnv* e, jclass c, jfieldID f) {
    return Of(e).GetStaticObjectField(c, f);
}
jobject JNICALL NewObjectVT(JNIEnv* e, jclass c, jmethodID m, va_list a) {
    return Of(e).NewObjectV(c, m, a);
}
jobject JNICALL CallObjectMethodVT(JNIEnv* e, jobject o, jmethodID m, va_list a) {
    return Of(e).CallObjectMethodV(o, m, a);
}
void JNICALL CallVoidMethodVT(JNIEnv* e, jobject o, jmethodID m, va_list a) {
    Of(e).CallVoidMethodV(o, m, a);
}
jint JNICALL CallIntMethodVT(JNIEnv* e, jobject o, jmethodID m, va_list a) {
    return Of(e).CallIntMethodV(o, m, a);
}
jclass JNICALL GetObjectClassT(JNIEnv* e, jobject o) {
    return Of(e).GetObjectClass(o);
}
jboolean JNICALL IsInstanceOfT(JNIEnv* e, jobject o, jclass c) {
    return Of(e).IsInstanceOf(o, c);
}
jstring JNICALL NewStringT(JNIEnv* e, const jchar* c, jsize n) {
    return Of(e).NewString(c, n);
}
jsize JNICALL GetStringLengthT(JNIEnv* e, jstring s) {
    return Of(e).GetStringLength(s);
}
const jchar* JNICALL GetStringCharsT(JNIEnv* e, jstring s, jboolean* c) {
    return Of(e).GetStringChars(s, c);
}
void JNICALL ReleaseStringCharsT(JNIEnv* e, jstring s, const jchar* c) {
    Of(e).ReleaseStringChars(s, c);
}
jthrowable JNICALL ExceptionOccurredT(JNIEnv* e) {
    return Of(e).ExceptionOccurred();
}
void JNICALL ExceptionClearT(JNIEnv* e) {
    Of(e).ExceptionClear();
}
jboolean JNICALL ExceptionCheckT(JNIEnv* e) {
    return Of(e).ExceptionCheck();
}
void JNICALL DeleteLocalRefT(JNIEnv* e, jobject o) {
    Of(e).DeleteLocalRef(o);
}

} // namespace

FakeJni::FakeJni() {
    table_.FindClass = FindClassT;
    table_.GetMethodID = GetMethodIDT;
    table_.GetStaticFieldID = GetStaticFieldIDT;
    table_.GetStaticObjectField = GetStaticObjectFieldT;
    table_.NewObjectV = NewObjectVT;
    table_.CallObjectMethodV = CallObjectMethodVT;
    table_.CallVoidMethodV = CallVoidMethodVT;
    table_.CallIntMethodV = CallIntMethodVT;
    table_.GetObjectClass = GetObjectClassT;
    table_.IsInstanceOf = IsInstanceOfT;
    table_.NewString = NewStringT;
    table_.GetStringLength = GetStringLengthT;
    table_.GetStringChars = GetStringCharsT;
    table_.ReleaseStringChars = ReleaseStringCharsT;
    table_.ExceptionOccurred = ExceptionOccurredT;
    table_.ExceptionClear = ExceptionClearT;
    table_.ExceptionCheck = ExceptionCheckT;
    table_.DeleteLocalRef = DeleteLocalRefT;
    env_.functions = &table_;
    Registry()[&env_] = this;
}

FakeJni::~FakeJni() {
    Registry().erase(&env_);
}

int FakeJni::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls)
        n += c.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

FakeJni::Object* FakeJni::NewObject(std::string cls) {
    objects_.push_back(std::make_unique<Object>());
    objects_.back()->cls = std::move(cls);
    return objects_.back().get();
}

FakeJni::Object* FakeJni::ClassObject(const std::string& name) {
    auto& c = classes_[name];
    if (c == nullptr) {
        c = NewObject("class");
        c->className = name;
    }
    return c;
}

jobject FakeJni::NewRef(Object* o) {
    if (o == nullptr)
        return nullptr;
    refStore_.push_back(0);
    auto ref = reinterpret_cast<jobject>(&refStore_.back());
    live_[ref] = o;
    return ref;
}

FakeJni::Object* FakeJni::Deref(jobject ref, const char* where) {
    if (ref == nullptr)
        return nullptr;
    auto it = live_.find(ref);
    if (it != live_.end())
        return it->second;
    errors.push_back(std::string(where) + (deleted_.count(ref) ? ": reference used after deletion"
                                                               : ": unknown reference"));
    return nullptr;
}

bool FakeJni::CheckNoPending(const char* function) {
    if (pending_ == nullptr)
        return true;
    errors.push_back(std::string(function) + " called with an exception pending");
    return false;
}

void FakeJni::Throw(const std::string& cls, const std::string& message) {
    Object* e = NewObject(kException);
    e->className = cls;
    e->text = Widen(message);
    pending_ = e;
}

jclass FakeJni::FindClass(const char* name) {
    calls.push_back(std::string("FindClass ") + name);
    CheckNoPending("FindClass");
    const bool known = JavaModel().count(name) > 0 || name == kStringClass;
    if (!known || missingClasses.count(name)) {
        Throw("java/lang/NoClassDefFoundError", name);
        return nullptr;
    }
    return static_cast<jclass>(NewRef(ClassObject(name)));
}

jmethodID FakeJni::GetMethodID(jclass cls, const char* name, const char* sig, bool isStatic) {
    calls.push_back(std::string("GetMethodID ") + name);
    CheckNoPending("GetMethodID");
    Object* c = Deref(cls, "GetMethodID");
    if (c == nullptr || c->cls != "class") {
        errors.push_back("GetMethodID without a class");
        return nullptr;
    }
    std::string wanted = name;
    if (isStatic)
        wanted.insert(wanted.begin(), '!');
    auto range = JavaModel().equal_range(c->className);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second.first == wanted && it->second.second == sig && !missingMembers.count(name)) {
            members_.push_back(Member{c->className, name, sig, isStatic});
            return reinterpret_cast<jmethodID>(&members_.back());
        }
    }
    Throw("java/lang/NoSuchMethodError", name);
    return nullptr;
}

jfieldID FakeJni::GetStaticFieldID(jclass cls, const char* name, const char* sig) {
    calls.push_back(std::string("GetStaticFieldID ") + name);
    auto id = reinterpret_cast<jfieldID>(GetMethodID(cls, name, sig, true));
    calls.pop_back(); // recorded once, as a field
    calls.back() = std::string("GetStaticFieldID ") + name;
    return id;
}

jobject FakeJni::GetStaticObjectField(jclass cls, jfieldID field) {
    calls.push_back("GetStaticObjectField");
    CheckNoPending("GetStaticObjectField");
    Deref(cls, "GetStaticObjectField");
    auto* m = reinterpret_cast<Member*>(field);
    Object* s = NewObject(kStringClass);
    s->text = Widen(m->name);
    return NewRef(s);
}

jobject FakeJni::NewObjectV(jclass cls, jmethodID method, va_list args) {
    auto* m = reinterpret_cast<Member*>(method);
    calls.push_back("NewObject " + m->cls);
    CheckNoPending("NewObject");
    Object* c = Deref(cls, "NewObject");
    if (c == nullptr || c->className != m->cls || m->name != "<init>") {
        errors.push_back("NewObject with a constructor of another class");
        return nullptr;
    }
    if (m->cls == kProxyImpl) {
        if (constructorThrows) {
            Throw(kException, "constructor failed");
            return nullptr;
        }
        proxy_ = NewObject(kProxyImpl);
        return NewRef(proxy_);
    }
    if (m->cls == kQualifiers)
        return NewRef(NewObject(kQualifiers));
    Object* text = Deref(va_arg(args, jobject), "NewObject FindQualifier");
    Object* q = NewObject(kQualifier);
    q->text = text ? text->text : Text{};
    return NewRef(q);
}

jobject FakeJni::CallObjectMethodV(jobject target, jmethodID method, va_list args) {
    auto* m = reinterpret_cast<Member*>(method);
    calls.push_back("CallObjectMethod " + m->name);
    CheckNoPending("CallObjectMethod");
    Object* o = Deref(target, "CallObjectMethod");
    if (o == nullptr || !IsA(o->cls, m->cls)) {
        errors.push_back("CallObjectMethod " + m->name + " on " + (o ? o->cls : "null"));
        return nullptr;
    }
    const std::string& name = m->name;
    if (name == "findBusiness" || name == "getBusinessDetail" || name == "findServiceEx") {
        FakeSearchCall call;
        call.method = name;
        Object* text = Deref(va_arg(args, jobject), "search text");
        call.text = text && text->text ? *text->text : u"";
        if (name != "getBusinessDetail") {
            Object* q = Deref(va_arg(args, jobject), "qualifiers");
            call.qualifiersPassed = q != nullptr;
            if (q != nullptr) {
                for (Object* e : q->elements)
                    call.qualifiers.push_back(e->text.value_or(u""));
            }
        }
        call.maxRows = va_arg(args, jint);
        searches.push_back(call);
        if (searchThrows && *searchThrows == name) {
            Throw(kException, "registry answered a fault");
            return nullptr;
        }
        if (searchReturnsNull)
            return nullptr;
        Object* infos = NewObject(name == "findBusiness" ? kBusinessInfos : kServiceInfos);
        Object* vector = NewObject(kVector);
        for (const auto& r : results) {
            if (r.isNull) {
                vector->elements.push_back(nullptr);
                continue;
            }
            Object* e = NewObject(name == "findBusiness" ? kBusinessInfo : kServiceInfo);
            e->record = &r;
            vector->elements.push_back(e);
        }
        infos->elements.push_back(vector);
        return NewRef(infos);
    }
    if (name == "getBusinessInfoVector" || name == "getServiceInfoVector") {
        return NewRef(o->elements.at(0));
    }
    if (name == "elementAt") {
        const jint i = va_arg(args, jint);
        if (i < 0 || std::size_t(i) >= o->elements.size()) {
            Throw("java/lang/ArrayIndexOutOfBoundsException", "elementAt");
            return nullptr;
        }
        return NewRef(o->elements[std::size_t(i)]);
    }
    if (name == "getMessage" || name == "toString") {
        Object* s = NewObject(kStringClass);
        std::u16string text = *o->text;
        if (name == "toString")
            text.insert(0, Widen(o->className + ": "));
        s->text = std::move(text);
        return NewRef(s);
    }
    // A record getter.
    if (o->record == nullptr) {
        errors.push_back("getter on an object without a record");
        return nullptr;
    }
    if (o->record->throwingGetter == name) {
        Throw(kException, name + " failed");
        return nullptr;
    }
    auto it = o->record->values.find(name);
    if (it == o->record->values.end() || !it->second)
        return nullptr;
    Object* s = NewObject(kStringClass);
    s->text = it->second;
    return NewRef(s);
}

void FakeJni::CallVoidMethodV(jobject target, jmethodID method, va_list args) {
    auto* m = reinterpret_cast<Member*>(method);
    calls.push_back("CallVoidMethod " + m->name);
    CheckNoPending("CallVoidMethod");
    Object* o = Deref(target, "CallVoidMethod");
    if (o == nullptr || !IsA(o->cls, m->cls)) {
        errors.push_back("CallVoidMethod " + m->name + " on " + (o ? o->cls : "null"));
        return;
    }
    Object* arg = Deref(va_arg(args, jobject), "CallVoidMethod argument");
    if (m->name == "setInquiryURL") {
        urls.push_back(arg && arg->text ? *arg->text : u"<null>");
        if (setInquiryUrlThrows)
            Throw("java/net/MalformedURLException", "bad url");
    } else if (m->name == "add") {
        if (qualifierAddThrows) {
            Throw(kException, "add failed");
            return;
        }
        if (arg == nullptr || arg->cls != kQualifier)
            errors.push_back("add without a qualifier");
        o->elements.push_back(arg);
    }
}

jint FakeJni::CallIntMethodV(jobject target, jmethodID method, va_list) {
    auto* m = reinterpret_cast<Member*>(method);
    calls.push_back("CallIntMethod " + m->name);
    CheckNoPending("CallIntMethod");
    Object* o = Deref(target, "CallIntMethod");
    if (o == nullptr || o->cls != kVector) {
        errors.push_back("size on a non-vector");
        return 0;
    }
    return jint(o->elements.size());
}

jclass FakeJni::GetObjectClass(jobject target) {
    calls.push_back("GetObjectClass");
    CheckNoPending("GetObjectClass");
    Object* o = Deref(target, "GetObjectClass");
    if (o == nullptr) {
        errors.push_back("GetObjectClass of null");
        return nullptr;
    }
    return static_cast<jclass>(NewRef(ClassObject(o->cls)));
}

jboolean FakeJni::IsInstanceOf(jobject target, jclass cls) {
    CheckNoPending("IsInstanceOf");
    Object* o = Deref(target, "IsInstanceOf");
    Object* c = Deref(cls, "IsInstanceOf");
    if (o == nullptr)
        return JNI_TRUE; // as in Java: null is an instance of every class
    return c != nullptr && IsA(o->cls, c->className) ? JNI_TRUE : JNI_FALSE;
}

jstring FakeJni::NewString(const jchar* chars, jsize len) {
    calls.push_back("NewString");
    CheckNoPending("NewString");
    Object* s = NewObject(kStringClass);
    s->text = std::u16string(reinterpret_cast<const char16_t*>(chars), std::size_t(len));
    return static_cast<jstring>(NewRef(s));
}

jsize FakeJni::GetStringLength(jstring s) {
    CheckNoPending("GetStringLength");
    Object* o = Deref(s, "GetStringLength");
    return o && o->text ? jsize(o->text->size()) : 0;
}

const jchar* FakeJni::GetStringChars(jstring s, jboolean* isCopy) {
    CheckNoPending("GetStringChars");
    Object* o = Deref(s, "GetStringChars");
    if (o == nullptr || !o->text)
        return nullptr;
    // Deliberately no terminating zero: the bridge must copy by length.
    auto copy = std::make_unique<jchar[]>(o->text->size() + 1);
    std::memcpy(copy.get(), o->text->data(), o->text->size() * sizeof(jchar));
    copy[o->text->size()] = 0x2A;
    const jchar* p = copy.get();
    chars_[p] = std::move(copy);
    ++outstandingChars_;
    if (isCopy)
        *isCopy = JNI_TRUE;
    return p;
}

void FakeJni::ReleaseStringChars(jstring s, const jchar* chars) {
    Deref(s, "ReleaseStringChars");
    if (chars_.erase(chars) == 0) {
        errors.push_back("ReleaseStringChars of unknown characters");
        return;
    }
    --outstandingChars_;
}

jthrowable FakeJni::ExceptionOccurred() {
    calls.push_back("ExceptionOccurred");
    return static_cast<jthrowable>(NewRef(pending_));
}

void FakeJni::ExceptionClear() {
    calls.push_back("ExceptionClear");
    pending_ = nullptr;
}

jboolean FakeJni::ExceptionCheck() {
    return pending_ != nullptr ? JNI_TRUE : JNI_FALSE;
}

void FakeJni::DeleteLocalRef(jobject ref) {
    calls.push_back("DeleteLocalRef");
    if (ref == nullptr)
        return;
    if (live_.erase(ref) == 0) {
        errors.push_back(deleted_.count(ref) ? "DeleteLocalRef twice" : "DeleteLocalRef unknown");
        return;
    }
    deleted_.insert(ref);
}

} // namespace kf::uddi::test
