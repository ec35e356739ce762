#pragma once
// A long-lived child process spoken to through its standard input and output.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kf::ejb {

class ChildChannel {
public:
    // Starts program (no shell) with its standard error discarded; nullptr when it cannot.
    static std::unique_ptr<ChildChannel> Start(const std::string& program,
                                               const std::vector<std::string>& arguments);
    // Ends the child's input, then waits for it to end (ending it when it will not).
    virtual ~ChildChannel() = default;

    virtual bool Write(std::string_view bytes) = 0;
    // Reads up to and excluding "\n"; false at the end of the output, on error, or when
    // more than maxLength bytes come before the line end.
    virtual bool ReadLine(std::string& line, std::size_t maxLength) = 0;
    virtual bool ReadExactly(std::size_t count, std::string& bytes) = 0;
};

// Directory of the program or library this code is linked into, ending in a separator;
// empty when it cannot be told.
std::string ModuleDirectory();

// True when path names an existing regular file (after following links).
bool IsRegularFile(const std::string& path);

// The first directory of the executable search path holding the program, ending in a
// separator; empty when there is none.
std::string FindOnSearchPath(const std::string& program);

} // namespace kf::ejb
