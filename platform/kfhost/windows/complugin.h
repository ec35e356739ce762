// The registered plug-in, found as the IDE finds it and driven through COM.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "kf/kfhost/runner.h"

namespace kf::kfhost {

// Finds the KFPlugins\Services entry whose Type is "user", creates its class and hands it
// the service provider of `host` (pluginhost.dll) as its site. Null with `error` set when
// that fails.
std::unique_ptr<HostedPlugin> LoadRegisteredPlugin(HMODULE host, std::string& error);

} // namespace kf::kfhost
