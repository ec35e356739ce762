#include "kf/soap/messages.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace kf::soap {
namespace {

constexpr std::size_t kMaxMessage = 2047;

// After a cut: drops the last UTF-8 sequence when the cut left it incomplete.
void DropIncompleteTail(std::string& text) {
    std::size_t lead = text.size();
    while (lead > 0 && text.size() - lead < 4 &&
           (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead == 0)
        return;
    --lead;
    const auto first = static_cast<unsigned char>(text[lead]);
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (text.size() - lead < length)
        text.resize(lead);
}

} // namespace

std::string FormattedMessage(const char* format, ...) {
    char buffer[kMaxMessage + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0)
        return format;
    std::string text(buffer, std::min(static_cast<std::size_t>(n), kMaxMessage));
    if (static_cast<std::size_t>(n) > kMaxMessage)
        DropIncompleteTail(text);
    return text;
}

std::string JoinedMessage(std::string_view prefix, std::string_view text, std::string_view suffix) {
    std::string message;
    message.reserve(prefix.size() + text.size() + suffix.size());
    message.append(prefix).append(text).append(suffix);
    if (message.size() > kMaxMessage) {
        message.resize(kMaxMessage);
        DropIncompleteTail(message);
    }
    return message;
}

} // namespace kf::soap
