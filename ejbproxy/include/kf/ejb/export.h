#pragma once
// The library export as a calling program sees it.

#if defined(_WIN32)
#define KF_STDCALL __stdcall
// The DLL's .def files name its exports; dllexport would add the mingw-decorated
// name (without the leading underscore) to the x86 export table.
#define KF_EXPORT
#else
#define KF_STDCALL
#define KF_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// Runs one generation in the current directory. Returns 1 and copies "ejbproxies.txt"
// (with its zero) into resultBuffer (at least 15 bytes) on success; returns 0 and leaves
// the buffer untouched otherwise. classPathList, prefix and homeInterface may be null.
KF_EXPORT int KF_STDCALL EJB_GenerateEJBProxy(const char* classPathList, const char* prefix,
                                              const char* remoteInterface,
                                              const char* homeInterface, char* resultBuffer);
}
