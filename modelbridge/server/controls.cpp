// The ActiveX controls that host the modelling tool's windows: two editors and three
// dockable views. Hosting, menus and command routing come with the views; until then the
// host view, document and control methods answer E_NOTIMPL, except what registration
// already states (class id and miscellaneous status).
#include "classes.h"
#include "comobject.h"
#include "interfaces.h"

namespace kf::model {
namespace {

// Recompose on resize, can't link inside, inside-out, activate when visible, set client
// site first: the value registration writes under MiscStatus\1.
constexpr DWORD kMiscStatus = 131473;

const CLSID& ControlClassId(int kind) {
    switch (kind) {
    case kOomView:
        return CLSID_KFPOOMEditor;
    case kPdmView:
        return CLSID_KFPPDMEditor;
    case kModelView:
        return CLSID_KFPModelView;
    case kResultListView:
        return CLSID_KFPResultListView;
    default:
        return CLSID_KFPOutputView;
    }
}

#define KF_NOTIMPL                                                                                 \
    { return E_NOTIMPL; }

// Methods every control has: the host view interface and the control interfaces.
#define KF_CONTROL_METHODS                                                                         \
    STDMETHODIMP GetName(BSTR* name) override {                                                    \
        if (name)                                                                                  \
            *name = nullptr;                                                                       \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    STDMETHODIMP GetCaption(BSTR* caption) override {                                              \
        if (caption)                                                                               \
            *caption = nullptr;                                                                    \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    STDMETHODIMP GetDescription(BSTR* description) override {                                      \
        if (description)                                                                           \
            *description = nullptr;                                                                \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    STDMETHODIMP GetHelpTopic(LONG*) override KF_NOTIMPL;                                          \
    STDMETHODIMP RegisterMenus(IUnknown*) override KF_NOTIMPL;                                     \
    STDMETHODIMP RegisterToolbars(IUnknown*) override KF_NOTIMPL;                                  \
    STDMETHODIMP UpdateToolbars(IUnknown*) override KF_NOTIMPL;                                    \
    STDMETHODIMP GetIcon(LONG*) override KF_NOTIMPL;                                               \
    STDMETHODIMP Close() override KF_NOTIMPL;                                                      \
    STDMETHODIMP GetState(VARIANT*) override KF_NOTIMPL;                                           \
    STDMETHODIMP SetState(VARIANT)                                                                 \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP ExecuteDefault() override KF_NOTIMPL;                                             \
    STDMETHODIMP ShowObject(IDispatch*) override KF_NOTIMPL;                                       \
    STDMETHODIMP RefreshCommands(BSTR)                                                             \
    override KF_NOTIMPL;                                                                           \
    /* IOleObject */                                                                               \
    STDMETHODIMP SetClientSite(IOleClientSite*) override KF_NOTIMPL;                               \
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {                                   \
        if (site)                                                                                  \
            *site = nullptr;                                                                       \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR)                                                \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP Close(DWORD)                                                                      \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override KF_NOTIMPL;                                 \
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override KF_NOTIMPL;                         \
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD)                                           \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override KF_NOTIMPL;                       \
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT)                         \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override KF_NOTIMPL;                                    \
    STDMETHODIMP Update() override KF_NOTIMPL;                                                     \
    STDMETHODIMP IsUpToDate() override KF_NOTIMPL;                                                 \
    STDMETHODIMP GetUserClassID(CLSID* clsid) override {                                           \
        if (!clsid)                                                                                \
            return E_POINTER;                                                                      \
        *clsid = ControlClassId(Kind);                                                             \
        return S_OK;                                                                               \
    }                                                                                              \
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override KF_NOTIMPL;                                \
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override KF_NOTIMPL;                                     \
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override KF_NOTIMPL;                                     \
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override KF_NOTIMPL;                                 \
    STDMETHODIMP Unadvise(DWORD)                                                                   \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override KF_NOTIMPL;                                  \
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override {                             \
        if (!status)                                                                               \
            return E_POINTER;                                                                      \
        *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;                                    \
        return S_OK;                                                                               \
    }                                                                                              \
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override KF_NOTIMPL;                                  \
    /* IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject */                                   \
    STDMETHODIMP GetWindow(HWND* window) override {                                                \
        if (window)                                                                                \
            *window = nullptr;                                                                     \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    STDMETHODIMP ContextSensitiveHelp(BOOL)                                                        \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP InPlaceDeactivate() override KF_NOTIMPL;                                          \
    STDMETHODIMP UIDeactivate() override KF_NOTIMPL;                                               \
    STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT)                                                  \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP ReactivateAndUndo() override KF_NOTIMPL;                                          \
    STDMETHODIMP TranslateAccelerator(LPMSG)                                                       \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP OnFrameWindowActivate(BOOL)                                                       \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP OnDocWindowActivate(BOOL)                                                         \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)                                 \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP EnableModeless(BOOL)                                                              \
    override KF_NOTIMPL;                                                                           \
    /* IOleControl */                                                                              \
    STDMETHODIMP GetControlInfo(CONTROLINFO*) override KF_NOTIMPL;                                 \
    STDMETHODIMP OnMnemonic(MSG*) override KF_NOTIMPL;                                             \
    STDMETHODIMP OnAmbientPropertyChange(DISPID)                                                   \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP FreezeEvents(BOOL)                                                                \
    override KF_NOTIMPL;                                                                           \
    /* IViewObject2 */                                                                             \
    STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL, LPCRECTL,           \
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)                              \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**)               \
        override KF_NOTIMPL;                                                                       \
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override KF_NOTIMPL;                           \
    STDMETHODIMP Unfreeze(DWORD)                                                                   \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override KF_NOTIMPL;                        \
    STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override KF_NOTIMPL;                     \
    STDMETHODIMP GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL)                                  \
    override KF_NOTIMPL;                                                                           \
    /* IPersist, IPersistStreamInit */                                                             \
    STDMETHODIMP GetClassID(CLSID* clsid) override {                                               \
        return GetUserClassID(clsid);                                                              \
    }                                                                                              \
    STDMETHODIMP IsDirty() override {                                                              \
        return S_FALSE;                                                                            \
    }                                                                                              \
    STDMETHODIMP Load(LPSTREAM)                                                                    \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP Save(LPSTREAM, BOOL)                                                              \
    override KF_NOTIMPL;                                                                           \
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override KF_NOTIMPL;                                  \
    STDMETHODIMP InitNew() override KF_NOTIMPL;                                                    \
    /* IOleCommandTarget */                                                                        \
    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) override KF_NOTIMPL;       \
    STDMETHODIMP Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) override KF_NOTIMPL;          \
                                                                                                   \
