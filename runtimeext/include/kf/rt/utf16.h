// The one place where UTF-8 and UTF-16 texts are converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kf::rt {

// Surrogate pairs become one 4-byte sequence; a lone surrogate is written as its own 3-byte
// sequence, so no code unit is lost.
inline std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (std::uint32_t(text[i + 1]) - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Nothing for malformed UTF-8 (bad lead or continuation bytes, overlong forms, code points
// above U+10FFFF). Encoded surrogates are accepted as single code units (see above).
inline std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::uint32_t c = 0;
    std::size_t n = 0;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      n = 1;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      n = 2;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      n = 3;
    } else {
      return std::nullopt;
    }
    if (n > 0 && i + n >= text.size()) return std::nullopt;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (t & 0x3F);
    }
    static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[n] || c > 0x10FFFF) return std::nullopt;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
    i += n + 1;
  }
  return out;
}

}  // namespace kf::rt
