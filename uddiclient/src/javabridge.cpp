#include "kf/uddi/javabridge.h"

#include <iterator>

namespace kf::uddi {
namespace {

constexpr const char* kInterfaceClass = "com/tevron/kestrelforge/uddi/IProxy";
constexpr const char* kImplementationClass = "com/tevron/kestrelforge/uddi/ProxyImpl";
constexpr const char* kBusinessInfoClass = "com/tevron/kestrelforge/uddi/KFBusinessInfo";
constexpr const char* kServiceInfoClass = "com/tevron/kestrelforge/uddi/KFServiceInfo";
constexpr const char* kFindQualifierClass = "org/uddi4j/util/FindQualifier";
constexpr const char* kFindQualifiersClass = "org/uddi4j/util/FindQualifiers";
constexpr const char* kStringGetter = "()Ljava/lang/String;";

struct BusinessGetter {
    const char* name;
    std::u16string BusinessRecord::*field;
};
constexpr BusinessGetter kBusinessGetters[] = {
    {"getName", &BusinessRecord::name},
    {"getDescription", &BusinessRecord::description},
    {"getKey", &BusinessRecord::key},
};

struct ServiceGetter {
    const char* name;
    std::u16string ServiceRecord::*field;
};
constexpr ServiceGetter kServiceGetters[] = {
    {"getName", &ServiceRecord::name},
    {"getDescription", &ServiceRecord::description},
    {"getServiceKey", &ServiceRecord::serviceKey},
    {"getBusinessName", &ServiceRecord::businessName},
    {"getBusinessKey", &ServiceRecord::businessKey},
    {"getTModelKey", &ServiceRecord::tModelKey},
    {"getWsdl", &ServiceRecord::wsdl},
};

jstring NewJavaString(JNIEnv* env, std::u16string_view text) {
    static_assert(sizeof(jchar) == sizeof(char16_t));
    return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                          static_cast<jsize>(text.size()));
}

// Reads the records of a result's vector (getter = "getBusinessInfoVector" or
// "getServiceInfoVector") into `records`. Elements that are null or of another class are
// skipped. Stops at the first pending exception and leaves it for the caller, so that no
// JNI function but the exception ones runs while one is pending.
template <typename Record, typename Getter, std::size_t N>
void ReadRecords(JNIEnv* env, LocalRefs& refs, jobject result, const char* vectorGetter,
                 const char* elementClassName, const Getter (&getters)[N],
                 std::vector<Record>& records) {
    jclass resultClass = refs.Keep(env->GetObjectClass(result));
    if (resultClass == nullptr || env->ExceptionCheck())
        return;
    jmethodID getVector = env->GetMethodID(resultClass, vectorGetter, "()Ljava/util/Vector;");
    if (getVector == nullptr || env->ExceptionCheck())
        return;
    jobject vector = refs.Keep(env->CallObjectMethod(result, getVector));
    if (vector == nullptr || env->ExceptionCheck())
        return;

    jclass vectorClass = refs.Keep(env->FindClass("java/util/Vector"));
    if (vectorClass == nullptr || env->ExceptionCheck())
        return;
    jmethodID size = env->GetMethodID(vectorClass, "size", "()I");
    if (size == nullptr || env->ExceptionCheck())
        return;
    jmethodID elementAt = env->GetMethodID(vectorClass, "elementAt", "(I)Ljava/lang/Object;");
    if (elementAt == nullptr || env->ExceptionCheck())
        return;
    jclass elementClass = refs.Keep(env->FindClass(elementClassName));
    if (elementClass == nullptr || env->ExceptionCheck())
        return;
    jmethodID ids[N] = {};
    for (std::size_t g = 0; g < N; ++g) {
        ids[g] = env->GetMethodID(elementClass, getters[g].name, kStringGetter);
        if (ids[g] == nullptr || env->ExceptionCheck())
            return;
    }

    const jint count = env->CallIntMethod(vector, size);
    if (env->ExceptionCheck())
        return;
    for (jint i = 0; i < count; ++i) {
        // Each element's references go as soon as it is read, so that a long answer does
        // not pile up local references.
        LocalRefs item(env);
        jobject element = item.Keep(env->CallObjectMethod(vector, elementAt, i));
        if (env->ExceptionCheck())
            return;
        if (element == nullptr || !env->IsInstanceOf(element, elementClass))
            continue;
        Record record;
        for (std::size_t g = 0; g < N; ++g) {
            auto text = static_cast<jstring>(item.Keep(env->CallObjectMethod(element, ids[g])));
            if (env->ExceptionCheck())
                return;
            record.*(getters[g].field) = JavaText(env, text);
            if (env->ExceptionCheck())
                return;
        }
        records.push_back(std::move(record));
    }
}

} // namespace

