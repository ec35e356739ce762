// The view service's main window object: answers IOleWindow with the host's frame window,
// a hidden top-level window made once per process (the plug-in connects the modelling tool
// to it).
#include <oleidl.h>

#include "comobject.h"
#include "host.h"

namespace kf::pluginhost {
namespace {

HWND MainWindow() {
    static HWND window = CreateWindowExW(0, L"STATIC", L"Kestrelforge", WS_OVERLAPPEDWINDOW, 0, 0,
                                         640, 480, nullptr, nullptr, Module(), nullptr);
    return window;
}

class MainWindowObject final : public ComObject<IOleWindow> {
public:
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = MainWindow();
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    void* Cast(REFIID iid) override {
        return iid == IID_IOleWindow ? static_cast<IOleWindow*>(this) : nullptr;
    }
};

} // namespace

IUnknown* NewMainWindowObject() {
    return static_cast<IOleWindow*>(new MainWindowObject());
}

} // namespace kf::pluginhost
