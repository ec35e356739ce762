// Reading texts out of the runtime: arguments and proxy instance variables.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kf/rt/runtimeext.h"

namespace kf::soap {

// Nothing for a missing argument, a null value or a value that is not a string.
std::optional<std::u16string> StringArgument(rt::RuntimeContext* context, rt::CallFrame* frame,
                                             std::int32_t index);
std::optional<std::u16string> StringText(rt::RuntimeContext* context, rt::StringHandle string);
// The same text without a copy; it stays valid while the handle does.
std::optional<std::u16string_view> StringView(rt::RuntimeContext* context, rt::StringHandle string);
// The string instance variable of that name (looked up as given); nothing when the class
// lacks it or it is null.
std::optional<std::u16string> StringField(rt::RuntimeContext* context, rt::ObjectHandle object,
                                          std::u16string_view name);

} // namespace kf::soap
