// The callback classes the modelling tool calls. Their behaviour comes with the views and
// the event sinks; until then every method answers E_NOTIMPL.
#include "classes.h"
#include "comobject.h"
#include "interfaces.h"

namespace kf::model {
namespace {

class ShellCallBack final : public ComObject<_IShellCallBack> {
public:
    using ComObject::ComObject;
    STDMETHODIMP OnViewOpen(IDispatch*) override { return E_NOTIMPL; }
};

class ShellStatusBar final : public ComObject<_IShellStatusBar> {
public:
    using ComObject::ComObject;
    STDMETHODIMP InsertPane(INT, INT, StatusBarPaneStyles) override { return E_NOTIMPL; }
    STDMETHODIMP DeletePane(INT) override { return E_NOTIMPL; }
    STDMETHODIMP GetPaneCount(INT*) override { return E_NOTIMPL; }
    STDMETHODIMP SetPaneText(INT, BSTR, VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP SetPaneStyle(INT, StatusBarPaneStyles) override { return E_NOTIMPL; }
};

class ShellProgressBar final : public ComObject<_IShellProgressBar> {
public:
    using ComObject::ComObject;
    STDMETHODIMP StartProgress(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EndProgress() override { return E_NOTIMPL; }
    STDMETHODIMP Canceled() override { return E_NOTIMPL; }
    STDMETHODIMP SetPos(INT) override { return E_NOTIMPL; }
    STDMETHODIMP SetText(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP SetText2(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatus(INT, INT, INT, BSTR*, BSTR*, ULONG, ULONG) override { return E_NOTIMPL; }
};

class WorkspaceEventSink final : public ComObject<IDRWorkspaceEventSink> {
public:
    using ComObject::ComObject;
    STDMETHODIMP OnOpenModel(IDispatch*) override { return E_NOTIMPL; }
    STDMETHODIMP OnCloseModel(IDispatch*) override { return E_NOTIMPL; }
};

class LayoutManager final : public ComObject<IDRLayoutManager> {
public:
    using ComObject::ComObject;
    STDMETHODIMP RefreshLayout() override { return E_NOTIMPL; }
    STDMETHODIMP RefreshCommandState(BSTR) override { return E_NOTIMPL; }
};

class AddInMenuProvider final : public ComObject<IDRAddInMenuProvider> {
public:
    using ComObject::ComObject;
    STDMETHODIMP ProvideMenuItems(BSTR, IDispatch*, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP IsCommandSupported(BSTR, IDispatch*, BSTR, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP DoCommand(BSTR, IDispatch*, BSTR) override { return E_NOTIMPL; }
};

class ModelCodeSyncManager final : public ComObject<IDRModelCodeSyncManager> {
public:
    using ComObject::ComObject;
    STDMETHODIMP RefreshCode(IDispatch*) override { return E_NOTIMPL; }
    STDMETHODIMP RefreshFilename(IDispatch*, BSTR) override { return E_NOTIMPL; }
};

class ObjectEventHandler final : public ComObject<IDRObjectEventHandler> {
public:
    using ComObject::ComObject;
    STDMETHODIMP HandleEvent(IDispatch*, EventHandlerKind, VARIANT*) override { return E_NOTIMPL; }
};

class AttributeEventSink final : public ComObject<IDRAttributeEventSink> {
public:
    using ComObject::ComObject;
    STDMETHODIMP OnAttributeChange(IDispatch*, LONG) override { return E_NOTIMPL; }
};

class CollectionEventSink final : public ComObject<IDRCollectionEventSink> {
public:
    using ComObject::ComObject;
    STDMETHODIMP OnCollectionInsert(IDispatch*, LONG, IDispatch*, LONG) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP OnCollectionRemove(IDispatch*, LONG, IDispatch*) override { return E_NOTIMPL; }
};

} // namespace

HRESULT CreateShellCallBack(IUnknown* o, REFIID i, void** p) {
    return CreateObject<ShellCallBack>(o, i, p);
}
HRESULT CreateShellStatusBar(IUnknown* o, REFIID i, void** p) {
    return CreateObject<ShellStatusBar>(o, i, p);
}
HRESULT CreateShellProgressBar(IUnknown* o, REFIID i, void** p) {
    return CreateObject<ShellProgressBar>(o, i, p);
}
HRESULT CreateWorkspaceEventSink(IUnknown* o, REFIID i, void** p) {
    return CreateObject<WorkspaceEventSink>(o, i, p);
}
HRESULT CreateLayoutManager(IUnknown* o, REFIID i, void** p) {
    return CreateObject<LayoutManager>(o, i, p);
}
HRESULT CreateAddInMenuProvider(IUnknown* o, REFIID i, void** p) {
    return CreateObject<AddInMenuProvider>(o, i, p);
}
HRESULT CreateModelCodeSyncManager(IUnknown* o, REFIID i, void** p) {
    return CreateObject<ModelCodeSyncManager>(o, i, p);
}
HRESULT CreateObjectEventHandler(IUnknown* o, REFIID i, void** p) {
    return CreateObject<ObjectEventHandler>(o, i, p);
}
HRESULT CreateAttributeEventSink(IUnknown* o, REFIID i, void** p) {
    return CreateObject<AttributeEventSink>(o, i, p);
}
HRESULT CreateCollectionEventSink(IUnknown* o, REFIID i, void** p) {
    return CreateObject<CollectionEventSink>(o, i, p);
}

} // namespace kf::model
