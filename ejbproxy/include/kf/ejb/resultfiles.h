#pragma once
// The structure mapping file, ejbproxies.txt and ejbproxies.err.

#include <memory>
#include <string>
#include <vector>

namespace kf::ejb {

struct JavaClassProxy;

inline constexpr const char* kResultListFileName = "ejbproxies.txt";
inline constexpr const char* kErrorFileName = "ejbproxies.err";

// Simple remote name + "_ejb_kf_mapping.srs".
std::string MappingFileName(const std::string& remoteInterface);

std::string ComposeMappingFile(const std::string& remoteInterface,
                               const std::vector<std::unique_ptr<JavaClassProxy>>& generated);
std::string ComposeResultList(const std::string& remoteInterface,
                              const std::vector<std::unique_ptr<JavaClassProxy>>& generated);
std::string ComposeErrorFile(const std::vector<std::string>& errors);

} // namespace kf::ejb
