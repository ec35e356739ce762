// The value of one hexadecimal digit, shared by the hex codec and URL unescaping.
#pragma once

namespace kf::easysoap {

// 0 to 15; -1 for anything that is not a hex digit.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace kf::easysoap
