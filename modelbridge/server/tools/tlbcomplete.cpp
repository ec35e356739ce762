// tlbcomplete <widl.tlb> <out.tlb> <imported.tlb>...
//
// Rewrites a type library that widl wrote so that interfaces of other libraries are
// referenced where they live. widl copies an imported interface that a coclass names into
// the library being written (and cannot write IDispatch at all), so the .idl names the
// marker interface KFDispatchMarker where a coclass's default interface is IDispatch.
// The copy is rebuilt through ICreateTypeLib2 with these changes only:
//   - a typeinfo whose identifier belongs to an imported library (or stdole2) is left out
//     and every reference to it points into that library instead;
//   - the marker interface is left out and references to it point to IDispatch.
// Runs under Wine at build time.
#include <windows.h>

#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <vector>

namespace {

// {6A2B6F7E-1C55-4F0E-9C61-3B7B0C8E4D10}: the marker's identifier in modelbridge.idl.
constexpr GUID kMarker = {
    0x6A2B6F7E, 0x1C55, 0x4F0E, {0x9C, 0x61, 0x3B, 0x7B, 0x0C, 0x8E, 0x4D, 0x10}};

struct Fail {
    const wchar_t* what;
    HRESULT hr;
};

void Check(HRESULT hr, const wchar_t* what) {
    if (FAILED(hr))
        throw Fail{what, hr};
}

template <class T> struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
    operator T*() const { return p; }
};

struct Bstr {
    BSTR s = nullptr;
    ~Bstr() { SysFreeString(s); }
    BSTR* operator&() { return &s; }
};

class Completer {
public:
    Completer(ITypeLib* src, std::vector<ITypeLib*> imports)
        : src_(src), imports_(std::move(imports)) {}

    void Run(const wchar_t* outPath) {
        TLIBATTR* la = nullptr;
        Check(src_->GetLibAttr(&la), L"GetLibAttr");
        TLIBATTR lib = *la;
        src_->ReleaseTLibAttr(la);
        Check(CreateTypeLib2(lib.syskind, outPath, &dst_), L"CreateTypeLib2");
        ptrSize_ = lib.syskind == SYS_WIN64 ? 8 : 4;
        Bstr name, doc, helpFile;
        DWORD helpContext = 0;
        Check(src_->GetDocumentation(-1, &name, &doc, &helpContext, &helpFile), L"library names");
        Check(dst_->SetName(name.s), L"SetName");
        Check(dst_->SetGuid(lib.guid), L"SetGuid");
        Check(dst_->SetVersion(lib.wMajorVerNum, lib.wMinorVerNum), L"SetVersion");
        Check(dst_->SetLcid(lib.lcid), L"SetLcid");
        Check(dst_->SetLibFlags(lib.wLibFlags), L"SetLibFlags");
        if (doc.s)
            Check(dst_->SetDocString(doc.s), L"SetDocString");

        Ref<ITypeLib> stdole;
        Check(LoadTypeLib(L"stdole2.tlb", &stdole), L"stdole2.tlb");
        Check(stdole->GetTypeInfoOfGuid(IID_IDispatch, &dispatch_), L"IDispatch");
        stdole->AddRef();
        imports_.push_back(stdole);

        const UINT count = src_->GetTypeInfoCount();
        created_.assign(count, nullptr);
        for (UINT i = 0; i < count; ++i)
            Create(i);
        for (UINT i = 0; i < count; ++i)
            if (created_[i])
                Fill(i);
        for (UINT i = 0; i < count; ++i)
            if (created_[i])
                Check(created_[i]->LayOut(), L"LayOut");
        Check(dst_->SaveAllChanges(), L"SaveAllChanges");
    }

    ~Completer() {
        for (auto* c : created_)
            if (c)
                c->Release();
        if (dispatch_)
            dispatch_->Release();
        if (dst_)
            dst_->Release();
    }

private:
    // The typeinfo of an imported library with this identifier, if any (not AddRef'ed).
    ITypeInfo* Foreign(const GUID& guid) {
        if (guid == GUID_NULL)
            return nullptr; // enums and aliases: always our own
        if (guid == kMarker)
            return dispatch_;
        for (ITypeLib* lib : imports_) {
            ITypeInfo* info = nullptr;
            if (SUCCEEDED(lib->GetTypeInfoOfGuid(guid, &info))) {
                foreign_.push_back(info);
                return info;
            }
        }
        return nullptr;
    }

