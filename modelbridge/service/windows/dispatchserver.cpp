// Portable objects as dispatch interfaces without type information: dispatch ids come from
// one table of names (folded case) for the whole module, so every object gives the same id
// for the same member name.
#include <algorithm>
#include <map>
#include <vector>

#include "dispatchholder.h"
#include "kf/model/names.h"

namespace kf::model {
namespace {

LONG g_live = 0;

struct NameTable {
    std::map<std::u16string, DISPID> ids;
    std::vector<std::u16string> names; // index = id - 1
    DISPID Id(std::u16string_view name) {
        auto folded = FoldCase(name);
        auto it = ids.find(folded);
        if (it != ids.end())
            return it->second;
        names.emplace_back(name);
        DISPID id = static_cast<DISPID>(names.size());
        ids.emplace(std::move(folded), id);
        return id;
    }
    const std::u16string* Name(DISPID id) const {
        if (id < 1 || static_cast<std::size_t>(id) > names.size())
            return nullptr;
        return &names[static_cast<std::size_t>(id) - 1];
    }
};

NameTable& Names() {
    static NameTable table;
    return table;
}

class DispatchServer;
std::map<AutoObject*, DispatchServer*>& Servers() {
    static std::map<AutoObject*, DispatchServer*> servers;
    return servers;
}

// The servers alive, by the object they serve and by their own pointer.
std::map<const IDispatch*, DispatchServer*>& ByPointer() {
    static std::map<const IDispatch*, DispatchServer*> servers;
    return servers;
}

class DispatchServer final : public IDispatch {
public:
    explicit DispatchServer(ObjectRef object) : object_(std::move(object)) {
        InterlockedIncrement(&g_live);
        Servers()[object_.get()] = this;
        ByPointer()[this] = this;
    }
    ~DispatchServer() {
        Servers().erase(object_.get());
        ByPointer().erase(this);
        InterlockedDecrement(&g_live);
    }
    DispatchServer(const DispatchServer&) = delete;
    DispatchServer& operator=(const DispatchServer&) = delete;

    const ObjectRef& Object() const { return object_; }
    void AlsoAnswer(REFIID iid) {
        if (std::find(extra_.begin(), extra_.end(), iid) == extra_.end())
            extra_.push_back(iid);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch ||
            std::find(extra_.begin(), extra_.end(), iid) != extra_.end()) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                               DISPID* ids) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids)
            return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (!names[i]) {
                hr = DISP_E_UNKNOWNNAME;
                continue;
            }
            std::u16string_view name(reinterpret_cast<const char16_t*>(names[i]));
            // Named arguments (names after the first) are not supported.
            if (i == 0 && object_->HasMember(name))
                ids[i] = Names().Id(name);
            else
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        const std::u16string* name = Names().Name(member);
        if (!name)
            return DISP_E_MEMBERNOTFOUND;
        if (!params)
            return E_INVALIDARG;
        InvokeKind kind = InvokeKind::Get;
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            kind = InvokeKind::Put;
            if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs != 1)
                return DISP_E_PARAMNOTOPTIONAL;
        } else if (params->cNamedArgs != 0) {
            return DISP_E_NONAMEDARGS;
        } else if (flags & DISPATCH_METHOD) {
            kind = InvokeKind::Call;
        } else if (!(flags & DISPATCH_PROPERTYGET)) {
            return E_INVALIDARG;
        }
        if (params->cArgs && !params->rgvarg)
            return E_INVALIDARG;
        std::vector<Value> args;
        args.reserve(params->cArgs);
        for (UINT i = params->cArgs; i > 0; --i)
            args.push_back(FromVariant(params->rgvarg[i - 1]));
        if (argError)
            *argError = 0;

        // Keep the object alive through the call, whatever the callee releases.
        ObjectRef object = object_;
        InvokeResult r = object->Invoke(*name, kind, args);
        switch (r.status) {
        case InvokeResult::Status::Ok:
            if (result && kind != InvokeKind::Put)
                ToVariant(r.value, result);
            return S_OK;
        case InvokeResult::Status::UnknownName:
            return DISP_E_MEMBERNOTFOUND;
        case InvokeResult::Status::Failed:
            break;
        }
        if (exception) {
            *exception = EXCEPINFO{};
            exception->scode = E_FAIL;
            if (!r.description.empty())
                exception->bstrDescription =
                    SysAllocStringLen(reinterpret_cast<const OLECHAR*>(r.description.data()),
                                      static_cast<UINT>(r.description.size()));
        }
        return DISP_E_EXCEPTION;
    }

private:
    ObjectRef object_;
    std::vector<IID> extra_;
    LONG refs_ = 1;
};

} // namespace

ObjectRef UnwrapServer(IDispatch* dispatch) {
    // Only a pointer this module handed out can be one of its servers.
    auto it = ByPointer().find(dispatch);
    return it == ByPointer().end() ? nullptr : it->second->Object();
}

IDispatch* ToDispatch(const ObjectRef& object) {
    if (!object)
        return nullptr;
    if (auto* holder = dynamic_cast<DispatchHolder*>(object.get())) {
        holder->Dispatch()->AddRef();
        return holder->Dispatch();
    }
    auto it = Servers().find(object.get());
    if (it != Servers().end()) {
        it->second->AddRef();
        return it->second;
    }
    return new DispatchServer(object);
}

IDispatch* ToDispatch(const ObjectRef& object, REFIID alsoAnswers) {
    IDispatch* d = ToDispatch(object);
    if (d && !dynamic_cast<DispatchHolder*>(object.get()))
        static_cast<DispatchServer*>(d)->AlsoAnswer(alsoAnswers);
    return d;
}

long LiveDispatchServers() {
    return g_live;
}

} // namespace kf::model
