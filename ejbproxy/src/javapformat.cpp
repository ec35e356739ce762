// Interim: passes text through until the newer-format converter lands.
#include "kf/ejb/javapformat.h"

namespace kf::ejb {
bool IsModernJavapFormat(std::string_view) { return false; }
std::string ConvertModernJavapFormat(std::string_view text) { return std::string(text); }
} // namespace kf::ejb
