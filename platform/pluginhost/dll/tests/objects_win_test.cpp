// pluginhost.dll's objects under Wine: workspace, targets, libraries and entries over real
// files, enumerators, the result list, the settings key regsvr32 of the plug-in wrote, the
// main window object and the registered menu service.
#include <windows.h>

#include <oleidl.h>
#include <servprov.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "KFGenericPlugin.h"
#include "kf/wintest/process.h"

namespace {

namespace fs = std::filesystem;
using kf::wintest::RunProcess;
using kf::wintest::WinePath;

const GUID SID_View = {
    0x2347a5f2, 0x0bdf, 0x4410, {0x98, 0x08, 0x42, 0x4b, 0x26, 0xd0, 0xca, 0xf7}};
const GUID SID_Shell = {
    0x3ce79670, 0xb5f1, 0x41cf, {0x8f, 0xdf, 0xb2, 0x56, 0xc2, 0x01, 0xe1, 0x21}};
const GUID SID_Workspace = {
    0x3392d3b9, 0x55db, 0x464d, {0xa8, 0xae, 0xcc, 0xab, 0xcd, 0xb2, 0x23, 0x4d}};
const GUID kMainMenu = {
    0x4d7e0101, 0xae48, 0x48ac, {0xae, 0xdf, 0xb8, 0x48, 0x87, 0xce, 0x5c, 0xe8}};
const wchar_t kMainMenuText[] = L"{4D7E0101-AE48-48AC-AEDF-B84887CE5CE8}";
const wchar_t kTranscript[] = L"pluginhost-objects.transcript";

template <class T> struct Ptr {
    T* p = nullptr;
    ~Ptr() {
        if (p)
            p->Release();
    }
    void Reset() {
        if (p)
            p->Release();
        p = nullptr;
    }
    T* operator->() const { return p; }
    T** operator&() { return &p; }
    explicit operator bool() const { return p != nullptr; }
};

// Asks an IUnknown out-value for the interface the caller wants.
template <class T> bool As(IUnknown* from, REFIID iid, Ptr<T>& to) {
    bool ok = from && SUCCEEDED(from->QueryInterface(iid, reinterpret_cast<void**>(&to)));
    if (from)
        from->Release();
    return ok;
}

struct Bstr {
    BSTR b = nullptr;
    explicit Bstr(const std::wstring& s) : b(SysAllocStringLen(s.data(), UINT(s.size()))) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(b); }
    operator BSTR() const { return b; }
    BSTR* operator&() { return &b; }
    std::wstring Text() const { return b ? std::wstring(b, SysStringLen(b)) : L""; }
};

std::string ReadAll(const fs::path& file) {
    return kf::wintest::ReadFile(file.wstring());
}

class HostObjects : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DeleteFileW(kTranscript);
        SetEnvironmentVariableW(L"KF_HOST_TRANSCRIPT", kTranscript);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        module = LoadLibraryW(L"pluginhost.dll");
    }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override {
        ASSERT_TRUE(module);
        using GetProvider = HRESULT(__stdcall*)(IUnknown**);
        auto get = reinterpret_cast<GetProvider>(
            reinterpret_cast<void*>(GetProcAddress(module, "IKFPGetServiceProvider")));
        ASSERT_TRUE(get);
        IUnknown* unknown = nullptr;
        ASSERT_EQ(get(&unknown), S_OK);
        ASSERT_TRUE(As(unknown, IID_IServiceProvider, sp));
        dir = fs::temp_directory_path() / "kf-pluginhost-objects";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    template <class T> bool Service(REFGUID sid, REFIID iid, Ptr<T>& out) {
        return SUCCEEDED(sp->QueryService(sid, iid, reinterpret_cast<void**>(&out)));
    }
    HRESULT Fixture(std::vector<const wchar_t*> words) {
        using Apply = HRESULT(__stdcall*)(LONG, const wchar_t* const*);
        auto apply = reinterpret_cast<Apply>(
            reinterpret_cast<void*>(GetProcAddress(module, "KFHostFixture")));
        return apply ? apply(LONG(words.size()), words.data()) : E_FAIL;
    }
    bool Recorded(const std::string& text) const {
        return ReadAll(kTranscript).find(text) != std::string::npos;
    }
    Ptr<IKFPWorkspace> Workspace() {
        Ptr<IKFPWorkspaceService> service;
        Ptr<IKFPWorkspace> ws;
        IUnknown* unknown = nullptr;
        if (Service(SID_Workspace, IID_IKFPWorkspaceService, service) &&
            service->GetWorkspace(&unknown) == S_OK)
            As(unknown, IID_IKFPWorkspace, ws);
        return ws;
    }

    static HMODULE module;
    Ptr<IServiceProvider> sp;
    fs::path dir;
};
HMODULE HostObjects::module = nullptr;

