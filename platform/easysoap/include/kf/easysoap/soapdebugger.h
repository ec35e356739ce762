// The SOAP log: requests, responses and connection events written to one file.
#pragma once

#include <cstddef>
#include <string_view>

namespace kf::easysoap {

class SOAPDebugger {
public:
    // Messages of a level up to the message level set are written.
    static constexpr int kConnectionLevel = 1;
    static constexpr int kMessageLevel = 2;

    static void Close();
    // Appends to the file; false when it cannot be opened (logging stays closed).
    static bool SetFile(const char* fileName);
    static void SetMessageLevel(int level);
    static void Write(int level, const char* text, std::size_t length);
    static void Write(int level, std::string_view text) { Write(level, text.data(), text.size()); }
    static bool IsOpen();
};

} // namespace kf::easysoap
