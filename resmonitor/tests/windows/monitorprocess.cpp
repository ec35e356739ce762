#include "monitorprocess.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace kf::resmon::wine {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        throw std::runtime_error(std::string(name) + " is not set");
    return WindowsPath(value);
}

std::string NewFolder(const char* tag) {
    static std::atomic<int> serial{0};
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "kfresmon-" + tag + "-" +
                         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/')
        return path;
    std::string converted = "Z:" + path;
    for (char& c : converted)
        if (c == '/')
            c = '\\';
    return converted;
}

void SetWineAppDefaults(const std::string& version) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\resmonitor.exe", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open the Wine application settings");
    if (version.empty())
        RegDeleteValueA(key, "Version");
    else
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);

    // Without a window manager on the test display, Wine draws captions itself only for
    // windows it does not hand to one.
    if (RegCreateKeyExA(HKEY_CURRENT_USER,
                        "Software\\Wine\\AppDefaults\\resmonitor.exe\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (version.empty())
        RegDeleteValueA(key, "Managed");
    else
        RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
}

CreationCounter::CreationCounter(DWORD threadId) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(CreationCounts), kCreationCountsName);
    if (mapping_ == nullptr)
        throw std::runtime_error("cannot create the shared creation counts");
    counts_ = static_cast<CreationCounts*>(
        MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(CreationCounts)));
    counts_->mdiChildren = 0;
    counts_->genericWindows = 0;
    counts_->otherWindows = 0;

    // The hook library lies beside this program.
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string library(path, length);
    library = library.substr(0, library.rfind('\\') + 1) + "resmon_creationhook.dll";
    hookLibrary_ = LoadLibraryA(library.c_str());
    auto proc = hookLibrary_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                   GetProcAddress(hookLibrary_, "CreationHookProc")))
                             : nullptr;
    if (proc != nullptr)
        hook_ = SetWindowsHookExA(WH_CBT, proc, hookLibrary_, threadId);
    if (hook_ == nullptr)
        throw std::runtime_error("cannot hook the monitor's window creation");
}

CreationCounter::~CreationCounter() {
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    if (hookLibrary_ != nullptr)
        FreeLibrary(hookLibrary_);
    if (counts_ != nullptr)
        UnmapViewOfFile(counts_);
    if (mapping_ != nullptr)
        CloseHandle(mapping_);
}

int CreationCounter::mdiChildren() const {
    return counts_->mdiChildren;
}

int CreationCounter::genericWindows() const {
    return counts_->genericWindows;
}

int CreationCounter::total() const {
    return counts_->mdiChildren + counts_->genericWindows + counts_->otherWindows;
}

MonitorProcess::MonitorProcess(const Options& options) {
    SetWineAppDefaults(options.version);
    folder_ = NewFolder("exe");
    std::string exe = folder_ + "\\resmonitor.exe";
    if (!CopyFileA(Env("KF_RESMONITOR_EXE").c_str(), exe.c_str(), FALSE))
        throw std::runtime_error("cannot copy resmonitor.exe");
    if (options.withResourceMeter &&
        !CopyFileA(Env("KF_RSRC32_DLL").c_str(), (folder_ + "\\RSRC32.DLL").c_str(), FALSE))
        throw std::runtime_error("cannot copy RSRC32.DLL");
    if (!options.settings.empty())
        WriteFile(folder_ + "\\KFRESMON.INI", options.settings);

    // The current directory holds settings that would make every check pass without
    // creating anything; they must not be the ones read.
    workFolder_ = NewFolder("cwd");
    WriteFile(workFolder_ + "\\KFRESMON.INI", "[ResourceMonitor]\r\nMagnifyingFactor=0\r\n");

    SetEnvironmentVariableA("KF_RSRC32_FREE",
                            options.meterAnswer.empty() ? nullptr : options.meterAnswer.c_str());
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workFolder_.c_str(), &startup, &info_))
        throw std::runtime_error("cannot start resmonitor.exe");
    SetEnvironmentVariableA("KF_RSRC32_FREE", nullptr);
}

MonitorProcess::~MonitorProcess() {
    if (info_.hProcess != nullptr) {
        if (Running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    SetWineAppDefaults("");
    RemoveFolder(folder_);
    RemoveFolder(workFolder_);
}

bool MonitorProcess::Running() const {
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool MonitorProcess::WaitForFrame(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "ResourceMonitorFrame", nullptr))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == info_.dwProcessId) {
                frame_ = window;
                return true;
            }
        }
        if (!Running())
            return false;
        Pump(50);
    }
    return false;
}

bool MonitorProcess::WaitForExit(DWORD timeoutMs, DWORD* code) {
    DWORD start = GetTickCount();
    while (Running()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Pump(50);
    }
    if (code != nullptr)
        GetExitCodeProcess(info_.hProcess, code);
    return true;
}

long long MonitorProcess::Check(WPARAM row, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(frame_, 1124, row, 0, SMTO_NORMAL, timeoutMs, &result))
        return -1;
    return static_cast<long long>(result);
}

void MonitorProcess::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageA(frame_, message, wParam, lParam);
}

void MonitorProcess::Pump(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    } while (GetTickCount() - start < ms);
}

void SaveScreenshot(HWND window, const std::string& name) {
    const char* dir = std::getenv("KF_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0')
        return;
    RECT r;
    GetWindowRect(window, &r);
    const int margin = 12;
    int x = r.left > margin ? r.left - margin : 0;
    int y = r.top > margin ? r.top - margin : 0;
    int width = r.right - x + margin;
    int height = r.bottom - y + margin;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
    GdiFlush();
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    std::ofstream out(WindowsPath(dir) + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

ForeignWindow::ForeignWindow(const char* className) : className_(className) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    window_ = CreateWindowA(className, "script application", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window_ == nullptr)
        throw std::runtime_error("cannot create the script application window");
}

ForeignWindow::~ForeignWindow() {
    DestroyWindow(window_);
    UnregisterClassA(className_, GetModuleHandleA(nullptr));
}

} // namespace kf::resmon::wine
