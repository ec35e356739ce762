// The three files a run ends with.

#include "kf/ejb/resultfiles.h"

#include "kf/ejb/javaclassproxy.h"

namespace kf::ejb {
namespace {

std::string SimpleName(const std::string& javaName) {
    std::size_t lastDot = javaName.rfind('.');
    return lastDot == std::string::npos ? javaName : javaName.substr(lastDot + 1);
}

} // namespace

std::string MappingFileName(const std::string& remoteInterface) {
    return SimpleName(remoteInterface) + "_ejb_kf_mapping.srs";
}

std::string ComposeMappingFile(const std::string& remoteInterface,
                               const std::vector<std::unique_ptr<JavaClassProxy>>& generated) {
    const std::string fileName = MappingFileName(remoteInterface);
    const std::string structureName = fileName.substr(0, fileName.size() - 4);
    std::string text = "$KFExportHeader$" + fileName + "\n";
    text += "global type " + structureName + " from structure\n";
    int number = 1;
    for (const auto& cls : generated) {
        text += "\tstring\t\titem" + std::to_string(number++) + " = \"" + cls->javaName + ":" +
                cls->proxyName + "\"\n";
    }
    text += "end type\n";
    return text;
}

std::string ComposeResultList(const std::string& remoteInterface,
                              const std::vector<std::unique_ptr<JavaClassProxy>>& generated) {
    std::string text;
    for (const auto& cls : generated) text += cls->proxyName + ".srx\n";
    text += MappingFileName(remoteInterface) + "\n";
    return text;
}

std::string ComposeErrorFile(const std::vector<std::string>& errors) {
    std::string text;
    for (const std::string& e : errors) text += e;
    return text;
}

} // namespace kf::ejb
