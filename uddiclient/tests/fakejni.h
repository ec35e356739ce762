// A JNI environment without a VM: the function table entries the bridge may call, over a
// small object model that plays the companion Java classes. It records every call, counts
// live local references and reports misuse the way -Xcheck:jni would (a reference used
// after deletion or deleted twice, a call other than the exception functions while an
// exception is pending, string characters not released).
#pragma once

#include <jni.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kf::uddi::test {

using Text = std::optional<std::u16string>; // a Java String or null

// One business or service as the Java side returns it; getter name -> value.
struct FakeRecord {
    FakeRecord(std::map<std::string, Text> v = {}, std::string throwing = {}, bool null = false)
        : values(std::move(v)), throwingGetter(std::move(throwing)), isNull(null) {}
    std::map<std::string, Text> values;
    std::string throwingGetter; // this getter throws
    bool isNull = false;        // the vector holds null here
};

struct FakeSearchCall {
    std::string method;
    std::u16string text;
    std::vector<std::u16string> qualifiers; // none when no qualifiers object was passed
    bool qualifiersPassed = false;
    jint maxRows = 0;
};

class FakeJni {
public:
    FakeJni();
    ~FakeJni();
    FakeJni(const FakeJni&) = delete;
    FakeJni& operator=(const FakeJni&) = delete;

    JNIEnv* env() { return &env_; }

    // --- how the Java side behaves ---
    std::set<std::string> missingClasses; // "org/uddi4j/util/FindQualifier"
    std::set<std::string> missingMembers; // "findServiceEx", "sortByNameDesc"
    bool constructorThrows = false;
    bool setInquiryUrlThrows = false;
    std::optional<std::string> searchThrows; // the search method that throws
    bool searchReturnsNull = false;
    std::vector<FakeRecord> results; // what every search returns
    bool qualifierAddThrows = false;

    // --- what happened ---
    std::vector<std::string> calls; // "FindClass <name>", "GetMethodID <name> <sig>", ...
    std::vector<std::string> errors;
    std::vector<FakeSearchCall> searches;
    std::vector<std::u16string> urls;
    int liveLocalRefs() const { return int(live_.size()); }
    int outstandingStringChars() const { return outstandingChars_; }
    bool exceptionPending() const { return pending_ != nullptr; }
    // Number of calls whose text starts with `prefix`.
    int Count(const std::string& prefix) const;

    // --- the object model ---
    struct Object {
        std::string cls;               // class name; "class" for class objects
        std::string className;         // of a class object
        Text text;                     // of a String, a FindQualifier
        std::vector<Object*> elements; // of a Vector, a FindQualifiers
        const FakeRecord* record = nullptr;
        std::string recordClass;
    };
    struct Member {
        std::string cls, name, signature;
        bool isStatic = false;
    };

    // Entry points of the table (public for the static trampolines).
    Object* Deref(jobject ref, const char* where);
    jobject NewRef(Object* o);
    Object* NewObject(std::string cls);
    Object* ClassObject(const std::string& name);
    bool CheckNoPending(const char* function);
    void Throw(const std::string& cls, const std::string& message);
    jclass FindClass(const char* name);
    jmethodID GetMethodID(jclass cls, const char* name, const char* sig, bool isStatic);
    jfieldID GetStaticFieldID(jclass cls, const char* name, const char* sig);
    jobject GetStaticObjectField(jclass cls, jfieldID field);
    jobject NewObjectV(jclass cls, jmethodID m, va_list args);
    jobject CallObjectMethodV(jobject obj, jmethodID m, va_list args);
    void CallVoidMethodV(jobject obj, jmethodID m, va_list args);
    jint CallIntMethodV(jobject obj, jmethodID m, va_list args);
    jclass GetObjectClass(jobject obj);
    jboolean IsInstanceOf(jobject obj, jclass cls);
    jstring NewString(const jchar* chars, jsize len);
    jsize GetStringLength(jstring s);
    const jchar* GetStringChars(jstring s, jboolean* isCopy);
    void ReleaseStringChars(jstring s, const jchar* chars);
    jthrowable ExceptionOccurred();
    void ExceptionClear();
    jboolean ExceptionCheck();
    void DeleteLocalRef(jobject ref);

    JNIEnv env_; // first member of no base: trampolines map env -> FakeJni via a registry

private:
    JNINativeInterface_ table_{};
    std::deque<std::unique_ptr<Object>> objects_;
    std::deque<Member> members_;
    std::map<jobject, Object*> live_;
    std::set<jobject> deleted_;
    std::deque<int> refStore_; // addresses used as distinct reference values
    std::map<std::string, Object*> classes_;
    Object* pending_ = nullptr;
    Object* proxy_ = nullptr;
    int outstandingChars_ = 0;
    std::map<const jchar*, std::unique_ptr<jchar[]>> chars_;
};

} // namespace kf::uddi::test