TEST_F(HostObjects, TargetAndLibraryFilesThroughTheWorkspace) {
    fs::create_directories(dir / "lib");
    {
        std::ofstream(dir / "sales.kft", std::ios::binary)
            << "Save Format v3.0(19990112)\r\nappname \"sales\";\r\napplib \"sales.kfl\";\r\n"
               "liblist \"sales.kfl\";\r\ntype \"kf\";\r\n";
        std::ofstream(dir / "sales.kfl", std::ios::binary)
            << "kf-library 1\nentry \"sales.sra\" \"application\" \"\"\n"
               "entry \"w_main.srw\" \"window\" \"\"\n";
    }
    auto ws = Workspace();
    ASSERT_TRUE(ws);
    Bstr path(dir.wstring() + L"\\sales.kft");
    IUnknown* unknown = nullptr;
    Ptr<IKFPTarget> target;
    ASSERT_EQ(ws->AttachTarget(path, &unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IKFPTarget, target));

    Bstr applib, name;
    EXPECT_EQ(target->GetProperty(Bstr(L"applib"), &applib), S_OK);
    EXPECT_EQ(applib.Text(), L"sales.kfl");
    EXPECT_EQ(target->SetAttribute(Bstr(L"oompath"), path, Bstr(L"C:\\m\\sales.oom")), S_OK);
    Bstr lib(dir.wstring() + L"\\lib\\orders.kfl");
    EXPECT_EQ(target->AddLibrary(lib, 1), S_OK);
    EXPECT_EQ(target->SetLibrarySearchPath(Bstr(L"C:\\a;C:\\b")), S_OK);
    EXPECT_EQ(target->SetProperty(Bstr(L"liblist"), Bstr(L"sales.kfl;lib\\orders.kfl")), S_OK);
    EXPECT_EQ(target->Rebuild(1), S_OK);
    EXPECT_EQ(target->GetFileName(&name), S_OK);
    EXPECT_EQ(fs::path(name.Text()), dir / "sales.kft");
    std::string file = ReadAll(dir / "sales.kft");
    EXPECT_NE(file.find("attribute \"oompath\" \"C:\\\\m\\\\sales.oom\";\r\n"), std::string::npos)
        << file;
    EXPECT_NE(file.find("liblist \"sales.kfl;lib\\\\orders.kfl\";\r\n"), std::string::npos);
    EXPECT_NE(file.find("searchpath \"C:\\\\a;C:\\\\b\";\r\n"), std::string::npos);
    EXPECT_EQ(ReadAll(dir / "lib" / "orders.kfl").rfind("kf-library 1", 0), 0u);

    // The same target object state through OpenTarget; the attribute reads back.
    Ptr<IKFPTarget> opened;
    ASSERT_EQ(ws->OpenTarget(path, &unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IKFPTarget, opened));
    Bstr oom;
    EXPECT_EQ(opened->GetAttribute(Bstr(L"OOMPATH"), path, &oom), S_OK);
    EXPECT_EQ(oom.Text(), L"C:\\m\\sales.oom");
    EXPECT_EQ(ws->OpenTarget(Bstr(dir.wstring() + L"\\none.kft"), &unknown), E_FAIL);
    EXPECT_EQ(unknown, nullptr);

    // FindLibrary: listed (ignoring case) or not.
    EXPECT_EQ(target->FindLibrary(Bstr(dir.wstring() + L"\\SALES.KFL"), &unknown), S_OK);
    Ptr<IKFPLibrary> found;
    ASSERT_TRUE(As(unknown, IID_IKFPLibrary, found));
    EXPECT_EQ(target->FindLibrary(Bstr(dir.wstring() + L"\\other.kfl"), &unknown), S_FALSE);
    EXPECT_EQ(unknown, nullptr);
    EXPECT_TRUE(Recorded("host: SetAttribute \"oompath\""));
    EXPECT_TRUE(Recorded("host: Rebuild "));
}

