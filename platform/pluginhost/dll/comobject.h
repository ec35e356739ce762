// Reference-counted COM objects of the host's services: each class names the interfaces
// it answers in Cast.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace kf::pluginhost {

template <class Primary, class... Others> class ComObject : public Primary, public Others... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) final {
        if (!out)
            return E_POINTER;
        *out =
            iid == IID_IUnknown ? static_cast<IUnknown*>(static_cast<Primary*>(this)) : Cast(iid);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() final { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() final {
        ULONG n = --refs_;
        if (n == 0)
            delete this;
        return n;
    }

protected:
    virtual void* Cast(REFIID iid) = 0;

private:
    std::atomic<ULONG> refs_{1};
};

inline std::u16string Text(BSTR b) {
    return b ? std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b))
             : std::u16string();
}

inline BSTR Bstr(std::u16string_view s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()),
                             static_cast<UINT>(s.size()));
}

// Hands out a string: E_POINTER without a place for it, E_OUTOFMEMORY when it cannot be made.
inline HRESULT PutText(BSTR* out, std::u16string_view s) {
    if (!out)
        return E_POINTER;
    *out = Bstr(s);
    return *out || s.empty() ? S_OK : E_OUTOFMEMORY;
}

template <class T> HRESULT PutObject(IUnknown** out, T* object) {
    if (!out) {
        object->Release();
        return E_POINTER;
    }
    *out = static_cast<IUnknown*>(object);
    return S_OK;
}

} // namespace kf::pluginhost
