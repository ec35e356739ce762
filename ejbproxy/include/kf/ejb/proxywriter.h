#pragma once
// The text of a proxy export source.

#include <string>
#include <vector>

#include "kf/ejb/classparser.h"

namespace kf::ejb {

struct JavaClassProxy;

// Composes the whole proxy file text and fills the class's two maps. Line ends are
// plain LF (written as CR LF by WriteTextModeFile); the header line ends in a lone CR.
std::string ComposeProxyText(JavaClassProxy& cls, const std::vector<ProxyMember>& members);

} // namespace kf::ejb
