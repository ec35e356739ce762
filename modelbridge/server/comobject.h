// Base of every class the server creates: reference counting with aggregation (the
// non-delegating IUnknown is a separate object, the interfaces delegate to the
// controlling unknown), one module lock per live object, and IDispatch over the type
// information of the class's primary interface.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <new>

#include "module.h"

namespace kf::model {

class ObjectBase {
public:
    ObjectBase(const ObjectBase&) = delete;
    ObjectBase& operator=(const ObjectBase&) = delete;
    IUnknown* NonDelegating() { return &inner_; }
    // Final construction step, after the object holds its first reference.
    HRESULT FinalConstruct() { return S_OK; }

protected:
    explicit ObjectBase(IUnknown* outer) : outer_(outer ? outer : &inner_) { ModuleLock(); }
    virtual ~ObjectBase() { ModuleUnlock(); }
    // The pointer for an interface the class lists (never IUnknown), or nullptr.
    virtual void* Interface(REFIID iid) = 0;

    IUnknown* outer_;

private:
    struct Inner final : IUnknown {
        explicit Inner(ObjectBase* owner) : owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            if (iid == IID_IUnknown) {
                *out = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            void* p = owner->Interface(iid);
            if (!p)
                return E_NOINTERFACE;
            static_cast<IUnknown*>(p)->AddRef(); // through the controlling unknown
            *out = p;
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs); }
        STDMETHODIMP_(ULONG) Release() override {
            LONG n = InterlockedDecrement(&refs);
            if (n == 0)
                delete owner;
            return static_cast<ULONG>(n);
        }
        ObjectBase* owner;
        LONG refs = 0;
    };
    Inner inner_{this};
};

template <class Itf> bool Is(REFIID iid) {
    return iid == __uuidof(Itf);
}

// Primary: the dual interface whose type information backs IDispatch; Others: the
// further interfaces the class answers.
template <class Primary, class... Others>
class ComObject : public ObjectBase, public Primary, public Others... {
public:
    // IUnknown of every interface: delegate to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return outer_->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

    // IDispatch of every dual interface: the primary interface's type information.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        ITypeInfo* vtable = nullptr;
        HRESULT hr = InterfaceTypeInfo(__uuidof(Primary), info, &vtable);
        if (vtable)
            vtable->Release();
        return hr;
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                               DISPID* ids) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo *dispatch = nullptr, *vtable = nullptr;
        HRESULT hr = InterfaceTypeInfo(__uuidof(Primary), &dispatch, &vtable);
        if (SUCCEEDED(hr))
            hr = DispGetIDsOfNames(vtable, names, count, ids);
        if (dispatch)
            dispatch->Release();
        if (vtable)
            vtable->Release();
        return hr;
    }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo *dispatch = nullptr, *vtable = nullptr;
        HRESULT hr = InterfaceTypeInfo(__uuidof(Primary), &dispatch, &vtable);
        if (SUCCEEDED(hr))
            hr = DispInvoke(static_cast<Primary*>(this), vtable, member, flags, params, result,
                            exception, argError);
        if (dispatch)
            dispatch->Release();
        if (vtable)
            vtable->Release();
        return hr;
    }

    explicit ComObject(IUnknown* outer) : ObjectBase(outer) {}

protected:
    void* Interface(REFIID iid) override {
        if (iid == IID_IDispatch || Is<Primary>(iid))
            return static_cast<Primary*>(this);
        void* p = nullptr;
        ((p = p ? p : (Is<Others>(iid) ? static_cast<Others*>(this) : nullptr)), ...);
        return p ? p : MoreInterfaces(iid);
    }
    // Base interfaces of the listed ones (IOleWindow, IPersist, ...), where a class has any.
    virtual void* MoreInterfaces(REFIID) { return nullptr; }
};

// Creation as the class factory performs it: allocate, construct, final construction
// step, query; a failed query destroys the new object and returns the query's error.
template <class T> HRESULT CreateObject(IUnknown* outer, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (outer && iid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    T* object = new (std::nothrow) T(outer);
    if (!object)
        return E_OUTOFMEMORY;
    IUnknown* inner = object->NonDelegating();
    inner->AddRef();
    HRESULT hr = object->FinalConstruct();
    if (SUCCEEDED(hr))
        hr = inner->QueryInterface(iid, out);
    inner->Release();
    return hr;
}

} // namespace kf::model
