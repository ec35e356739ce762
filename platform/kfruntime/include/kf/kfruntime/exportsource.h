// Export sources: the text form of one script class ($KFExportHeader$ files).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kf/kfruntime/classes.h"

namespace kf::rt {

class Runtime;

// Reads the class of an export source: the $KFExportHeader$ line (and an optional
// $KFExportComments$ line), "global type X from Y" ... "end type" (with the fields of a
// structure), "type variables" ... "end variables" (typed declarations, initial values,
// indirect declarations, access labels) and "forward prototypes" ... "end prototypes".
// Lines may end in LF, CR LF or a lone CR. Throws Error(file, line, ...).
std::unique_ptr<ClassDef> ParseExportSource(std::string_view bytes, const std::string& file);

// Reads and registers export-source files. Files may come in any order: a class is added
// after its ancestor when both are given. Throws Error naming the file (and line) of the
// first file that cannot be read, parsed or registered.
void LoadExportSources(Runtime& runtime, const std::vector<std::string>& files);

}  // namespace kf::rt
