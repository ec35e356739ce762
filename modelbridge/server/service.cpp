// The plug-in service: the IDE's single entry point. Its operations, the host lifecycle,
// site and command interfaces come with the service and command routing; until then
// every method answers E_NOTIMPL.
#include "classes.h"
#include "comobject.h"
#include "interfaces.h"

namespace kf::model {
namespace {

class Service final
    : public ComObject<IKFPDRService, IKFPPluginLifecycle, IKFPPluginSite, IKFPPluginCommands> {
public:
    using ComObject::ComObject;

    // IKFPDRService
    STDMETHODIMP ReverseEngineer(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP OpenDiagram(BSTR, BSTR, IDispatch** diagram) override {
        if (diagram)
            *diagram = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindInDiagram(BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP NewModel(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP CodeGeneration() override { return E_NOTIMPL; }
    STDMETHODIMP CheckModel() override { return E_NOTIMPL; }
    STDMETHODIMP KFCheckModel() override { return E_NOTIMPL; }
    STDMETHODIMP GetPlugout(IUnknown** plugout) override {
        if (plugout)
            *plugout = nullptr;
        return E_NOTIMPL;
    }

    // Host lifecycle
    STDMETHODIMP Initialize() override { return E_NOTIMPL; }
    STDMETHODIMP Terminate() override { return E_NOTIMPL; }

    // Host site
    STDMETHODIMP GetSite(IUnknown** site) override {
        if (site)
            *site = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetSite(IUnknown*) override { return E_NOTIMPL; }

    // Host commands
    STDMETHODIMP GetName(BSTR* name) override {
        if (name)
            *name = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContextMenu(BSTR, IUnknown** menu) override {
        if (menu)
            *menu = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetToolbars(IUnknown** toolbars) override {
        if (toolbars)
            *toolbars = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetMainMenu(IUnknown** menu) override {
        if (menu)
            *menu = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InvokeCommand(LONG, BSTR, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP QueryCommandState(BSTR, LONG, unsigned char*) override { return E_NOTIMPL; }
    STDMETHODIMP RebuildCommands() override { return E_NOTIMPL; }
    STDMETHODIMP Notify(LONG, BSTR) override { return E_NOTIMPL; }
};

} // namespace

HRESULT CreateService(IUnknown* o, REFIID i, void** p) {
    return CreateObject<Service>(o, i, p);
}

} // namespace kf::model