void LocalRefs::Clear() {
    for (auto it = refs_.rbegin(); it != refs_.rend(); ++it)
        env_->DeleteLocalRef(*it);
    refs_.clear();
}

std::u16string JavaText(JNIEnv* env, jstring text) {
    if (text == nullptr)
        return {};
    const jsize length = env->GetStringLength(text);
    const jchar* chars = env->GetStringChars(text, nullptr);
    if (chars == nullptr)
        return {};
    std::u16string copy(reinterpret_cast<const char16_t*>(chars), static_cast<std::size_t>(length));
    env->ReleaseStringChars(text, chars);
    if (const auto zero = copy.find(u'\0'); zero != std::u16string::npos)
        copy.resize(zero);
    return copy;
}

ProxyImpl::ProxyImpl(JNIEnv* env) : env_(env), kept_(env) {
    if (env_ == nullptr)
        return;
    interfaceClass_ = env_->FindClass(kInterfaceClass);
    ClearException();
    implementationClass_ = env_->FindClass(kImplementationClass);
    ClearException();
    if (interfaceClass_ == nullptr || implementationClass_ == nullptr)
        return;

    struct Lookup {
        jclass cls;
        const char* name;
        const char* signature;
        jmethodID* id;
    };
    const Lookup lookups[] = {
        {implementationClass_, "<init>", "()V", &init_},
        {interfaceClass_, "setInquiryURL", "(Ljava/lang/String;)V", &setInquiryURL_},
        {interfaceClass_, "findBusiness",
         "(Ljava/lang/String;Lorg/uddi4j/util/FindQualifiers;I)"
         "Lcom/tevron/kestrelforge/uddi/KFBusinessInfos;",
         &findBusiness_},
        {interfaceClass_, "getBusinessDetail",
         "(Ljava/lang/String;I)Lcom/tevron/kestrelforge/uddi/KFServiceInfos;", &getBusinessDetail_},
        {interfaceClass_, "findServiceEx",
         "(Ljava/lang/String;Lorg/uddi4j/util/FindQualifiers;I)"
         "Lcom/tevron/kestrelforge/uddi/KFServiceInfos;",
         &findServiceEx_},
    };
    bool all = true;
    for (const auto& l : lookups) {
        *l.id = env_->GetMethodID(l.cls, l.name, l.signature);
        if (*l.id == nullptr) {
            all = false;
            ClearException();
            break;
        }
    }
    classesFound_ = all;
}

ProxyImpl::~ProxyImpl() {
    if (env_ == nullptr)
        return;
    if (classesFound_ && proxy_ != nullptr) {
        env_->DeleteLocalRef(proxy_);
        env_->ExceptionClear();
    }
    proxy_ = nullptr;
    kept_.Clear();
    qualifiers_ = nullptr;
    if (implementationClass_ != nullptr)
        env_->DeleteLocalRef(implementationClass_);
    if (interfaceClass_ != nullptr)
        env_->DeleteLocalRef(interfaceClass_);
}

bool ProxyImpl::ClearException() {
    if (!env_->ExceptionCheck())
        return false;
    env_->ExceptionClear();
    return true;
}

bool ProxyImpl::Init() {
    if (!classesFound_)
        return false;
    if (proxy_ != nullptr)
        return true;
    env_->ExceptionClear();
    jobject created = env_->NewObject(implementationClass_, init_);
    if (ClearException() || created == nullptr) {
        if (created != nullptr)
            env_->DeleteLocalRef(created);
        return false;
    }
    proxy_ = created;
    return true;
}

bool ProxyImpl::setInquiryURL(std::u16string_view url) {
    if (!Usable())
        return false;
    LocalRefs refs(env_);
    jstring text = refs.Keep(NewJavaString(env_, url));
    if (ClearException() || text == nullptr)
        return false;
    env_->CallVoidMethod(proxy_, setInquiryURL_, text);
    return !ClearException();
}

