// ProxyImpl: the native side of the UDDI inquiry. Drives the companion Java class of the
// same name through the JNI function table and turns its results into records.
#pragma once

#include <jni.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "kf/uddi/records.h"

namespace kf::uddi {

// JNI local references made by one operation, deleted together when it ends.
class LocalRefs {
public:
    explicit LocalRefs(JNIEnv* env) : env_(env) {}
    ~LocalRefs() { Clear(); }
    LocalRefs(const LocalRefs&) = delete;
    LocalRefs& operator=(const LocalRefs&) = delete;

    template <typename T> T Keep(T ref) {
        if (ref != nullptr)
            refs_.push_back(ref);
        return ref;
    }
    void Clear();
    std::size_t size() const { return refs_.size(); }

private:
    JNIEnv* env_;
    std::vector<jobject> refs_;
};

class ProxyImpl {
public:
    // Finds the classes and method ids; a failure leaves the bridge unusable, never throws.
    explicit ProxyImpl(JNIEnv* env);
    virtual ~ProxyImpl();
    ProxyImpl(const ProxyImpl&) = delete;
    ProxyImpl& operator=(const ProxyImpl&) = delete;

    virtual bool Init();
    virtual bool setInquiryURL(std::u16string_view url);
    virtual bool setOption(bool exactMatch, bool caseSensitive, std::int32_t sort);
    virtual bool findBusiness(std::u16string_view name, std::int32_t maxRows,
                              std::vector<BusinessRecord>& records);
    virtual bool getBusinessDetail(std::u16string_view key, std::int32_t maxRows,
                                   std::vector<ServiceRecord>& records);
    virtual bool findService(std::u16string_view name, std::int32_t maxRows,
                             std::vector<ServiceRecord>& records);

    bool classesFound() const { return classesFound_; }
    bool created() const { return proxy_ != nullptr; }

private:
    bool Usable() const { return classesFound_ && proxy_ != nullptr; }
    bool ServiceSearch(jmethodID method, bool withQualifiers, std::u16string_view text,
                       std::int32_t maxRows, std::vector<ServiceRecord>& records);
    // Clears a pending exception; true when there was one.
    bool ClearException();

    JNIEnv* env_;
    jclass interfaceClass_ = nullptr;
    jclass implementationClass_ = nullptr;
    jobject proxy_ = nullptr;
    jobject qualifiers_ = nullptr;
    jmethodID init_ = nullptr;
    jmethodID setInquiryURL_ = nullptr;
    jmethodID findBusiness_ = nullptr;
    jmethodID getBusinessDetail_ = nullptr;
    jmethodID findServiceEx_ = nullptr;
    bool classesFound_ = false;
    LocalRefs kept_;
};

// A Java string copied by length, up to its first zero character; empty for null.
std::u16string JavaText(JNIEnv* env, jstring text);

} // namespace kf::uddi
