#pragma once
// Newer javap output (descriptor lines, generics, varargs, brackets after types,
// default methods) rewritten into the classic "-s -public" grammar.

#include <string>
#include <string_view>

namespace kf::ejb {

// True when the text carries "descriptor:" lines or other marks of the newer format.
bool IsModernJavapFormat(std::string_view text);

// Rewrites newer-format text into the classic grammar without losing type
// information; text already in the classic format is returned unchanged.
std::string ConvertModernJavapFormat(std::string_view text);

} // namespace kf::ejb
