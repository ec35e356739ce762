// What the host needs from the operating system: finding and loading the JVM library.
#pragma once

#include <jni.h>

#include <optional>
#include <string>

namespace kf::jvmhost {

using CreateJavaVMProc = jint(JNICALL*)(JavaVM** vm, void** env, void* args);
using GetCreatedJavaVMsProc = jint(JNICALL*)(JavaVM** vms, jsize size, jsize* count);

struct JvmEntryPoints {
    CreateJavaVMProc create = nullptr;
    GetCreatedJavaVMsProc getCreated = nullptr;
};

// Loads the JVM library of the JDK or JRE on the machine (JAVA_HOME first); nothing when
// none can be found or loaded. The library stays loaded for the life of the process.
std::optional<JvmEntryPoints> LoadJvmLibrary();

// The folder of the host library itself, where the companion jar is shipped.
std::string OwnFolder();

std::optional<std::string> EnvironmentVariable(const char* name);

} // namespace kf::jvmhost
