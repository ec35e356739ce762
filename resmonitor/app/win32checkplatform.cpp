#include "win32checkplatform.h"

#include "kf/resmon/monitor.h"

#include <array>
#include <cstdint>

namespace kf::resmon {
namespace {

// A 32 by 32 one-bit picture: AND mask (transparent outside a frame) and XOR mask (a cross).
struct Masks {
    std::array<BYTE, 128> andMask;
    std::array<BYTE, 128> xorMask;
};

Masks MakeMasks(bool cross) {
    Masks m{};
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            bool inside = x >= 2 && x < 30 && y >= 2 && y < 30;
            bool ink = cross ? (x == y || x == 31 - y) : (x >= 8 && x < 24 && y >= 8 && y < 24);
            int byte = y * 4 + x / 8;
            BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            if (!inside)
                m.andMask[byte] |= bit;
            if (inside && ink)
                m.xorMask[byte] |= bit;
        }
    }
    return m;
}

const Masks kIconMasks = MakeMasks(false);
const Masks kCursorMasks = MakeMasks(true);

template <typename T> Handle H(T object) {
    return reinterpret_cast<Handle>(object);
}

template <typename T> T As(Handle object) {
    return reinterpret_cast<T>(object);
}

HACCEL CreateTestAccelerators() {
    std::array<ACCEL, 10> table{};
    for (int i = 0; i < 10; ++i) {
        table[i].fVirt = FVIRTKEY | FSHIFT | FCONTROL | FALT;
        table[i].key = static_cast<WORD>('A' + i);
        table[i].cmd = static_cast<WORD>(100 + i);
    }
    return CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
}

} // namespace

std::string Win32CheckPlatform::ReadProfileString(const std::string& section,
                                                  const std::string& key,
                                                  const std::string& defaultValue) {
    char buffer[256];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                             sizeof buffer, settingsFile_.c_str());
    return buffer;
}

Handle Win32CheckPlatform::OpenLibrary(const std::string& name) {
    return H(LoadLibraryA(name.c_str()));
}

ResourceMeterProc Win32CheckPlatform::LookUpProcedure(Handle library, const std::string& name) {
    using Proc = int(WINAPI*)(int);
    FARPROC found = GetProcAddress(As<HMODULE>(library), name.c_str());
    if (found == nullptr)
        return {};
    auto proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(found));
    return [proc](int which) { return proc(which); };
}

void Win32CheckPlatform::CloseLibrary(Handle library) {
    FreeLibrary(As<HMODULE>(library));
}

Handle Win32CheckPlatform::CreateObject(Creatable kind) {
    switch (kind) {
    case Creatable::MdiChild: {
        MDICREATESTRUCTA create{};
        create.szClass = kChildClass;
        create.szTitle = kChildTitle;
        create.hOwner = instance_;
        create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
        create.style = WS_VISIBLE | WS_MAXIMIZE | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;
        if (mdiClient_ == nullptr)
            return 0;
        return static_cast<Handle>(
            SendMessageA(mdiClient_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    }
    case Creatable::Icon:
        return H(CreateIcon(instance_, 32, 32, 1, 1, kIconMasks.andMask.data(),
                            kIconMasks.xorMask.data()));
    case Creatable::Cursor:
        return H(CreateCursor(instance_, 19, 2, 32, 32, kCursorMasks.andMask.data(),
                              kCursorMasks.xorMask.data()));
    case Creatable::GenericWindow: {
        HWND window = CreateWindowA(kGenericWindowClass, kGenericWindowTitle, WS_CHILD,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    frame_, nullptr, instance_, nullptr);
        if (window != nullptr) {
            ShowWindow(window, SW_SHOW);
            UpdateWindow(window);
        }
        return H(window);
    }
    case Creatable::Font:
        return H(CreateFontA(0, 0, 0, 0, FW_BOLD, TRUE, TRUE, TRUE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                             DEFAULT_PITCH | FF_MODERN, nullptr));
    case Creatable::Brush: {
        LOGBRUSH description{};
        return H(CreateBrushIndirect(&description));
    }
    case Creatable::Menu:
        return H(CreateMenu());
    case Creatable::DeviceContext:
        return H(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    case Creatable::Region:
        return H(CreateRectRgn(0, 0, 1024, 768));
    case Creatable::Bitmap:
        return H(CreateBitmap(100, 100, 1, 32, nullptr));
    case Creatable::Pen:
        return H(CreatePen(PS_SOLID, 2, RGB(155, 155, 155)));
    case Creatable::AcceleratorTable:
        return H(CreateTestAccelerators());
    }
    return 0;
}

void Win32CheckPlatform::DestroyObject(Creatable kind, Handle object) {
    switch (kind) {
    case Creatable::MdiChild:
        SendMessageA(mdiClient_, WM_MDIDESTROY, static_cast<WPARAM>(object), 0);
        break;
    case Creatable::Icon:
        DestroyIcon(As<HICON>(object));
        break;
    case Creatable::Cursor:
        DestroyCursor(As<HCURSOR>(object));
        break;
    case Creatable::GenericWindow:
        DestroyWindow(As<HWND>(object));
        break;
    case Creatable::Menu:
        DestroyMenu(As<HMENU>(object));
        break;
    case Creatable::DeviceContext:
        DeleteDC(As<HDC>(object));
        break;
    case Creatable::AcceleratorTable:
        DestroyAcceleratorTable(As<HACCEL>(object));
        break;
    case Creatable::Font:
    case Creatable::Brush:
    case Creatable::Region:
    case Creatable::Bitmap:
    case Creatable::Pen:
        DeleteObject(As<HGDIOBJ>(object));
        break;
    }
}

void Win32CheckPlatform::SoundBeep() {
    MessageBeep(MB_OK);
}

} // namespace kf::resmon
