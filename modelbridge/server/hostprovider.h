// The IDE framework's service provider, from pluginhost.dll's export (imported at load time,
// as the framework's plug-ins do).
#pragma once

#include <windows.h>

#include <servprov.h>

namespace kf::model {

// A fresh reference to the host's IServiceProvider; the caller releases it.
HRESULT HostServiceProvider(IServiceProvider** provider);

} // namespace kf::model