    void Create(UINT i) {
        Ref<ITypeInfo> info;
        Check(src_->GetTypeInfo(i, &info), L"GetTypeInfo");
        TYPEATTR* ta = nullptr;
        Check(info->GetTypeAttr(&ta), L"GetTypeAttr");
        TYPEATTR attr = *ta;
        info->ReleaseTypeAttr(ta);
        if (attr.guid != GUID_NULL && Foreign(attr.guid))
            return; // a copy: left out
        Bstr name, doc;
        DWORD helpContext = 0;
        Check(info->GetDocumentation(MEMBERID_NIL, &name, &doc, &helpContext, nullptr), L"names");
        TYPEKIND kind = attr.typekind;
        if (kind == TKIND_DISPATCH && (attr.wTypeFlags & TYPEFLAG_FDUAL))
            kind = TKIND_INTERFACE;
        ICreateTypeInfo* c = nullptr;
        Check(dst_->CreateTypeInfo(name.s, kind, &c), L"CreateTypeInfo");
        created_[i] = c;
        Check(c->SetGuid(attr.guid), L"SetGuid");
        if (doc.s)
            Check(c->SetDocString(doc.s), L"SetDocString");
        if (helpContext)
            Check(c->SetHelpContext(helpContext), L"SetHelpContext");
        Check(c->SetVersion(attr.wMajorVerNum, attr.wMinorVerNum), L"SetVersion");
        Check(c->SetTypeFlags(attr.wTypeFlags), L"SetTypeFlags");
    }

