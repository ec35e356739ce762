// The registered type library read back through ITypeLib and ITypeInfo, and late-bound
// calls through IDispatch on a callback class.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <map>
#include <string>
#include <vector>

#include "kf/model/classtable.h"
#include "modelbridge.h"
#include "winsupport.h"

namespace kf::model::wintest {
namespace {

std::string Utf8(const wchar_t* text) {
    return text ? testing::ToUtf8(U16(text)) : std::string();
}

class TypeLibTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadRegTypeLib(LIBID_KFDRAFTORAPLUGINLib, 10, 0, 0, &lib_), S_OK);
    }
    void TearDown() override {
        if (lib_)
            lib_->Release();
    }

    ITypeInfo* Info(const GUID& guid) {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(lib_->GetTypeInfoOfGuid(guid, &info), S_OK);
        infos_.push_back(info);
        return info;
    }
    ITypeInfo* ByName(const wchar_t* name) {
        for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
            BSTR n = nullptr;
            lib_->GetDocumentation(i, &n, nullptr, nullptr, nullptr);
            bool match = n && wcscmp(n, name) == 0;
            SysFreeString(n);
            if (match) {
                ITypeInfo* info = nullptr;
                lib_->GetTypeInfo(i, &info);
                infos_.push_back(info);
                return info;
            }
        }
        ADD_FAILURE() << "no type " << Utf8(name);
        return nullptr;
    }
    static std::string Doc(ITypeInfo* info, MEMBERID id, std::string* helpString = nullptr) {
        BSTR name = nullptr, doc = nullptr;
        info->GetDocumentation(id, &name, &doc, nullptr, nullptr);
        std::string result = Utf8(name);
        if (helpString)
            *helpString = Utf8(doc);
        SysFreeString(name);
        SysFreeString(doc);
        return result;
    }
    // The vtable side of a dual interface.
    ITypeInfo* Side(ITypeInfo* dual) {
        HREFTYPE ref = 0;
        EXPECT_EQ(dual->GetRefTypeOfImplType(-1, &ref), S_OK);
        ITypeInfo* side = nullptr;
        EXPECT_EQ(dual->GetRefTypeInfo(ref, &side), S_OK);
        infos_.push_back(side);
        return side;
    }

    struct Method {
        std::string name;
        MEMBERID id;
        std::string help;
        std::vector<std::string> params; // name, then ":out" / ":retval" / "=default"
    };
    std::vector<Method> Methods(ITypeInfo* side) {
        std::vector<Method> methods;
        TYPEATTR* attr = nullptr;
        side->GetTypeAttr(&attr);
        for (UINT f = 0; f < attr->cFuncs; ++f) {
            FUNCDESC* fd = nullptr;
            side->GetFuncDesc(f, &fd);
            Method m;
            m.id = fd->memid;
            m.name = Doc(side, fd->memid, &m.help);
            BSTR names[16] = {};
            UINT got = 0;
            side->GetNames(fd->memid, names, 16, &got);
            for (SHORT p = 0; p < fd->cParams; ++p) {
                const PARAMDESC& pd = fd->lprgelemdescParam[p].paramdesc;
                std::string text = p + 1 < static_cast<SHORT>(got) ? Utf8(names[p + 1]) : "?";
                if (pd.wParamFlags & PARAMFLAG_FOUT)
                    text += ":out";
                if (pd.wParamFlags & PARAMFLAG_FRETVAL)
                    text += ":retval";
                if (pd.wParamFlags & PARAMFLAG_FHASDEFAULT) {
                    VARIANT value;
                    VariantInit(&value);
                    VariantChangeType(&value, &pd.pparamdescex->varDefaultValue, 0, VT_BSTR);
                    text += "=" + Utf8(V_BSTR(&value));
                    VariantClear(&value);
                }
                m.params.push_back(text);
            }
            for (UINT n = 0; n < got; ++n)
                SysFreeString(names[n]);
            side->ReleaseFuncDesc(fd);
            methods.push_back(m);
        }
        side->ReleaseTypeAttr(attr);
        return methods;
    }

    ITypeLib* lib_ = nullptr;
    std::vector<ITypeInfo*> infos_;

public:
    ~TypeLibTest() override {
        for (ITypeInfo* info : infos_)
            if (info)
                info->Release();
    }
};

