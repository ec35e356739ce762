// regtlb <file.tlb> [/u]: registers or unregisters a type library file. The Wine tests
// register the host framework's type library with it before they register the plug-in,
// whose type library imports it.
#include <windows.h>

#include <oleauto.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && _wcsicmp(argv[2], L"/u") != 0)) {
        fwprintf(stderr, L"usage: regtlb <file.tlb> [/u]\n");
        return 2;
    }
    wchar_t full[MAX_PATH];
    if (!GetFullPathNameW(argv[1], MAX_PATH, full, nullptr))
        return 1;
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadTypeLibEx(full, REGKIND_NONE, &lib);
    if (SUCCEEDED(hr)) {
        if (argc == 2) {
            hr = RegisterTypeLib(lib, full, nullptr);
        } else {
            TLIBATTR* attr = nullptr;
            hr = lib->GetLibAttr(&attr);
            if (SUCCEEDED(hr)) {
                hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                       attr->lcid, attr->syskind);
                lib->ReleaseTLibAttr(attr);
            }
        }
        lib->Release();
    }
    if (FAILED(hr))
        fwprintf(stderr, L"regtlb: %ls: error 0x%08lx\n", full, static_cast<unsigned long>(hr));
    return FAILED(hr) ? 1 : 0;
}
