// The workspace, its targets, their libraries and entries, and the enumerators that hand
// them out one per Next; all over the host core, which records every call.
#include <memory>
#include <string>
#include <vector>

#include "KFGenericPlugin.h"
#include "comobject.h"
#include "host.h"

namespace kf::pluginhost {
namespace {

class EntryObject final : public ComObject<IKFPEntry> {
public:
    explicit EntryObject(Entry entry) : entry_(std::move(entry)) {}
    STDMETHODIMP GetName(BSTR* name) override { return PutText(name, entry_.name); }
    STDMETHODIMP GetTypeText(BSTR* type) override { return PutText(type, entry_.type); }

private:
    void* Cast(REFIID iid) override {
        return iid == IID_IKFPEntry ? static_cast<IKFPEntry*>(this) : nullptr;
    }
    Entry entry_;
};

// Hands out one object per Next over a list of items; S_FALSE and a null object at the end.
template <class Interface, const IID& Iid, class ItemInterface, class ItemObject, class Item>
class ItemEnumerator final : public ComObject<Interface> {
public:
    explicit ItemEnumerator(std::vector<Item> items) : items_(std::move(items)) {}
    STDMETHODIMP Next(ItemInterface** item) override {
        if (!item)
            return E_POINTER;
        auto next = items_.Next();
        *item = next ? new ItemObject(std::move(*next)) : nullptr;
        return next ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        items_.Reset();
        return S_OK;
    }

private:
    void* Cast(REFIID iid) override { return iid == Iid ? static_cast<Interface*>(this) : nullptr; }
    Enumerator<Item> items_;
};

using EnumEntries =
    ItemEnumerator<IKFPEnumEntries, IID_IKFPEnumEntries, IKFPEntry, EntryObject, Entry>;

class LibraryObject final : public ComObject<IKFPLibrary> {
public:
    explicit LibraryObject(std::filesystem::path path) : path_(std::move(path)) {}
    STDMETHODIMP GetPath(BSTR* path) override { return PutText(path, PathText(path_)); }
    STDMETHODIMP GetEntries(IUnknown** entries) override {
        if (!entries)
            return E_POINTER;
        *entries = nullptr;
        auto list = Services().GetEntries(path_);
        if (!list)
            return E_FAIL;
        return PutObject(entries, static_cast<IKFPEnumEntries*>(new EnumEntries(std::move(*list))));
    }

private:
    void* Cast(REFIID iid) override {
        return iid == IID_IKFPLibrary ? static_cast<IKFPLibrary*>(this) : nullptr;
    }
    std::filesystem::path path_;
};

using EnumLibraries = ItemEnumerator<IKFPEnumLibraries, IID_IKFPEnumLibraries, IKFPLibrary,
                                     LibraryObject, std::filesystem::path>;

// A target stays open in the host core for the life of the process, so the pointer stays
// good while plug-in objects hold it.
class TargetObject final : public ComObject<IKFPTarget> {
public:
    explicit TargetObject(Target* target) : t_(*target) {}

    STDMETHODIMP GetFileName(BSTR* name) override {
        return PutText(name, Services().GetFileName(t_));
    }
    STDMETHODIMP GetLibraries(IUnknown** libraries) override {
        if (!libraries)
            return E_POINTER;
        return PutObject(libraries, static_cast<IKFPEnumLibraries*>(
                                        new EnumLibraries(Services().GetLibraries(t_))));
    }
    STDMETHODIMP AddLibrary(BSTR path, LONG create) override {
        return Services().AddLibrary(t_, Text(path), create != 0) ? S_OK : E_FAIL;
    }
    STDMETHODIMP FindLibrary(BSTR path, IUnknown** found) override {
        if (!found)
            return E_POINTER;
        *found = nullptr;
        auto library = Services().FindLibrary(t_, Text(path));
        if (!library)
            return S_FALSE;
        return PutObject(found, static_cast<IKFPLibrary*>(new LibraryObject(*library)));
    }
    STDMETHODIMP GetProperty(BSTR name, BSTR* value) override {
        if (!value)
            return E_POINTER;
        return PutText(value, Services().GetProperty(t_, Text(name)));
    }
    STDMETHODIMP SetProperty(BSTR name, BSTR value) override {
        return Services().SetProperty(t_, Text(name), Text(value)) ? S_OK : E_FAIL;
    }
    STDMETHODIMP GetAttribute(BSTR key, BSTR target, BSTR* value) override {
        if (!value)
            return E_POINTER;
        return PutText(value, Services().GetAttribute(t_, Text(key), Text(target)));
    }
    STDMETHODIMP SetAttribute(BSTR key, BSTR target, BSTR value) override {
        return Services().SetAttribute(t_, Text(key), Text(target), Text(value)) ? S_OK : E_FAIL;
    }
    STDMETHODIMP SetLibrarySearchPath(BSTR paths) override {
        return Services().SetLibrarySearchPath(t_, Text(paths)) ? S_OK : E_FAIL;
    }
    STDMETHODIMP Rebuild(LONG flag) override {
        Services().Rebuild(t_, flag);
        return S_OK;
    }

private:
    void* Cast(REFIID iid) override {
        return iid == IID_IKFPTarget ? static_cast<IKFPTarget*>(this) : nullptr;
    }
    Target& t_;
};

class WorkspaceObject final : public ComObject<IKFPWorkspace> {
public:
    STDMETHODIMP OpenTarget(BSTR path, IUnknown** target) override {
        return Open(path, target, false);
    }
    STDMETHODIMP AttachTarget(BSTR path, IUnknown** target) override {
        return Open(path, target, true);
    }
    STDMETHODIMP ExecuteCommand(LONG command, LONG number, BSTR location, LONG* result) override {
        LONG r = Services().ExecuteCommand(command, number, Text(location));
        if (result)
            *result = r;
        return S_OK;
    }

private:
    HRESULT Open(BSTR path, IUnknown** target, bool attach) {
        if (!target)
            return E_POINTER;
        *target = nullptr;
        Target* t = Services().OpenTarget(Text(path), attach);
        if (!t)
            return E_FAIL;
        return PutObject(target, static_cast<IKFPTarget*>(new TargetObject(t)));
    }
    void* Cast(REFIID iid) override {
        return iid == IID_IKFPWorkspace ? static_cast<IKFPWorkspace*>(this) : nullptr;
    }
};

} // namespace

IUnknown* NewWorkspace() {
    return static_cast<IKFPWorkspace*>(new WorkspaceObject());
}

} // namespace kf::pluginhost
