// View factories: one class per view kind, telling the host how to make the view. Their
// behaviour comes with the views; until then both methods answer E_NOTIMPL.
#include "classes.h"
#include "comobject.h"
#include "interfaces.h"

namespace kf::model {
namespace {

template <int Kind> class ViewFactory final : public ComObject<IKFPViewFactory> {
public:
    using ComObject::ComObject;
    STDMETHODIMP CreateView(IUnknown*, IUnknown*, IUnknown** view) override {
        if (view)
            *view = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP CanOpen(IUnknown*) override { return E_NOTIMPL; }
};

} // namespace

template <int Kind> HRESULT CreateViewFactory(IUnknown* o, REFIID i, void** p) {
    return CreateObject<ViewFactory<Kind>>(o, i, p);
}

template HRESULT CreateViewFactory<kOomView>(IUnknown*, REFIID, void**);
template HRESULT CreateViewFactory<kPdmView>(IUnknown*, REFIID, void**);
template HRESULT CreateViewFactory<kModelView>(IUnknown*, REFIID, void**);
template HRESULT CreateViewFactory<kResultListView>(IUnknown*, REFIID, void**);
template HRESULT CreateViewFactory<kOutputView>(IUnknown*, REFIID, void**);

} // namespace kf::model