protected:                                                                                         \
    void* MoreInterfaces(REFIID iid) override {                                                    \
        if (iid == IID_IOleWindow)                                                                 \
            return static_cast<IOleInPlaceObject*>(this);                                          \
        if (iid == IID_IViewObject)                                                                \
            return static_cast<IViewObject2*>(this);                                               \
        if (iid == IID_IPersist)                                                                   \
            return static_cast<IPersistStreamInit*>(this);                                         \
        return nullptr;                                                                            \
    }

template <int Kind>
class DockableView final
    : public ComObject<IKFPView, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
                       IOleControl, IViewObject2, IPersistStreamInit, IOleCommandTarget> {
public:
    using ComObject::ComObject;
    KF_CONTROL_METHODS
};

template <int Kind>
class Editor final : public ComObject<IKFPView, IKFPDocument, IKFPDocumentEvents, IOleObject,
                                      IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl,
                                      IViewObject2, IPersistStreamInit, IOleCommandTarget> {
public:
    using ComObject::ComObject;

    // Host document interface
    STDMETHODIMP GetDocumentFileName(BSTR* name) override {
        if (name)
            *name = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDocumentTitle(BSTR* title) override {
        if (title)
            *title = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDocumentSaveName(BSTR* name) override {
        if (name)
            *name = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetFileTypeFilter(BSTR, BSTR* filter) override {
        if (filter)
            *filter = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP Activate() override { return E_NOTIMPL; }
    STDMETHODIMP Save() override { return E_NOTIMPL; }

    // Host document sink
    STDMETHODIMP OnDocumentChanged() override { return E_NOTIMPL; }
    STDMETHODIMP OnDocumentSaved() override { return E_NOTIMPL; }
    STDMETHODIMP OnDocumentClosing() override { return E_NOTIMPL; }

    KF_CONTROL_METHODS
};

} // namespace

template <int Kind> HRESULT CreateControl(IUnknown* o, REFIID i, void** p) {
    if constexpr (Kind == kOomView || Kind == kPdmView)
        return CreateObject<Editor<Kind>>(o, i, p);
    else
        return CreateObject<DockableView<Kind>>(o, i, p);
}

template HRESULT CreateControl<kOomView>(IUnknown*, REFIID, void**);
template HRESULT CreateControl<kPdmView>(IUnknown*, REFIID, void**);
template HRESULT CreateControl<kModelView>(IUnknown*, REFIID, void**);
template HRESULT CreateControl<kResultListView>(IUnknown*, REFIID, void**);
template HRESULT CreateControl<kOutputView>(IUnknown*, REFIID, void**);

} // namespace kf::model
