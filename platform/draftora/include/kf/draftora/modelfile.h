// Model files: a versioned text format of ours (see the README). Save then
// open gives the same model.
#pragma once

#include <string>

#include "kf/draftora/node.h"

namespace kf::draftora {

// Throws FileError naming `file` and the line.
NodeRef ReadModel(Tool& tool, std::string_view text, const std::string& file);
std::string WriteModel(const Node& model);

} // namespace kf::draftora