TEST_F(HostObjects, EnumeratorsHandOutOneItemPerNext) {
    {
        std::ofstream(dir / "t.kft", std::ios::binary)
            << "Save Format v3.0(19990112)\r\nliblist \"a.kfl;b.kfl\";\r\n";
        std::ofstream(dir / "a.kfl", std::ios::binary)
            << "kf-library 1\nentry \"app.sra\" \"application\" \"\"\n"
               "entry \"w_main.srw\" \"window\" \"\"\n";
        std::ofstream(dir / "b.kfl", std::ios::binary) << "kf-library 1\nentry \"broken\n";
    }
    auto ws = Workspace();
    ASSERT_TRUE(ws);
    IUnknown* unknown = nullptr;
    Ptr<IKFPTarget> target;
    ASSERT_EQ(ws->OpenTarget(Bstr(dir.wstring() + L"\\t.kft"), &unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IKFPTarget, target));
    Ptr<IKFPEnumLibraries> libraries;
    ASSERT_EQ(target->GetLibraries(&unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IKFPEnumLibraries, libraries));

    std::vector<std::wstring> paths;
    std::vector<std::wstring> entries;
    for (;;) {
        IKFPLibrary* library = nullptr;
        HRESULT hr = libraries->Next(&library);
        if (hr == S_FALSE) {
            EXPECT_EQ(library, nullptr);
            break;
        }
        ASSERT_EQ(hr, S_OK);
        Bstr path;
        library->GetPath(&path);
        paths.push_back(fs::path(path.Text()).filename().wstring());
        HRESULT got = library->GetEntries(&unknown);
        Ptr<IKFPEnumEntries> list;
        if (paths.back() == L"b.kfl") {
            EXPECT_EQ(got, E_FAIL); // malformed: no entries, the line is recorded
            EXPECT_EQ(unknown, nullptr);
        } else if (got == S_OK && As(unknown, IID_IKFPEnumEntries, list)) {
            IKFPEntry* entry = nullptr;
            while (list->Next(&entry) == S_OK) {
                Bstr n, t;
                entry->GetName(&n);
                entry->GetTypeText(&t);
                entries.push_back(n.Text() + L"|" + t.Text());
                entry->Release();
            }
            EXPECT_EQ(entry, nullptr);
            EXPECT_EQ(list->Next(&entry), S_FALSE); // stays at the end
        }
        library->Release();
    }
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"a.kfl", L"b.kfl"}));
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"app.sra|application", L"w_main.srw|window"}));
    EXPECT_EQ(libraries->Reset(), S_OK);
    IKFPLibrary* first = nullptr;
    EXPECT_EQ(libraries->Next(&first), S_OK);
    if (first)
        first->Release();
    EXPECT_EQ(libraries->Next(nullptr), E_POINTER);
    EXPECT_TRUE(Recorded("b.kfl:2"));
}

