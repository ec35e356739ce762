// beanproxylib: the generator behind one export for the development environment.

#include <cstring>
#include <exception>

#include "kf/ejb/export.h"
#include "kf/ejb/generator.h"
#include "kf/ejb/resultfiles.h"

extern "C" KF_EXPORT int KF_STDCALL EJB_GenerateEJBProxy(const char* classPathList,
                                                         const char* prefix,
                                                         const char* remoteInterface,
                                                         const char* homeInterface,
                                                         char* resultBuffer) {
    if (remoteInterface == nullptr) return 0;
    kf::ejb::RunRequest request;
    if (classPathList != nullptr) request.classPathList = classPathList;
    if (prefix != nullptr) request.prefix = prefix;
    request.remoteInterface = remoteInterface;
    if (homeInterface != nullptr) request.homeInterface = homeInterface;
    try {
        if (!kf::ejb::GenerateEjbProxies(request)) return 0;
    } catch (const std::exception&) {
        // Nothing may cross into the caller, which is not C++.
        return 0;
    }
    if (resultBuffer != nullptr) {
        std::memcpy(resultBuffer, kf::ejb::kResultListFileName,
                    std::strlen(kf::ejb::kResultListFileName) + 1);
    }
    return 1;
}
