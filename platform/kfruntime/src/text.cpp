#include "kf/kfruntime/text.h"

#include "kf/rt/utf16.h"

namespace kf::rt {

std::u16string Lower(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = char16_t(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = char16_t(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

std::string Narrow(std::u16string_view text) { return Utf16ToUtf8(text); }

std::u16string Widen(std::string_view text) {
  if (auto wide = Utf8ToUtf16(text)) return *wide;
  // Not UTF-8: keep each byte as its own code unit (Latin-1) so nothing is dropped.
  std::u16string out;
  for (unsigned char c : text) out += char16_t(c);
  return out;
}

}  // namespace kf::rt
