// pluginhost.dll as the host program uses it: the module, and its exports for the host's own
// part of a run (host fixture lines, the menus the plug-in handed over).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "kf/kfhost/runner.h"

namespace kf::kfhost {

// The pluginhost.dll that COM loads for the menu service class when that is registered, else
// the one beside the program: one module, so the menus the plug-in hands over to the menu
// service are the ones the host prints. Null with `error` set when it does not load.
HMODULE LoadPluginHost(std::string& error);

// Over KFHostFixture, KFHostDumpMenus and KFHostFreeMenus of `module`; null with `error`
// naming the missing export.
std::unique_ptr<HostSide> PluginHostSide(HMODULE module, std::string& error);

} // namespace kf::kfhost
