// Text-mode output: every LF is written as CR LF, other bytes pass unchanged.

#include "kf/ejb/textfile.h"

#include <fstream>

namespace kf::ejb {

std::string ToTextModeBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

bool WriteTextModeFile(const std::filesystem::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const std::string bytes = ToTextModeBytes(text);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace kf::ejb
