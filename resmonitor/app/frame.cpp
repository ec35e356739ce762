#include "frame.h"

#include "kf/resmon/resourceids.h"

#include <shellapi.h>

#include <climits>
#include <cstring>

namespace kf::resmon {
namespace {

INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

BOOL CALLBACK CollectClassName(HWND window, LPARAM param) {
    char name[256];
    if (GetClassNameA(window, name, sizeof name) > 0)
        reinterpret_cast<std::vector<std::string>*>(param)->emplace_back(name);
    return TRUE;
}

} // namespace

bool Frame::RegisterClasses(HINSTANCE instance, WindowsFamily family) {
    WNDCLASSA frame{};
    frame.lpfnWndProc = Procedure;
    frame.hInstance = instance;
    frame.hIcon = LoadIcon(nullptr, IDI_WINLOGO);
    frame.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frame.lpszMenuName = MAKEINTRESOURCEA(IDM_FRAME_MENU);
    frame.lpszClassName = kFrameClass;
    if (RegisterClassA(&frame) == 0)
        return false;

    WNDCLASSA child{};
    child.lpfnWndProc = DefMDIChildProcA;
    child.cbWndExtra = TestWindowExtraBytes(family);
    child.hInstance = instance;
    child.hIcon = LoadIcon(nullptr, IDI_WINLOGO);
    child.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    child.lpszClassName = kChildClass;
    if (RegisterClassA(&child) == 0) {
        UnregisterClassA(kFrameClass, instance);
        return false;
    }
    return true;
}

void Frame::UnregisterClasses(HINSTANCE instance) {
    UnregisterClassA(kFrameClass, instance);
    UnregisterClassA(kChildClass, instance);
}

bool Frame::Create() {
    HWND window =
        CreateWindowA(kFrameClass, kFrameTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    return window != nullptr;
}

void Frame::OnCreate() {
    CLIENTCREATESTRUCT client{};
    client.hWindowMenu = GetSubMenu(GetMenu(window_), 1);
    client.idFirstChild = IDC_FIRST_MDI_CHILD;
    mdiClient_ = CreateWindowA("MDICLIENT", nullptr,
                               WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0,
                               0, 0, 0, window_, nullptr, instance_, &client);
    if (mdiClient_ == nullptr)
        monitor_.GiveUp();
    platform_.SetWindows(window_, mdiClient_);
    check_.BuildRowTable(family_);

    WNDCLASSA generic{};
    generic.lpfnWndProc = DefWindowProcA;
    generic.cbClsExtra = TestWindowExtraBytes(family_);
    generic.cbWndExtra = TestWindowExtraBytes(family_);
    generic.hInstance = instance_;
    generic.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    generic.hCursor = LoadCursor(nullptr, IDC_ARROW);
    generic.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    generic.lpszClassName = kGenericWindowClass;
    RegisterClassA(&generic);
}

void Frame::AddTrayIcon() {
    for (int i = 0; i < 3; ++i)
        icons_[i] = static_cast<HICON>(
            LoadImageA(instance_, MAKEINTRESOURCEA(IDI_NORMAL + i), IMAGE_ICON, 16, 16, 0));
    UpdateTrayIcon(NIM_ADD, TrayIcon::Normal);
    ShowWindow(window_, SW_HIDE);
}

void Frame::RemoveTrayIcon() {
    if (trayAdded_) {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = window_;
        data.uID = kTrayIconId;
        Shell_NotifyIconA(NIM_DELETE, &data);
        trayAdded_ = false;
    }
    for (HICON& icon : icons_) {
        if (icon != nullptr)
            DestroyIcon(icon);
        icon = nullptr;
    }
}

void Frame::UpdateTrayIcon(DWORD operation, TrayIcon icon) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_ICON;
    data.hIcon = icons_[static_cast<std::size_t>(icon)];
    if (operation == NIM_ADD) {
        data.uFlags |= NIF_MESSAGE | NIF_TIP;
        data.uCallbackMessage = kTrayMessage;
        std::strncpy(data.szTip, kTrayTip, sizeof data.szTip - 1);
    }
    BOOL done = Shell_NotifyIconA(operation, &data);
    if (operation == NIM_ADD)
        trayAdded_ = done != FALSE;
}

int Frame::RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (mdiClient_ != nullptr && TranslateMDISysAccel(mdiClient_, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void Frame::SetTrayIcon(TrayIcon icon) {
    if (trayAdded_)
        UpdateTrayIcon(NIM_MODIFY, icon);
}

void Frame::PostCheckRequest(int row) {
    PostMessageA(window_, kCheckMessage, static_cast<WPARAM>(row), 0);
}

void Frame::ShowTrayMenu() {
    HMENU menu = LoadMenuA(instance_, MAKEINTRESOURCEA(IDM_TRAY_MENU));
    if (menu == nullptr)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    SetMenuDefaultItem(popup, IDC_ABOUT, FALSE);
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window_);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    PostMessageA(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void Frame::ShowAboutBox() {
    DialogBoxA(instance_, "aboutBox", window_, AboutProcedure);
}

void Frame::PostCloseRequest() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
}

std::vector<std::string> Frame::TopLevelWindowClasses() {
    std::vector<std::string> classes;
    EnumWindows(CollectClassName, reinterpret_cast<LPARAM>(&classes));
    return classes;
}

LRESULT CALLBACK Frame::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* frame = reinterpret_cast<Frame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        frame = static_cast<Frame*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        frame->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    if (frame == nullptr)
        return DefFrameProcA(window, nullptr, message, wParam, lParam);
    return frame->HandleMessage(message, wParam, lParam);
}

LRESULT Frame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case kCheckMessage:
        // A row number that does not fit is no row of the table.
        return monitor_.OnCheckRequest(wParam > INT_MAX ? -1 : static_cast<int>(wParam));
    case kTrayMessage:
        monitor_.OnTrayNotify(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
        return 0;
    case WM_COMMAND:
        if (monitor_.OnCommand(LOWORD(wParam)))
            return 0;
        break;
    case WM_CLOSE:
        if (monitor_.OnCloseRequest())
            DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        check_.FreeRowTable();
        UnregisterClassA(kGenericWindowClass, instance_);
        PostQuitMessage(0);
        return 0;
    }
    return DefFrameProcA(window_, mdiClient_, message, wParam, lParam);
}

} // namespace kf::resmon
