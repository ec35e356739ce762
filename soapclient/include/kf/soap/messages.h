// Failure messages raised to scripts: at most 2047 characters, never cut inside a UTF-8
// sequence.
#pragma once

#include <string>
#include <string_view>

namespace kf::soap {

// printf-style.
std::string FormattedMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The prefix, a received or script text taken literally, and the suffix.
std::string JoinedMessage(std::string_view prefix, std::string_view text,
                          std::string_view suffix = {});

} // namespace kf::soap
