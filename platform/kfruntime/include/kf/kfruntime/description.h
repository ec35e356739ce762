// The class description text of an extension library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kf/kfruntime/classes.h"

namespace kf::rt {

// "class NAME from ANCESTOR", its "function ..." / "subroutine ..." lines, "end class"
// (optional after the last class). Lines end in LF. The classes come back as native
// classes, unregistered. Throws Error(origin, line, ...) for a malformed line.
std::vector<std::unique_ptr<ClassDef>> ParseDescription(std::u16string_view text,
                                                        const std::string& origin);

}  // namespace kf::rt