TEST_F(TypeLibTest, LibraryAttributes) {
    BSTR name = nullptr, doc = nullptr;
    ASSERT_EQ(lib_->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(Utf8(name), "KFDRAFTORAPLUGINLib");
    EXPECT_EQ(Utf8(doc), "Kestrelforge Draftora Plugin Type Library");
    SysFreeString(name);
    SysFreeString(doc);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->wMajorVerNum, 10);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    lib_->ReleaseTLibAttr(attr);
}

TEST_F(TypeLibTest, Enums) {
    const std::map<std::wstring, std::vector<std::pair<std::string, long>>> expected = {
        {L"StatusBarPaneStyles",
         {{"sbp_Default", 0}, {"sbp_NoBorder", 1}, {"sbp_PopOut", 2}, {"sbp_AutoAdjust", 4}}},
        {L"EventHandlerKind",
         {{"evnt_CanCreate", 1}, {"evnt_Initialize", 2}, {"evnt_DoubleClick", 3}}},
    };
    for (const auto& [name, values] : expected) {
        ITypeInfo* info = ByName(name.c_str());
        ASSERT_TRUE(info);
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        EXPECT_EQ(attr->typekind, TKIND_ENUM);
        ASSERT_EQ(attr->cVars, values.size());
        info->ReleaseTypeAttr(attr);
        for (UINT v = 0; v < values.size(); ++v) {
            VARDESC* vd = nullptr;
            info->GetVarDesc(v, &vd);
            EXPECT_EQ(Doc(info, vd->memid), values[v].first);
            EXPECT_EQ(V_I4(vd->lpvarValue), values[v].second);
            info->ReleaseVarDesc(vd);
        }
    }
}

struct InterfaceCase {
    const IID* iid;
    bool hidden;
    std::vector<std::string> methods; // "Name id help | param param ..."
};

std::string Describe(const std::string& name, MEMBERID id, const std::string& help,
                     const std::vector<std::string>& params) {
    char buf[16];
    snprintf(buf, sizeof buf, "%lx", static_cast<unsigned long>(id));
    std::string text = name + " " + buf + (help.empty() ? "" : " \"" + help + "\"") + " |";
    for (const auto& p : params)
        text += " " + p;
    return text;
}

// VARIANT_BOOL defaults read back as the numbers -1 and 0 (stored as VT_I2, see
// tools/tlbcomplete.cpp); both convert to VARIANT_TRUE and VARIANT_FALSE.
TEST_F(TypeLibTest, CallbackInterfacesCarryTheirDispatchIdsDefaultsAndHelpStrings) {
    const std::vector<InterfaceCase> cases = {
        {&IID__IShellCallBack, true, {"OnViewOpen 5001001 | viewActiveX"}},
        {&IID__IShellStatusBar,
         true,
         {"InsertPane 5002001 | index=-1 width=0 style=0", "DeletePane 5002002 | index=-1",
          "GetPaneCount 5002003 | count:out:retval",
          "SetPaneText 5002004 | index=-1 text= update=-1",
          "SetPaneStyle 5002005 | index=-1 style=0"}},
        {&IID__IShellProgressBar,
         true,
         {"StartProgress 5003001 | canBeCanceled=0", "EndProgress 5003002 |", "Canceled 5003003 |",
          "SetPos 5003004 | pos", "SetText 5003005 | text", "SetText2 5003006 | text",
          "SetStatus 5003007 | low high pos=-1 text text2 barcolor=4294967295 "
          "backcolor=4294967295"}},
        {&IID__IShellOutput,
         true,
         {"OnNewTab 5004001 | tabId tabName", "OnAddText 5004003 | tabId text",
          "OnClear 5004004 | tabId", "OnAutoActiveTab 5004002 | tabId",
          "OnSetTabStops 5004005 | tabId tabStopCount tabStopArray"}},
        {&IID_IDRAttributeEventSink,
         false,
         {"OnAttributeChange 1 \"OnAttributeChange\" | obj dispid"}},
        {&IID_IDRCollectionEventSink,
         false,
         {"OnCollectionInsert 1 \"OnCollectionInsert\" | obj dispid o pos",
          "OnCollectionRemove 2 \"OnCollectionRemove\" | obj dispid o"}},
        {&IID_IDRWorkspaceEventSink,
         false,
         {"OnOpenModel 1 \"OnOpenModel\" | model", "OnCloseModel 2 \"OnCloseModel\" | model"}},
        {&IID_IDRLayoutManager,
         false,
         {"RefreshLayout 1 \"Layout refresh notification\" |",
          "RefreshCommandState 2 \"Command state refresh notification\" | sXMLCommandStateDesc"}},
        {&IID_IDRAddInMenuProvider,
         false,
         {"ProvideMenuItems 1 \"Provide the application with a description of the menu in XML "
          "format\" | sMenu pObject sXMLMenuItems:out:retval",
          "IsCommandSupported 2 \"Determines whether a menu command is supported, in order to "
          "enable/disable the command in the menu\" | sMenu pObject sCommandName "
          "bSupported:out:retval",
          "DoCommand 3 \"Execute a menu command\" | sMenu pObject sCommandName"}},
        {&IID_IDRModelCodeSyncManager,
         false,
         {"RefreshCode 1 \"Code refresh notification\" | pObject",
          "RefreshFilename 2 \"Filename refresh notification\" | pObject sFilename"}},
        {&IID_IDRObjectEventHandler,
         false,
         {"HandleEvent 1 \"Handle an object event\" | pObject event parameters"}},
        {&IID_IKFPDRService,
         false,
         {"ReverseEngineer 1 | bstrTargetPath",
          "OpenDiagram 2 | bstrOOMPath bstrLibraryPath ppDiagram:out",
          "FindInDiagram 3 | bstrOOMPath bstrLibraryPath bstrObjectName", "NewModel 4 | lModelKind",
          "CodeGeneration 5 |", "CheckModel 6 |", "KFCheckModel 7 |",
          "GetPlugout 8 | ppUnk:out:retval"}},
    };
    for (const InterfaceCase& c : cases) {
        ITypeInfo* dual = Info(*c.iid);
        ASSERT_TRUE(dual);
        TYPEATTR* attr = nullptr;
        dual->GetTypeAttr(&attr);
        const std::string name = Doc(dual, MEMBERID_NIL);
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL) << name;
        EXPECT_EQ((attr->wTypeFlags & TYPEFLAG_FHIDDEN) != 0, c.hidden) << name;
        dual->ReleaseTypeAttr(attr);
        std::vector<std::string> got;
        for (const Method& m : Methods(Side(dual)))
            got.push_back(Describe(m.name, m.id, m.help, m.params));
        EXPECT_EQ(got, c.methods) << name;
    }
    std::string help;
    Doc(Info(IID_IKFPDRService), MEMBERID_NIL, &help);
    EXPECT_EQ(help, "IKFPDRService Interface");
}

