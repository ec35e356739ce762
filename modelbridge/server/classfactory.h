// Class factories: one per class, created on first request and cached in the class
// table until the module unloads.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <cstddef>

namespace kf::model {

// The cached factory of kClassTable[index] (AddRef'ed), created when missing.
HRESULT GetClassFactory(std::size_t index, REFIID iid, void** out);
// Drops the cached factories (module unload).
void ReleaseClassFactories();

} // namespace kf::model