bool ProxyImpl::setOption(bool exactMatch, bool caseSensitive, std::int32_t sort) {
    if (!Usable())
        return false;
    kept_.Clear();
    qualifiers_ = nullptr;

    LocalRefs refs(env_); // the two classes; only qualifier strings and objects are kept
    jclass qualifierClass = refs.Keep(env_->FindClass(kFindQualifierClass));
    ClearException();
    jclass qualifiersClass = refs.Keep(env_->FindClass(kFindQualifiersClass));
    ClearException();
    if (qualifierClass == nullptr || qualifiersClass == nullptr)
        return false;
    const char* names[] = {"exactNameMatch", "caseSensitiveMatch", "sortByNameAsc",
                           "sortByNameDesc"};
    jfieldID fields[4] = {};
    for (int i = 0; i < 4; ++i) {
        fields[i] = env_->GetStaticFieldID(qualifierClass, names[i], "Ljava/lang/String;");
        if (fields[i] == nullptr) {
            ClearException();
            return false;
        }
    }
    jobject texts[4] = {};
    for (int i = 0; i < 4; ++i) {
        texts[i] = kept_.Keep(env_->GetStaticObjectField(qualifierClass, fields[i]));
    }
    jmethodID qualifierInit = env_->GetMethodID(qualifierClass, "<init>", "(Ljava/lang/String;)V");
    if (ClearException() || qualifierInit == nullptr)
        return false;
    jmethodID qualifiersInit = env_->GetMethodID(qualifiersClass, "<init>", "()V");
    if (ClearException() || qualifiersInit == nullptr)
        return false;
    jmethodID add = env_->GetMethodID(qualifiersClass, "add", "(Lorg/uddi4j/util/FindQualifier;)V");
    if (ClearException() || add == nullptr)
        return false;

    jobject qualifiers = kept_.Keep(env_->NewObject(qualifiersClass, qualifiersInit));
    if (ClearException() || qualifiers == nullptr)
        return false;
    qualifiers_ = qualifiers;

    auto addQualifier = [&](jobject text) {
        jobject q = kept_.Keep(env_->NewObject(qualifierClass, qualifierInit, text));
        if (env_->ExceptionCheck() || q == nullptr)
            return false;
        env_->CallVoidMethod(qualifiers_, add, q);
        return !env_->ExceptionCheck();
    };
    bool ok = true;
    if (exactMatch)
        ok = addQualifier(texts[0]);
    if (ok && caseSensitive)
        ok = addQualifier(texts[1]);
    if (ok && sort == -1)
        ok = addQualifier(texts[3]);
    if (ok && sort == 1)
        ok = addQualifier(texts[2]);
    // A Java exception here must not stay pending into the next operation, and a
    // half-built qualifier set must not be reported as set.
    if (ClearException() || !ok) {
        qualifiers_ = nullptr;
        return false;
    }
    return true;
}

bool ProxyImpl::findBusiness(std::u16string_view name, std::int32_t maxRows,
                             std::vector<BusinessRecord>& records) {
    if (!Usable())
        return false;
    LocalRefs refs(env_);
    jstring text = refs.Keep(NewJavaString(env_, name));
    if (ClearException() || text == nullptr)
        return false;
    jobject result = refs.Keep(env_->CallObjectMethod(proxy_, findBusiness_, text, qualifiers_,
                                                      static_cast<jint>(maxRows)));
    if (result != nullptr && !env_->ExceptionCheck()) {
        ReadRecords(env_, refs, result, "getBusinessInfoVector", kBusinessInfoClass,
                    kBusinessGetters, records);
    }
    if (jthrowable thrown = env_->ExceptionOccurred()) {
        env_->ExceptionClear();
        // The texts are read for diagnostics only; nothing of them reaches the script.
        if (jclass throwable = env_->FindClass("java/lang/Throwable")) {
            for (const char* getter : {"getMessage", "toString"}) {
                jmethodID id = env_->GetMethodID(throwable, getter, kStringGetter);
                if (id == nullptr) {
                    env_->ExceptionClear();
                    continue;
                }
                auto message = static_cast<jstring>(env_->CallObjectMethod(thrown, id));
                if (ClearException())
                    continue;
                (void)JavaText(env_, message);
                if (message != nullptr)
                    env_->DeleteLocalRef(message);
            }
            env_->DeleteLocalRef(throwable);
        }
        env_->DeleteLocalRef(thrown);
        env_->ExceptionClear();
        return false;
    }
    return true;
}

bool ProxyImpl::getBusinessDetail(std::u16string_view key, std::int32_t maxRows,
                                  std::vector<ServiceRecord>& records) {
    return ServiceSearch(getBusinessDetail_, false, key, maxRows, records);
}

bool ProxyImpl::findService(std::u16string_view name, std::int32_t maxRows,
                            std::vector<ServiceRecord>& records) {
    return ServiceSearch(findServiceEx_, true, name, maxRows, records);
}

bool ProxyImpl::ServiceSearch(jmethodID method, bool withQualifiers, std::u16string_view text,
                              std::int32_t maxRows, std::vector<ServiceRecord>& records) {
    if (!Usable())
        return false;
    LocalRefs refs(env_);
    jstring javaText = refs.Keep(NewJavaString(env_, text));
    if (ClearException() || javaText == nullptr)
        return false;
    jobject result = withQualifiers ? env_->CallObjectMethod(proxy_, method, javaText, qualifiers_,
                                                             static_cast<jint>(maxRows))
                                    : env_->CallObjectMethod(proxy_, method, javaText,
                                                             static_cast<jint>(maxRows));
    refs.Keep(result);
    if (result != nullptr && !env_->ExceptionCheck()) {
        ReadRecords(env_, refs, result, "getServiceInfoVector", kServiceInfoClass, kServiceGetters,
                    records);
    }
    return !ClearException();
}

} // namespace kf::uddi
