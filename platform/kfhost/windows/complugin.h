// The registered plug-in, found as the IDE finds it and driven through COM.
#pragma once

#include <memory>
#include <string>

#include "kf/kfhost/runner.h"

namespace kf::kfhost {

// Finds the KFPlugins\Services entry whose Type is "user", creates its class and hands it
// pluginhost.dll's service provider as its site. Null with `error` set when that fails.
std::unique_ptr<HostedPlugin> LoadRegisteredPlugin(std::string& error);

} // namespace kf::kfhost
