// Long-lived children on POSIX: a socket pair as the child's standard input and output, so
// that writing to a child that has gone away fails instead of raising SIGPIPE in the caller.

#include "kf/ejb/childchannel.h"

#include "spawn_posix.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace kf::ejb {
namespace {

class PosixChildChannel final : public ChildChannel {
public:
    PosixChildChannel(pid_t pid, int socket) : pid_(pid), socket_(socket) {}

    ~PosixChildChannel() override {
        ::shutdown(socket_, SHUT_WR);
        // The child ends at the end of its input; one that does not is ended.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        pid_t done = 0;
        while ((done = ::waitpid(pid_, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (done == 0) {
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
        ::close(socket_);
    }

    bool Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            ssize_t n = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    bool ReadLine(std::string& line, std::size_t maxLength) override {
        line.clear();
        for (;;) {
            if (std::size_t nl = buffer_.find('\n'); nl != std::string::npos) {
                if (nl > maxLength) return false;
                line.assign(buffer_, 0, nl);
                buffer_.erase(0, nl + 1);
                return true;
            }
            if (buffer_.size() > maxLength || !Fill()) return false;
        }
    }

    bool ReadExactly(std::size_t count, std::string& bytes) override {
        bytes.clear();
        bytes.reserve(count);
        while (bytes.size() < count) {
            if (buffer_.empty() && !Fill()) return false;
            const std::size_t take = std::min(count - bytes.size(), buffer_.size());
            bytes.append(buffer_, 0, take);
            buffer_.erase(0, take);
        }
        return true;
    }

private:
    bool Fill() {
        char chunk[65536];
        for (;;) {
            ssize_t n = ::recv(socket_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            buffer_.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
    }

    pid_t pid_;
    int socket_;
    std::string buffer_;
};

} // namespace

std::unique_ptr<ChildChannel> ChildChannel::Start(const std::string& program,
                                                  const std::vector<std::string>& arguments) {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return nullptr;

    const int discard = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    std::optional<pid_t> pid = SpawnChild(program, arguments, sockets[1], sockets[1],
                                          discard >= 0 ? discard : kInheritDescriptor);
    if (discard >= 0) ::close(discard);
    ::close(sockets[1]);
    if (!pid) {
        ::close(sockets[0]);
        return nullptr;
    }
    return std::make_unique<PosixChildChannel>(*pid, sockets[0]);
}

std::string ModuleDirectory() {
    std::error_code ec;
    std::filesystem::path module;
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) != 0 && info.dli_fname &&
        *info.dli_fname != '\0')
        module = std::filesystem::canonical(info.dli_fname, ec);
    if (module.empty() || ec) module = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec || module.empty()) return {};
    return module.parent_path().string() + "/";
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::string FindOnSearchPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    std::string_view rest(path);
    for (;;) {
        const std::size_t colon = rest.find(':');
        std::string directory(rest.substr(0, colon));
        if (directory.empty()) directory = ".";
        if (directory.back() != '/') directory += '/';
        if (::access((directory + program).c_str(), X_OK) == 0 && IsRegularFile(directory + program))
            return directory;
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

} // namespace kf::ejb
