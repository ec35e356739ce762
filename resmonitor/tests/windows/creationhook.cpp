// A CBT hook that Wine loads into the monitor's process: it counts each window created there
// as it is created, so the test sees every creation however fast the window goes again.

#include "creationcounts.h"

#include <cstring>

using kf::resmon::wine::CreationCounts;

namespace {

CreationCounts* counts = nullptr;
HANDLE mapping = nullptr;

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    CreationHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && counts != nullptr) {
        char name[64] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (std::strcmp(name, "ResourceMonitorChild") == 0)
            InterlockedIncrement(&counts->mdiChildren);
        else if (std::strcmp(name, "ResourceMonitorGenericWindow") == 0)
            InterlockedIncrement(&counts->genericWindows);
        else
            InterlockedIncrement(&counts->otherWindows);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kf::resmon::wine::kCreationCountsName);
        if (mapping != nullptr)
            counts = static_cast<CreationCounts*>(
                MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(CreationCounts)));
    } else if (reason == DLL_PROCESS_DETACH) {
        if (counts != nullptr)
            UnmapViewOfFile(counts);
        if (mapping != nullptr)
            CloseHandle(mapping);
    }
    return TRUE;
}
