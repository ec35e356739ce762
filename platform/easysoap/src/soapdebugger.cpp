#include "kf/easysoap/soapdebugger.h"

#include <cstdio>

namespace kf::easysoap {
namespace {

// Process-wide, as the log settings are; calls arrive on the script thread only.
std::FILE* g_file = nullptr;
int g_level = 0;

} // namespace

void SOAPDebugger::Close() {
    if (g_file)
        std::fclose(g_file);
    g_file = nullptr;
}

bool SOAPDebugger::SetFile(const char* fileName) {
    Close();
    if (!fileName || !*fileName)
        return false;
    g_file = std::fopen(fileName, "ab");
    return g_file != nullptr;
}

void SOAPDebugger::SetMessageLevel(int level) {
    g_level = level;
}

void SOAPDebugger::Write(int level, const char* text, std::size_t length) {
    if (!g_file || level > g_level || !text)
        return;
    std::fwrite(text, 1, length, g_file);
    std::fflush(g_file);
}

bool SOAPDebugger::IsOpen() {
    return g_file != nullptr;
}

} // namespace kf::easysoap
