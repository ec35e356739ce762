#include "kf/uddi/uddiproxyobject.h"

#include <new>
#include <string_view>

namespace kf::uddi {
namespace {

constexpr std::int32_t kMalformedCall = -9;
constexpr std::int32_t kUnknownClass = -13;
constexpr std::int16_t kSuccess = 1;
constexpr std::int16_t kFailure = -1;

bool EqualsIgnoringCase(const char16_t* a, std::u16string_view b) {
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    std::size_t i = 0;
    for (; a[i] != 0; ++i) {
        if (i >= b.size() || fold(a[i]) != fold(b[i]))
            return false;
    }
    return i == b.size();
}

// The text of a string argument; the argument checks have made sure it holds a handle.
const char16_t* ArgumentText(rt::RuntimeContext* context, rt::ArgumentList& args, int index) {
    return context->GetStringText(args.GetAt(index)->GetString());
}

// Fills count and the arrays of arguments 2.. from item n down to 1 (one growth of an
// unbounded array, not n). count is a script integer, so at most 32767 records go.
template <typename Record, std::size_t N>
void CopyRecords(rt::RuntimeContext* context, rt::ArgumentList& args,
                 const std::vector<Record>& records, std::u16string Record::*const (&fields)[N]) {
    rt::ArrayHandle arrays[N] = {};
    for (std::size_t a = 0; a < N; ++a)
        arrays[a] = args.GetAt(int(2 + a))->GetArray();
    const std::int32_t n = records.size() > 32767 ? 32767 : std::int32_t(records.size());
    args.GetAt(1)->SetInt(static_cast<std::int16_t>(n));
    for (std::int32_t i = n; i >= 1; --i) {
        const Record& r = records[std::size_t(i - 1)];
        for (std::size_t a = 0; a < N; ++a) {
            context->SetStringArrayItemText(arrays[a], &i, (r.*fields[a]).c_str());
        }
    }
}

constexpr std::u16string BusinessRecord::*kBusinessFields[] = {
    &BusinessRecord::name, &BusinessRecord::description, &BusinessRecord::key};
constexpr std::u16string ServiceRecord::*kDetailFields[] = {
    &ServiceRecord::name, &ServiceRecord::description, &ServiceRecord::serviceKey,
    &ServiceRecord::wsdl};
constexpr std::u16string ServiceRecord::*kFindServiceFields[] = {
    &ServiceRecord::name, &ServiceRecord::description, &ServiceRecord::serviceKey,
    &ServiceRecord::businessName, &ServiceRecord::wsdl};

} // namespace

UddiProxyObject::UddiProxyObject(rt::RuntimeContext* context, rt::ObjectHandle object,
                                 const HostLibraryLoader& loader)
    : context_(context), object_(object) {
    void* library = loader.Load(kJvmHostFileName);
    if (library == nullptr)
        return;
    auto create = reinterpret_cast<jvmhost::CreateJavaVMFn>(
        loader.Symbol(library, jvmhost::kCreateJavaVMName));
    if (create == nullptr)
        return;
    const std::int32_t status = create(&vm_, 0);
    if (status < 0 || vm_ == nullptr)
        return;
    void* env = nullptr;
    vm_->GetEnv(&env);
    if (env == nullptr)
        return;
    bridge_.reset(new (std::nothrow) ProxyImpl(static_cast<JNIEnv*>(env)));
    if (bridge_ != nullptr && bridge_->Init())
        ready_ = true;
}

UddiProxyObject::~UddiProxyObject() {
    // The host keeps the VM alive after the release, so the bridge can still delete its
    // references with the same environment.
    if (vm_ != nullptr)
        vm_->Release();
    vm_ = nullptr;
    bridge_.reset();
}

void UddiProxyObject::DestroyObject() {
    delete this;
}

std::int32_t UddiProxyObject::InvokeMethod(rt::RuntimeContext* context, rt::ObjectHandle,
                                           rt::MethodId method, rt::CallFrame* frame) {
    const std::uint32_t id = method & 0xFFFF;
    if (id > 4 || frame == nullptr || context == nullptr)
        return kMalformedCall;
    rt::ArgumentList* args = frame->GetArguments();
    if (args == nullptr || args->GetCount() != kParameterCounts[id])
        return kMalformedCall;
    for (std::int32_t i = 0; i < kParameterCounts[id]; ++i) {
        if (args->GetAt(i) == nullptr)
            return kMalformedCall;
    }
    if (id != 1 && args->GetAt(0)->GetString() == rt::kNoHandle)
        return kMalformedCall;

    bool ok = false;
    switch (id) {
    case 0:
        ok = SetInquiryUrl(context, *args);
        break;
    case 1:
        ok = SetOption(*args);
        break;
    case 2:
        ok = FindBusiness(context, *args);
        break;
    default:
        ok = ServiceSearch(context, *args, std::int32_t(id));
        break;
    }
    if (rt::ScriptValue* result = frame->GetReturnValue())
        result->SetInt(ok ? kSuccess : kFailure);
    return 0;
}

bool UddiProxyObject::SetInquiryUrl(rt::RuntimeContext* context, rt::ArgumentList& args) {
    if (!usable())
        return false;
    const char16_t* url = ArgumentText(context, args, 0);
    return url != nullptr && bridge_->setInquiryURL(url);
}

bool UddiProxyObject::SetOption(rt::ArgumentList& args) {
    const bool exactMatch = args.GetAt(0)->GetBoolean();
    const bool caseSensitive = args.GetAt(1)->GetBoolean();
    const std::int32_t sort = args.GetAt(2)->GetInt();
    maxRows_ = args.GetAt(3)->GetInt();
    if (!usable())
        return false;
    return bridge_->setOption(exactMatch, caseSensitive, sort);
}

bool UddiProxyObject::FindBusiness(rt::RuntimeContext* context, rt::ArgumentList& args) {
    if (!usable())
        return false;
    const char16_t* name = ArgumentText(context, args, 0);
    if (name == nullptr)
        return false;
    std::vector<BusinessRecord> records;
    if (!bridge_->findBusiness(name, maxRows_, records))
        return false;
    CopyRecords(context, args, records, kBusinessFields);
    return true;
}

bool UddiProxyObject::ServiceSearch(rt::RuntimeContext* context, rt::ArgumentList& args,
                                    std::int32_t method) {
    if (!usable())
        return false;
    const char16_t* text = ArgumentText(context, args, 0);
    if (text == nullptr)
        return false;
    std::vector<ServiceRecord> records;
    if (method == 3) {
        if (!bridge_->getBusinessDetail(text, maxRows_, records))
            return false;
        CopyRecords(context, args, records, kDetailFields);
    } else {
        if (!bridge_->findService(text, maxRows_, records))
            return false;
        CopyRecords(context, args, records, kFindServiceFields);
    }
    return true;
}

std::int32_t CreateNonVisualObject(rt::RuntimeContext* context, rt::ObjectHandle object,
                                   const char16_t* className, rt::NativeObject** out,
                                   const HostLibraryLoader& loader) {
    if (className == nullptr || !EqualsIgnoringCase(className, u"UDDIProxy")) {
        if (out != nullptr)
            *out = nullptr;
        return kUnknownClass;
    }
    UddiProxyObject* created = nullptr;
    try {
        created = new UddiProxyObject(context, object, loader);
    } catch (...) {
        created = nullptr; // allocation failed: the out slot gets none
    }
    if (out != nullptr) {
        *out = created;
    } else if (created != nullptr) {
        created->DestroyObject();
    }
    return 0;
}

} // namespace kf::uddi
