// What the library's three exports hand to the runtime.
#pragma once

#include "kf/rt/runtimeext.h"

namespace kf::soap {

// The class description text: LF-separated lines, ending with an LF.
const char16_t* ClassDescription();

// soapexception and soapconnection (case-sensitive); other names leave `out` untouched.
void CreateNativeObject(const char16_t* className, rt::NativeObject** out);

// Saved when the library is loaded.
rt::ModuleHandle LibraryModuleHandle();
void SetLibraryModuleHandle(rt::ModuleHandle module);

} // namespace kf::soap
