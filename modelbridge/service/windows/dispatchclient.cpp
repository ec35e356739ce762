// The caller's side over IDispatch: each member resolved by name, then invoked as
// property get, property put (the named DISPID_PROPERTYPUT argument) or method.
#include <map>
#include <vector>

#include "dispatchholder.h"
#include "kf/model/dispatch.h"

namespace kf::model {
namespace {

class DispatchObject;

// While a caller lives, the same interface pointer gives the same object, so callers can
// compare what they get back (a symbol's object with a class, say).
std::map<IDispatch*, std::weak_ptr<DispatchObject>>& Callers() {
    static std::map<IDispatch*, std::weak_ptr<DispatchObject>> callers;
    return callers;
}

class DispatchObject final : public AutoObject, public DispatchHolder {
public:
    explicit DispatchObject(IDispatch* d) : dispatch_(d) { dispatch_->AddRef(); }
    ~DispatchObject() override {
        auto it = Callers().find(dispatch_);
        if (it != Callers().end() && it->second.expired())
            Callers().erase(it);
        dispatch_->Release();
    }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    IDispatch* Dispatch() const override { return dispatch_; }

    bool HasMember(std::u16string_view member) override {
        DISPID id;
        return SUCCEEDED(Resolve(member, &id));
    }

    InvokeResult Invoke(std::u16string_view member, InvokeKind kind,
                        std::span<const Value> args) override {
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = Resolve(member, &id);
        if (hr == DISP_E_UNKNOWNNAME)
            return InvokeResult::Unknown();
        if (FAILED(hr))
            return InvokeResult::Fail(SystemMessage(hr));

        // Arguments travel last first.
        std::vector<VARIANT> vars(args.size());
        for (std::size_t i = 0; i < args.size(); ++i)
            ToVariant(args[i], &vars[args.size() - 1 - i]);
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{};
        params.rgvarg = vars.empty() ? nullptr : vars.data();
        params.cArgs = static_cast<UINT>(vars.size());
        WORD flags = DISPATCH_METHOD;
        if (kind == InvokeKind::Get) {
            flags = DISPATCH_PROPERTYGET;
        } else if (kind == InvokeKind::Put) {
            flags = DISPATCH_PROPERTYPUT;
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO info{};
        UINT argError = 0;
        hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               kind == InvokeKind::Put ? nullptr : &result, &info, &argError);
        for (auto& v : vars)
            VariantClear(&v);

        if (SUCCEEDED(hr)) {
            Value out = FromVariant(result);
            VariantClear(&result);
            return InvokeResult::Ok(std::move(out));
        }
        VariantClear(&result);
        if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND)
            return InvokeResult::Unknown();
        if (hr == DISP_E_EXCEPTION) {
            if (info.pfnDeferredFillIn)
                info.pfnDeferredFillIn(&info);
            std::u16string text;
            if (info.bstrDescription)
                text.assign(reinterpret_cast<const char16_t*>(info.bstrDescription),
                            SysStringLen(info.bstrDescription));
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
            return InvokeResult::Fail(std::move(text));
        }
        return InvokeResult::Fail(SystemMessage(hr));
    }

private:
    HRESULT Resolve(std::u16string_view member, DISPID* id) {
        std::wstring name(member.begin(), member.end());
        LPOLESTR names[] = {name.data()};
        return dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    }

    IDispatch* dispatch_;
};

} // namespace

ObjectRef FromDispatch(IDispatch* dispatch) {
    if (!dispatch)
        return nullptr;
    if (ObjectRef own = UnwrapServer(dispatch))
        return own;
    auto& callers = Callers();
    if (auto it = callers.find(dispatch); it != callers.end())
        if (auto known = it->second.lock())
            return known;
    auto made = std::make_shared<DispatchObject>(dispatch);
    callers[dispatch] = made;
    return made;
}

} // namespace kf::model
