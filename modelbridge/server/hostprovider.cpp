#include "hostprovider.h"

extern "C" __declspec(dllimport) HRESULT __stdcall IKFPGetServiceProvider(IUnknown** provider);

namespace kf::model {

HRESULT HostServiceProvider(IServiceProvider** provider) {
    if (!provider)
        return E_POINTER;
    *provider = nullptr;
    IUnknown* unknown = nullptr;
    HRESULT hr = IKFPGetServiceProvider(&unknown);
    if (FAILED(hr))
        return hr;
    if (!unknown)
        return E_NOINTERFACE;
    hr = unknown->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(provider));
    unknown->Release();
    return hr;
}

} // namespace kf::model