TEST_F(TypeLibTest, CoclassesWithHelpStringsAndDefaultInterfaces) {
    for (const ClassEntry& entry : kClassTable) {
        CLSID clsid{};
        std::u16string text = ClassIdText(entry);
        CLSIDFromString(reinterpret_cast<LPCOLESTR>(text.c_str()), &clsid);
        ITypeInfo* info = Info(clsid);
        ASSERT_TRUE(info) << testing::ToUtf8(entry.name);
        std::string help;
        EXPECT_EQ(Doc(info, MEMBERID_NIL, &help), testing::ToUtf8(entry.name));
        EXPECT_EQ(help, testing::ToUtf8(ClassDescription(entry)));
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        EXPECT_EQ(attr->typekind, TKIND_COCLASS);
        ASSERT_EQ(attr->cImplTypes, 1);
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
        info->ReleaseTypeAttr(attr);
        INT flags = 0;
        info->GetImplTypeFlags(0, &flags);
        EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
        HREFTYPE ref = 0;
        info->GetRefTypeOfImplType(0, &ref);
        ITypeInfo* def = nullptr;
        ASSERT_EQ(info->GetRefTypeInfo(ref, &def), S_OK) << testing::ToUtf8(entry.name);
        infos_.push_back(def);
        ITypeLib* home = nullptr;
        UINT index = 0;
        def->GetContainingTypeLib(&home, &index);
        TLIBATTR* la = nullptr;
        home->GetLibAttr(&la);
        const GUID homeId = la->guid;
        home->ReleaseTLibAttr(la);
        home->Release();
        TYPEATTR* da = nullptr;
        def->GetTypeAttr(&da);
        const GUID iid = da->guid;
        def->ReleaseTypeAttr(da);

        if (IsFactory(entry.kind)) {
            EXPECT_EQ(iid, IID_IKFPViewFactory) << testing::ToUtf8(entry.name);
            EXPECT_EQ(homeId, LIBID_KFGenericPluginLib) << "from the host library";
        } else if (IsControl(entry.kind)) {
            EXPECT_EQ(iid, IID_IDispatch) << testing::ToUtf8(entry.name);
            EXPECT_NE(homeId, LIBID_KFDRAFTORAPLUGINLib) << "from the standard OLE library";
        } else {
            static const std::map<std::u16string_view, std::string> kOwn = {
                {u"KFPDRService", "IKFPDRService"},
                {u"KFPShellCallBack", "_IShellCallBack"},
                {u"KFPShellStatusBar", "_IShellStatusBar"},
                {u"KFPShellProgressBar", "_IShellProgressBar"},
                {u"KFPWorkspaceEventSink", "IDRWorkspaceEventSink"},
                {u"KFPLayoutManager", "IDRLayoutManager"},
                {u"KFPAddInMenuProvider", "IDRAddInMenuProvider"},
                {u"KFPModelCodeSyncManager", "IDRModelCodeSyncManager"},
                {u"KFPObjectEventHandler", "IDRObjectEventHandler"},
                {u"KFPAttributeEventSink", "IDRAttributeEventSink"},
                {u"KFPCollectionEventSink", "IDRCollectionEventSink"},
            };
            EXPECT_EQ(homeId, LIBID_KFDRAFTORAPLUGINLib) << testing::ToUtf8(entry.name);
            EXPECT_EQ(Doc(def, MEMBERID_NIL), kOwn.at(entry.name));
        }
    }
}

