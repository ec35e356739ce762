// Module state of the COM server: instance handle, lock count (live objects, server
// locks and outside references to the cached class factories) and type information.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace kf::model {

void ModuleAttach(HINSTANCE instance);
void ModuleDetach();
HINSTANCE ModuleInstance();
// Full path of the library, as InprocServer32 names it.
std::wstring ModulePath();

void ModuleLock();
void ModuleUnlock();
LONG ModuleLockCount();

// Type information of an interface, our own from the embedded type library, the host
// framework's from its registered one. `dispatch` is what IDispatch::GetTypeInfo hands
// out; `vtable` is the interface side that DispInvoke calls through. Both AddRef'ed.
HRESULT InterfaceTypeInfo(REFIID iid, ITypeInfo** dispatch, ITypeInfo** vtable);

} // namespace kf::model
