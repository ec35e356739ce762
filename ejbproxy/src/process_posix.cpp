// Child processes on POSIX: posix_spawn with an argument vector, no shell.

#include "kf/ejb/process.h"

#include "spawn_posix.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace kf::ejb {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::optional<pid_t> SpawnChild(const std::string& program, const std::vector<std::string>& arguments,
                                int in, int out, int err) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int wanted[] = {in, out, err};
    for (int target = 0; target < 3; ++target) {
        if (wanted[target] != kInheritDescriptor)
            posix_spawn_file_actions_adddup2(&actions, wanted[target], target);
    }
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return std::nullopt;
    return pid;
}

std::optional<int> RunRedirected(const std::string& program,
                                 const std::vector<std::string>& arguments,
                                 const std::string& outputFile, const std::string& errorFile) {
    Descriptor out(::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    Descriptor err(::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0 || err.get() < 0) return std::nullopt;

    std::optional<pid_t> pid = SpawnChild(program, arguments, kInheritDescriptor, out.get(), err.get());
    if (!pid) return std::nullopt;

    int status = 0;
    while (::waitpid(*pid, &status, 0) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

} // namespace kf::ejb
