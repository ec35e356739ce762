// The shell service's result list: every call recorded, nothing shown.
#include "KFGenericPlugin.h"
#include "comobject.h"
#include "host.h"

namespace kf::pluginhost {
namespace {

class ResultList final : public ComObject<IKFPResultList> {
public:
    explicit ResultList(std::u16string name) : name_(std::move(name)) {}
    STDMETHODIMP Begin(BSTR title, BSTR file) override {
        Services().ResultBegin(name_, Text(title), Text(file));
        return S_OK;
    }
    STDMETHODIMP SetSummary(BSTR title, BSTR text) override {
        Services().ResultSummary(Text(title), Text(text));
        return S_OK;
    }
    STDMETHODIMP AddItem(BSTR text, BSTR link) override {
        Services().ResultItem(Text(text), Text(link));
        return S_OK;
    }
    STDMETHODIMP Show() override {
        Services().ResultShow();
        return S_OK;
    }
    STDMETHODIMP End() override {
        Services().ResultEnd();
        return S_OK;
    }

private:
    void* Cast(REFIID iid) override {
        return iid == IID_IKFPResultList ? static_cast<IKFPResultList*>(this) : nullptr;
    }
    std::u16string name_;
};

} // namespace

IUnknown* NewResultList(std::u16string name) {
    return static_cast<IKFPResultList*>(new ResultList(std::move(name)));
}

} // namespace kf::pluginhost
