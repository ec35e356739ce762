#pragma once
// The per-class record of a generation run.

#include <map>
#include <string>

namespace kf::ejb {

// One Java class that the run tries to generate. Both maps are ordered by plain
// byte-wise comparison of their keys, which is what std::less<std::string> does.
struct JavaClassProxy {
    std::string javaName;  // fully qualified, exactly as requested
    std::string proxyName; // fixed when the record is created
    std::string ancestor;  // set by the class head parser
    std::map<std::string, std::string> arrayElementTypes;  // script type -> same script type
    std::map<std::string, std::string> indirectProperties; // legal field name -> script type
};

} // namespace kf::ejb