TEST_F(HostObjects, CommandsWorkspaceResultListAndMainWindow) {
    ASSERT_EQ(Fixture({L"painters", L"2"}), S_OK);
    EXPECT_EQ(Fixture({L"painters", L"two"}), E_INVALIDARG);
    auto ws = Workspace();
    ASSERT_TRUE(ws);
    LONG result = -1;
    EXPECT_EQ(ws->ExecuteCommand(1084, 0, nullptr, &result), S_OK);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(ws->ExecuteCommand(1033, 2, nullptr, &result), S_OK);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ws->ExecuteCommand(1099, 0, Bstr(L"kfl://?type=window"), &result), S_OK);
    EXPECT_TRUE(Recorded("host: ExecuteCommand 1084 0 \"\" -> 2"));
    EXPECT_TRUE(Recorded("host: ExecuteCommand 1033 2 \"\" -> 0"));
    EXPECT_TRUE(Recorded("host: ExecuteCommand 1099 0 \"kfl://?type=window\" -> 0"));

    // No open workspace: GetWorkspace fails, as generation from the editor expects.
    ASSERT_EQ(Fixture({L"workspace", L"none"}), S_OK);
    EXPECT_FALSE(Workspace());
    ASSERT_EQ(Fixture({L"workspace", L"open"}), S_OK);

    Ptr<IKFPShellService> shell;
    ASSERT_TRUE(Service(SID_Shell, IID_IKFPShellService, shell));
    IUnknown* unknown = nullptr;
    Ptr<IKFPResultList> list;
    ASSERT_EQ(shell->GetResultList(Bstr(L"Default"), Bstr(L""), &unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IKFPResultList, list));
    list->Begin(Bstr(L"Check Model"), Bstr(L"C:\\m\\sales.oom"));
    list->SetSummary(Bstr(L"Check Model"), Bstr(L"1 Error(s)"));
    list->AddItem(Bstr(L"app: bad"), Bstr(L"kfp://?action=plugin&cmdid=30007"));
    list->Show();
    list->End();
    std::string all = ReadAll(kTranscript);
    EXPECT_NE(all.find("result: Begin \"Default\" \"Check Model\" \"C:\\\\m\\\\sales.oom\"\n"
                       "result: SetSummary \"Check Model\" \"1 Error(s)\"\n"
                       "result: AddItem \"app: bad\" \"kfp://?action=plugin&cmdid=30007\"\n"
                       "result: Show\nresult: End\n"),
              std::string::npos)
        << all;

    // What an editor factory's CanOpen asks: file types of its view, then their extensions.
    const GUID SID_FileTypes = {
        0xf2ea725e, 0x5d77, 0x4b9e, {0xbc, 0x43, 0xef, 0x91, 0x5b, 0xb9, 0xf9, 0xc3}};
    const GUID SID_Extensions = {
        0x1da77c5a, 0x5502, 0x4712, {0x8a, 0x6d, 0xed, 0x3a, 0xb5, 0xac, 0x8b, 0x91}};
    Ptr<IKFPFileTypeService> types;
    Ptr<IKFPExtensionService> extensions;
    ASSERT_TRUE(Service(SID_FileTypes, IID_IKFPFileTypeService, types));
    ASSERT_TRUE(Service(SID_Extensions, IID_IKFPExtensionService, extensions));
    Bstr typeList, extensionList;
    EXPECT_EQ(types->GetViewFileTypes(Bstr(L"Draftora.OOM"), &typeList), S_OK);
    EXPECT_EQ(extensions->GetTypeExtensions(typeList, &extensionList), S_OK);
    EXPECT_EQ(extensionList.Text(), L".oom");

    Ptr<IKFPViewService> view;
    ASSERT_TRUE(Service(SID_View, IID_IKFPViewService, view));
    Ptr<IOleWindow> main;
    ASSERT_EQ(view->GetMainWindowObject(&unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IOleWindow, main));
    HWND window = nullptr;
    EXPECT_EQ(main->GetWindow(&window), S_OK);
    EXPECT_TRUE(IsWindow(window));
}