    // The typeinfo that a reference of the source library should point to in the output.
    ITypeInfo* Target(ITypeInfo* ref) {
        Ref<ITypeLib> lib;
        UINT index = 0;
        Check(ref->GetContainingTypeLib(&lib, &index), L"GetContainingTypeLib");
        TYPEATTR* ta = nullptr;
        Check(ref->GetTypeAttr(&ta), L"GetTypeAttr");
        GUID guid = ta->guid;
        ref->ReleaseTypeAttr(ta);
        if (ITypeInfo* foreign = Foreign(guid))
            return foreign;
        Ref<ITypeLib> same;
        UINT dummy = 0;
        Ref<ITypeInfo> probe;
        Check(src_->GetTypeInfo(0, &probe), L"GetTypeInfo");
        Check(probe->GetContainingTypeLib(&same, &dummy), L"GetContainingTypeLib");
        if (lib.p != same.p)
            return ref; // already in another library
        if (index >= created_.size() || !created_[index])
            throw Fail{L"dangling reference", E_FAIL};
        ITypeInfo* own = nullptr;
        Check(created_[index]->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&own)),
              L"ITypeInfo of a new typeinfo");
        foreign_.push_back(own);
        return own;
    }

    HREFTYPE MapRef(ITypeInfo* from, HREFTYPE href, ICreateTypeInfo* to) {
        Ref<ITypeInfo> ref;
        Check(from->GetRefTypeInfo(href, &ref), L"GetRefTypeInfo");
        HREFTYPE mapped = 0;
        Check(to->AddRefTypeInfo(Target(ref), &mapped), L"AddRefTypeInfo");
        return mapped;
    }

    // Deep copy of a TYPEDESC chain with its references remapped; storage lives in keep_.
    void MapDesc(ITypeInfo* from, TYPEDESC& desc, ICreateTypeInfo* to) {
        if (desc.vt == VT_PTR || desc.vt == VT_SAFEARRAY) {
            auto inner = std::make_unique<TYPEDESC>(*desc.lptdesc);
            MapDesc(from, *inner, to);
            desc.lptdesc = inner.get();
            keep_.push_back(std::move(inner));
        } else if (desc.vt == VT_USERDEFINED) {
            desc.hreftype = MapRef(from, desc.hreftype, to);
        } else if (desc.vt == VT_CARRAY) {
            throw Fail{L"fixed arrays are not supported", E_NOTIMPL};
        }
    }

    void Fill(UINT i) {
        ICreateTypeInfo* to = created_[i];
        Ref<ITypeInfo> info;
        Check(src_->GetTypeInfo(i, &info), L"GetTypeInfo");
        TYPEATTR* ta = nullptr;
        Check(info->GetTypeAttr(&ta), L"GetTypeAttr");
        TYPEATTR attr = *ta;
        info->ReleaseTypeAttr(ta);

        // For a dual interface the functions and the base come from its interface side.
        Ref<ITypeInfo> side;
        ITypeInfo* from = info;
        if (attr.typekind == TKIND_DISPATCH && (attr.wTypeFlags & TYPEFLAG_FDUAL)) {
            HREFTYPE h = 0;
            Check(info->GetRefTypeOfImplType(-1, &h), L"interface side");
            Check(info->GetRefTypeInfo(h, &side), L"interface side");
            from = side;
            Check(from->GetTypeAttr(&ta), L"GetTypeAttr");
            attr.cFuncs = ta->cFuncs;
            attr.cImplTypes = ta->cImplTypes;
            from->ReleaseTypeAttr(ta);
        }

        for (UINT j = 0; j < attr.cImplTypes; ++j) {
            HREFTYPE h = 0;
            Check(from->GetRefTypeOfImplType(j, &h), L"GetRefTypeOfImplType");
            Check(to->AddImplType(j, MapRef(from, h, to)), L"AddImplType");
            if (attr.typekind == TKIND_COCLASS) {
                INT flags = 0;
                Check(from->GetImplTypeFlags(j, &flags), L"GetImplTypeFlags");
                Check(to->SetImplTypeFlags(j, flags), L"SetImplTypeFlags");
            }
        }

        for (UINT f = 0; f < attr.cFuncs; ++f) {
            FUNCDESC* fd = nullptr;
            Check(from->GetFuncDesc(f, &fd), L"GetFuncDesc");
            FUNCDESC copy = *fd;
            std::vector<ELEMDESC> params(fd->lprgelemdescParam,
                                         fd->lprgelemdescParam + fd->cParams);
            std::vector<PARAMDESCEX> defaults(params.size());
            for (size_t k = 0; k < params.size(); ++k) {
                ELEMDESC& p = params[k];
                MapDesc(from, p.tdesc, to);
                // Wine's writer keeps only the low byte of a VT_BOOL default (true would read back
                // as 255); the same value as VT_I2 survives and converts back to VARIANT_TRUE.
                if ((p.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) && p.paramdesc.pparamdescex &&
                    V_VT(&p.paramdesc.pparamdescex->varDefaultValue) == VT_BOOL) {
                    defaults[k] = *p.paramdesc.pparamdescex;
                    V_VT(&defaults[k].varDefaultValue) = VT_I2;
                    V_I2(&defaults[k].varDefaultValue) =
                        V_BOOL(&p.paramdesc.pparamdescex->varDefaultValue);
                    p.paramdesc.pparamdescex = &defaults[k];
                }
            }
            MapDesc(from, copy.elemdescFunc.tdesc, to);
            copy.lprgelemdescParam = params.empty() ? nullptr : params.data();
            // Wine lays a new interface out with the pointer size of the running process; the
            // slots are given explicitly so that a 32-bit library gets 4-byte slots.
            copy.oVft = static_cast<SHORT>(fd->oVft / sizeof(void*) * ptrSize_);
            HRESULT hr = to->AddFuncDesc(f, &copy);
            MEMBERID memid = fd->memid;
            UINT nameCount = fd->cParams + 1;
            from->ReleaseFuncDesc(fd);
            Check(hr, L"AddFuncDesc");
            std::vector<BSTR> names(nameCount, nullptr);
            UINT got = 0;
            Check(from->GetNames(memid, names.data(), nameCount, &got), L"GetNames");
            hr = to->SetFuncAndParamNames(f, names.data(), got);
            for (BSTR n : names)
                SysFreeString(n);
            Check(hr, L"SetFuncAndParamNames");
            Bstr doc;
            DWORD helpContext = 0;
            Check(from->GetDocumentation(memid, nullptr, &doc, &helpContext, nullptr), L"docs");
            if (doc.s)
                Check(to->SetFuncDocString(f, doc.s), L"SetFuncDocString");
            if (helpContext)
                Check(to->SetFuncHelpContext(f, helpContext), L"SetFuncHelpContext");
        }

        for (UINT v = 0; v < attr.cVars; ++v) {
            VARDESC* vd = nullptr;
            Check(from->GetVarDesc(v, &vd), L"GetVarDesc");
            VARDESC copy = *vd;
            MapDesc(from, copy.elemdescVar.tdesc, to);
            HRESULT hr = to->AddVarDesc(v, &copy);
            MEMBERID memid = vd->memid;
            from->ReleaseVarDesc(vd);
            Check(hr, L"AddVarDesc");
            Bstr name, doc;
            Check(from->GetDocumentation(memid, &name, &doc, nullptr, nullptr), L"var names");
            Check(to->SetVarName(v, name.s), L"SetVarName");
            if (doc.s)
                Check(to->SetVarDocString(v, doc.s), L"SetVarDocString");
        }
    }

    ITypeLib* src_;
    std::vector<ITypeLib*> imports_;
    ICreateTypeLib2* dst_ = nullptr;
    ITypeInfo* dispatch_ = nullptr;
    unsigned ptrSize_ = sizeof(void*);
    std::vector<ICreateTypeInfo*> created_;
    std::vector<ITypeInfo*> foreign_; // released at exit with the process
    std::vector<std::unique_ptr<TYPEDESC>> keep_;
};

std::wstring FullPath(const wchar_t* path) {
    wchar_t full[MAX_PATH];
    return GetFullPathNameW(path, MAX_PATH, full, nullptr) ? full : path;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: tlbcomplete <widl.tlb> <out.tlb> <imported.tlb>...\n");
        return 2;
    }
    CoInitialize(nullptr);
    int rc = 0;
    try {
        Ref<ITypeLib> src;
        Check(LoadTypeLibEx(FullPath(argv[1]).c_str(), REGKIND_NONE, &src), L"loading the input");
        std::vector<ITypeLib*> imports;
        for (int i = 3; i < argc; ++i) {
            ITypeLib* lib = nullptr;
            Check(LoadTypeLibEx(FullPath(argv[i]).c_str(), REGKIND_NONE, &lib),
                  L"loading an import");
            imports.push_back(lib);
        }
        DeleteFileW(FullPath(argv[2]).c_str());
        Completer(src, imports).Run(FullPath(argv[2]).c_str());
    } catch (const Fail& f) {
        fwprintf(stderr, L"tlbcomplete: %ls failed: 0x%08lx\n", f.what,
                 static_cast<unsigned long>(f.hr));
        rc = 1;
    }
    CoUninitialize();
    return rc;
}
