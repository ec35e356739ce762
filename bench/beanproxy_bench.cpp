// Measures beanproxy over a bean with both javap runners in the same run: one JVM for all
// classes, and one javap process per class (selected by pointing JDKLocation at a folder
// that holds javap but no java). Prints classes reached, wall time and peak memory of
// beanproxy itself, and the time of one javap invocation over every reached class.
//
// beanproxy_bench <beanproxy> <jdk-home> <class-path> <remote-interface> [prefix]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {

struct Measurement {
    double seconds = 0;
    long peakKiB = 0;
    int exitCode = -1;
};

long ReadPeakKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Runs a program in dir with stdout and stderr discarded, sampling its peak resident size.
Measurement Run(const std::vector<std::string>& argv, const fs::path& dir) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    Measurement m;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::cerr << "cannot start " << argv[0] << "\n";
        std::exit(2);
    }
    int status = 0;
    for (;;) {
        m.peakKiB = std::max(m.peakKiB, ReadPeakKiB(pid));
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    fs::current_path(previous);
    posix_spawn_file_actions_destroy(&actions);
    return m;
}

void WriteRegistry(const fs::path& file, const fs::path& jdk) {
    std::ofstream(file) << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java]\n"
                        << "\"JDKLocation\"=\"" << jdk.string() << "\"\n";
}

std::vector<std::string> ReachedClasses(const fs::path& mappingFile) {
    std::vector<std::string> names;
    std::ifstream in(mappingFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        auto open = line.find("= \"");
        auto colon = line.rfind(':');
        if (open != std::string::npos && colon != std::string::npos && colon > open)
            names.push_back(line.substr(open + 3, colon - open - 3));
    }
    return names;
}

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::cerr << "usage: beanproxy_bench <beanproxy> <jdk-home> <class-path> <remote-interface> [prefix]\n";
        return 2;
    }
    const fs::path beanproxy = fs::absolute(argv[1]);
    const fs::path jdk = fs::absolute(argv[2]);
    const std::string classPath = argv[3];
    const std::string remote = argv[4];
    const std::string prefix = argc > 5 ? argv[5] : "";
    const fs::path work = fs::temp_directory_path() / ("kf-bench-" + std::to_string(getpid()));
    fs::create_directories(work / "service");
    fs::create_directories(work / "process");
    fs::create_directories(work / "javaponly" / "bin");
    fs::create_symlink(jdk / "bin" / "javap", work / "javaponly" / "bin" / "javap");
    WriteRegistry(work / "service.reg", jdk);
    WriteRegistry(work / "process.reg", work / "javaponly");

    std::vector<std::string> command{beanproxy.string(), "-classpath", classPath, remote};
    if (!prefix.empty()) command.push_back(prefix);

    setenv("KF_REGISTRY_FILE", (work / "service.reg").c_str(), 1);
    const Measurement service = Run(command, work / "service");
    setenv("KF_REGISTRY_FILE", (work / "process.reg").c_str(), 1);
    const Measurement process = Run(command, work / "process");
    unsetenv("KF_REGISTRY_FILE");

    const std::string simple = remote.substr(remote.rfind('.') + 1);
    const auto mapping = work / "service" / (simple + "_ejb_kf_mapping.srs");
    const std::vector<std::string> classes = ReachedClasses(mapping);
    std::vector<std::string> single{(jdk / "bin" / "javap").string(), "-s", "-public",
                                    "-classpath", classPath};
    single.insert(single.end(), classes.begin(), classes.end());
    const Measurement floor = Run(single, work);

    bool identical = true;
    for (const auto& e : fs::directory_iterator(work / "service"))
        identical = identical && Read(e.path()) == Read(work / "process" / e.path().filename());
    const auto count = [](const fs::path& d) {
        return std::distance(fs::directory_iterator(d), fs::directory_iterator());
    };
    identical = identical && count(work / "service") == count(work / "process");

    std::printf("bean %s: %zu classes reached%s\n", remote.c_str(), classes.size(),
                classes.empty() ? " (run failed)" : "");
    std::printf("  one JVM (service)      %8.2f s   peak %6.1f MB\n", service.seconds, service.peakKiB / 1024.0);
    std::printf("  one process per class  %8.2f s   peak %6.1f MB\n", process.seconds, process.peakKiB / 1024.0);
    std::printf("  single javap, all      %8.2f s\n", floor.seconds);
    const double speedup = process.seconds / service.seconds;
    const double overFloor = service.seconds / floor.seconds;
    const long peak = std::max(service.peakKiB, process.peakKiB);
    std::printf("  per-process / service  %8.1fx  (target >= 10)  %s\n", speedup, speedup >= 10 ? "ok" : "MISSED");
    std::printf("  service / single javap %8.2fx  (target <= 1.5) %s\n", overFloor, overFloor <= 1.5 ? "ok" : "MISSED");
    std::printf("  beanproxy peak memory  %8.1f MB (target < 50)  %s\n", peak / 1024.0, peak < 50 * 1024 ? "ok" : "MISSED");
    std::printf("  output files identical %s\n", identical ? "yes" : "NO");
    fs::remove_all(work);
    const bool met = speedup >= 10 && overFloor <= 1.5 && peak < 50 * 1024 && identical && !classes.empty();
    return met ? 0 : 1;
}
