#pragma once
// What a resource check needs of the system: the settings file, the resource meter
// library, the creation and deletion of each kind of object it tries, and a beep.
// The Windows edge implements it with Win32; tests use fakes.

#include <cstdint>
#include <functional>
#include <string>

namespace kf::resmon {

// An opaque system handle; 0 means none.
using Handle = std::uintptr_t;

// The kinds of object a check creates, in the order they are created and released.
enum class Creatable {
    MdiChild,
    Icon,
    Cursor,
    GenericWindow,
    Font,
    Brush,
    Menu,
    DeviceContext,
    Region,
    Bitmap,
    Pen,
    AcceleratorTable,
};

// The resource meter's procedure, already bound to its calling convention.
using ResourceMeterProc = std::function<int(int)>;

class CheckPlatform {
public:
    virtual ~CheckPlatform() = default;

    // A value of the settings file; defaultValue when the key is missing.
    virtual std::string ReadProfileString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue) = 0;

    // 0 when the library cannot be loaded.
    virtual Handle OpenLibrary(const std::string& name) = 0;
    // Empty when the library has no such procedure.
    virtual ResourceMeterProc LookUpProcedure(Handle library, const std::string& name) = 0;
    virtual void CloseLibrary(Handle library) = 0;

    // 0 when the object cannot be created.
    virtual Handle CreateObject(Creatable kind) = 0;
    virtual void DestroyObject(Creatable kind, Handle object) = 0;

    virtual void SoundBeep() = 0;
};

} // namespace kf::resmon
