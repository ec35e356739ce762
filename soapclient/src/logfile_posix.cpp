// Linux: file names are opened as UTF-8, so every name can be represented.
#include "kf/soap/connection.h"
#include "kf/soap/text.h"

namespace kf::soap {

std::optional<std::string> LogFileName(std::u16string_view name) {
    return ToUtf8(name);
}

} // namespace kf::soap