// Late binding on a callback class: names resolve without regard to case, the type
// library's defaults fill missing arguments, and the method's E_NOTIMPL comes back as the
// exception's code.
TEST_F(TypeLibTest, DispatchOnACallbackClass) {
    IDispatch* bar = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_KFPShellStatusBar, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IDispatch, reinterpret_cast<void**>(&bar)),
              S_OK);
    UINT count = 0;
    EXPECT_EQ(bar->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(bar->GetTypeInfo(0, 0, &info), S_OK);
    infos_.push_back(info);
    EXPECT_EQ(Doc(info, MEMBERID_NIL), "_IShellStatusBar");

    struct NameCase {
        const wchar_t* name;
        HRESULT hr;
        DISPID id;
    };
    for (const NameCase& c :
         {NameCase{L"InsertPane", S_OK, 0x05002001}, NameCase{L"setpanetext", S_OK, 0x05002004},
          NameCase{L"GETPANECOUNT", S_OK, 0x05002003},
          NameCase{L"NoSuchMethod", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN}}) {
        LPOLESTR name = const_cast<LPOLESTR>(c.name);
        DISPID id = 0;
        EXPECT_EQ(bar->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), c.hr) << Utf8(c.name);
        EXPECT_EQ(id, c.id) << Utf8(c.name);
    }

    // No arguments: the defaults make the call complete, so it reaches the method.
    DISPPARAMS none{};
    EXCEPINFO error{};
    UINT argError = 0;
    HRESULT hr =
        bar->Invoke(0x05002001, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &error, &argError);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(error.scode, E_NOTIMPL);
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);

    // SetPos has no default: leaving its argument out is refused before the call.
    ITypeInfo* progressInfo = nullptr;
    IDispatch* progress = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_KFPShellProgressBar, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IDispatch, reinterpret_cast<void**>(&progress)),
              S_OK);
    hr = progress->Invoke(0x05003004, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                          &argError);
    EXPECT_TRUE(hr == DISP_E_PARAMNOTOPTIONAL || hr == DISP_E_BADPARAMCOUNT) << std::hex << hr;
    EXPECT_EQ(
        progress->Invoke(0x7777, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, &argError),
        DISP_E_MEMBERNOTFOUND);
    progress->Release();
    (void)progressInfo;
    bar->Release();
}

TEST_F(TypeLibTest, ServiceAndControlsDispatchThroughTheirInterfaces) {
    struct Case {
        const CLSID* clsid;
        const char* typeName;
        const wchar_t* member;
    };
    for (const Case& c : {Case{&CLSID_KFPDRService, "IKFPDRService", L"checkmodel"},
                          Case{&CLSID_KFPOOMFactory, "IKFPViewFactory", L"CanOpen"},
                          Case{&CLSID_KFPModelView, "IKFPView", L"GetCaption"}}) {
        IDispatch* object = nullptr;
        ASSERT_EQ(CoCreateInstance(*c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&object)),
                  S_OK);
        ITypeInfo* info = nullptr;
        ASSERT_EQ(object->GetTypeInfo(0, 0, &info), S_OK) << c.typeName;
        infos_.push_back(info);
        EXPECT_EQ(Doc(info, MEMBERID_NIL), c.typeName);
        LPOLESTR name = const_cast<LPOLESTR>(c.member);
        DISPID id = 0;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK) << c.typeName;
        object->Release();
    }
}

} // namespace
} // namespace kf::model::wintest
