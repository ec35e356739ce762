#include "classfactory.h"

#include <new>

#include "classes.h"
#include "module.h"

namespace kf::model {
namespace {

// The cache holds one reference. References beyond it belong to callers and keep the
// module loaded like a live object does, so a caller that holds a factory without
// LockServer cannot see the library unloaded under it.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateFunction create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        LONG n = InterlockedIncrement(&refs_);
        if (n == 2)
            ModuleLock();
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 1)
            ModuleUnlock();
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        return create_(outer, iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ModuleLock();
        else
            ModuleUnlock();
        return S_OK;
    }

private:
    CreateFunction create_;
    LONG refs_ = 1; // the cache's
};

IClassFactory* g_factories[kClassTable.size()] = {};

} // namespace

HRESULT GetClassFactory(std::size_t index, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (index >= kClassTable.size())
        return CLASS_E_CLASSNOTAVAILABLE;
    if (!g_factories[index]) {
        auto* created = new (std::nothrow) ClassFactory(kClassCreators[index].create);
        if (!created)
            return E_OUTOFMEMORY;
        // Two threads may race here; the loser's factory is dropped again.
        if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_factories[index]),
                                              created, nullptr) != nullptr)
            created->Release();
    }
    return g_factories[index]->QueryInterface(iid, out);
}

void ReleaseClassFactories() {
    for (IClassFactory*& factory : g_factories) {
        if (factory)
            factory->Release();
        factory = nullptr;
    }
}

} // namespace kf::model
