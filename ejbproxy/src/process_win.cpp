// Child processes on Windows: one command line, quoted so that the child's argument
// parser (CommandLineToArgvW rules, which the C runtime follows too) gives back exactly
// the arguments we were handed; no command interpreter is involved.

#include "kf/ejb/process.h"

#include <windows.h>

namespace kf::ejb {
namespace {

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE h_;
};

// Characters that never need quotation marks. Everything else (blanks, quotes,
// separators such as ';' of a class path) is quoted, so a class path always is.
bool NeedsNoQuotes(const std::string& argument) {
    if (argument.empty()) return false;
    for (unsigned char c : argument) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '$';
        if (!plain) return false;
    }
    return true;
}

// Quotes one argument: backslashes count only before a quotation mark, so those runs
// are doubled (and the quotation mark escaped), as is a run before the closing mark.
void AppendArgument(std::string& line, const std::string& argument) {
    if (NeedsNoQuotes(argument)) {
        line += argument;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            line.append(backslashes * 2 + 1, '\\');
        } else {
            line.append(backslashes, '\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

Handle CreateInheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof inherit;
    inherit.bInheritHandle = TRUE;
    return Handle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A child's own children may hold inherited copies of the file handles a little longer:
// under Wine the hidden console's host process does. Until they let go the caller could
// neither delete the files nor be sure their content is complete, so wait (briefly)
// until the file can be opened without sharing.
void WaitUntilReleased(const std::string& path) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
            return;
        }
        if (::GetLastError() != ERROR_SHARING_VIOLATION) return;
        ::Sleep(10);
    }
}

} // namespace

std::optional<int> RunRedirected(const std::string& program,
                                 const std::vector<std::string>& arguments,
                                 const std::string& outputFile, const std::string& errorFile) {
    // The program part of a command line ends at the next quotation mark and knows no
    // escapes; a zero byte would cut the line short. Neither can be passed on faithfully.
    if (program.empty() || program.find_first_of(std::string("\"\0", 2)) != std::string::npos)
        return std::nullopt;
    std::string commandLine = "\"" + program + "\"";
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) return std::nullopt;
        commandLine += ' ';
        AppendArgument(commandLine, argument);
    }

    Handle out = CreateInheritableFile(outputFile);
    Handle err = CreateInheritableFile(errorFile);
    if (!out.valid() || !err.valid()) return std::nullopt;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();

    // No application name: the quoted program is looked up the way a command line is
    // (".exe" appended, then the search path), as for a bare "javap".
    PROCESS_INFORMATION child{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_NEW_PROCESS_GROUP | CREATE_NEW_CONSOLE, nullptr, nullptr,
                          &startup, &child))
        return std::nullopt;
    Handle process(child.hProcess);
    Handle thread(child.hThread);

    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return std::nullopt;
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.get(), &exitCode)) return std::nullopt;

    ::CloseHandle(out.release());
    ::CloseHandle(err.release());
    WaitUntilReleased(outputFile);
    WaitUntilReleased(errorFile);
    return static_cast<int>(exitCode);
}

} // namespace kf::ejb