// Registration writes the defaults; the registry root opens that key; a key that is not
// there is not opened.
TEST_F(HostObjects, SettingsKeyReadsWhatRegistrationWrote) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins");
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + WinePath(KF_MODELBRIDGE_DLL) + L"\""), 0);
    Ptr<IKFPViewService> view;
    ASSERT_TRUE(Service(SID_View, IID_IKFPViewService, view));
    IUnknown* unknown = nullptr;
    Ptr<IKFPRegistryRoot> root;
    ASSERT_EQ(view->GetRegistryRoot(&unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IKFPRegistryRoot, root));
    Ptr<IKFPSettingsKey> key;
    ASSERT_EQ(root->OpenKey(Bstr(L"KFPlugins\\Draftora 10"), &unknown), S_OK);
    ASSERT_TRUE(As(unknown, IID_IKFPSettingsKey, key));
    LONG value = -1;
    EXPECT_EQ(key->ReadDword(Bstr(L"AutoOpenFiles"), &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(key->ReadDword(Bstr(L"AutoSync"), &value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(FAILED(key->ReadDword(Bstr(L"TestCodeGen"), &value)));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(key->WriteDword(Bstr(L"TestCodeGen"), 1), S_OK);
    EXPECT_EQ(key->WriteString(Bstr(L"Model1"), Bstr(L"C:\\m\\sales.oom")), S_OK);
    Bstr model;
    EXPECT_EQ(key->ReadString(Bstr(L"Model1"), &model), S_OK);
    EXPECT_EQ(model.Text(), L"C:\\m\\sales.oom");
    EXPECT_EQ(key->ReadDword(Bstr(L"TestCodeGen"), &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(root->OpenKey(Bstr(L"KFPlugins\\Nothing"), &unknown),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(unknown, nullptr);
    EXPECT_TRUE(Recorded("host: ReadDword \"AutoOpenFiles\" -> 1"));
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u \"" + WinePath(KF_MODELBRIDGE_DLL) + L"\""), 0);
    // Later tests in this prefix compare the registry with a clean registration.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins");
}

// An owner-drawn item with its record, as the plug-in hands menus over.
void AddRecordItem(HMENU menu, LONG command, const wchar_t* caption, bool image) {
    auto* r = static_cast<KFPMenuItemRecord*>(CoTaskMemAlloc(sizeof(KFPMenuItemRecord)));
    *r = {};
    r->commandId = command;
    r->caption = caption ? SysAllocString(caption) : nullptr;
    if (image)
        r->image = static_cast<unsigned long>(
            reinterpret_cast<ULONG_PTR>(CreateBitmap(16, 16, 1, 32, nullptr)));
    AppendMenuW(menu, MF_OWNERDRAW, UINT_PTR(command), reinterpret_cast<LPCWSTR>(r));
}

TEST_F(HostObjects, MenuServiceKeepsPrintsAndFreesMenus) {
    Ptr<IKFPMenuRegistration> reg;
    ASSERT_EQ(CoCreateInstance(CLSID_KFPMenuService, nullptr, CLSCTX_ALL, IID_IKFPMenuRegistration,
                               reinterpret_cast<void**>(&reg)),
              S_OK);
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AddRecordItem(popup, 30011, L"Open Draftora Workspace", true);
    AddRecordItem(popup, 0, nullptr, false); // separator
    AppendMenuW(popup, MF_STRING, 30012, L"Plug-in Options");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Draftora");
    ASSERT_EQ(reg->RegisterMenu(nullptr, bar, kMainMenu, 0), S_OK);
    EXPECT_EQ(reg->RegisterMenu(nullptr, nullptr, kMainMenu, 0), E_INVALIDARG);

    // A set released without handing over frees its own menus.
    HMENU orphan = CreatePopupMenu();
    {
        Ptr<IKFPMenuRegistration> other;
        ASSERT_EQ(CoCreateInstance(CLSID_KFPMenuService, nullptr, CLSCTX_ALL,
                                   IID_IKFPMenuRegistration, reinterpret_cast<void**>(&other)),
                  S_OK);
        AddRecordItem(orphan, 1, L"x", false);
        other->RegisterMenu(nullptr, orphan, kMainMenu, 0);
    }
    EXPECT_FALSE(IsMenu(orphan));

    Ptr<IKFPMenuSet> set;
    ASSERT_EQ(reg->QueryInterface(IID_IKFPMenuSet, reinterpret_cast<void**>(&set)), S_OK);
    LONG count = 0;
    EXPECT_EQ(set->GetCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    HMENU got = nullptr;
    EXPECT_EQ(set->GetItem(0, &got), S_OK);
    EXPECT_EQ(got, bar);
    EXPECT_EQ(set->GetItem(1, &got), E_INVALIDARG);
    EXPECT_EQ(set->Detach(), S_OK);
    reg.Reset();
    set.Reset();
    EXPECT_TRUE(IsMenu(bar)); // the host owns it now

    using Dump = HRESULT(__stdcall*)(const wchar_t*);
    using Free = HRESULT(__stdcall*)();
    auto dump =
        reinterpret_cast<Dump>(reinterpret_cast<void*>(GetProcAddress(module, "KFHostDumpMenus")));
    auto freeMenus =
        reinterpret_cast<Free>(reinterpret_cast<void*>(GetProcAddress(module, "KFHostFreeMenus")));
    ASSERT_TRUE(dump && freeMenus);
    EXPECT_EQ(dump(kMainMenuText), S_OK);
    EXPECT_EQ(freeMenus(), S_OK);
    EXPECT_FALSE(IsMenu(bar));
    std::string all = ReadAll(kTranscript);
    EXPECT_NE(all.find("menu: popup \"Draftora\"\nmenu:   30011 \"Open Draftora Workspace\"\n"
                       "menu:   separator\nmenu:   30012 \"Plug-in Options\"\n"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("host: FreeMenus 1\n"), std::string::npos) << all;
}

} // namespace
