// RunRedirected on Windows: arguments arrive unchanged, handles and exit codes.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kf/ejb/process.h"
#include "winpaths.h"

namespace {

using kf::ejb::RunRedirected;
using kf::wintest::ExecutableDirectory;
using kf::wintest::ReadFileText;

const std::string kOut = "argecho_out.txt";
const std::string kErr = "argecho_err.txt";

std::string Echo() { return ExecutableDirectory() + "argecho"; }

// Lines of argecho's output after the command line (\r\n from the C runtime's text mode).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return lines;
}

class RunRedirectedTest : public ::testing::Test {
protected:
    void TearDown() override {
        std::remove(kOut.c_str());
        std::remove(kErr.c_str());
        SetEnvironmentVariableA("KF_ARGECHO_EXIT", nullptr);
    }
};

TEST_F(RunRedirectedTest, EveryArgumentArrivesAsOneUnchanged) {
    const std::vector<std::vector<std::string>> cases = {
        {"com.acme.Account"},
        {"with space", "two  spaces"},
        {"quote\"inside", "\"quoted\""},
        {"trailing\\", "c:\\dir with space\\"},
        {"back\\\\slash\\\"quote", "\\\\server\\share"},
        {"", "empty before"},
        {"tab\there"},
        {"x\" -injected \"y", "a\" & echo injected"},
        {"Outer$Inner", "-s", "-public"},
    };
    for (const auto& args : cases) {
        auto code = RunRedirected(Echo(), args, kOut, kErr);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(*code, 0);
        auto lines = Lines(ReadFileText(kOut));
        ASSERT_FALSE(lines.empty());
        lines.erase(lines.begin());
        EXPECT_EQ(lines, args) << "command line: " << Lines(ReadFileText(kOut))[0];
    }
}

TEST_F(RunRedirectedTest, JavapCommandLineQuotesProgramAndClassPath) {
    auto code = RunRedirected(Echo(),
                              {"-s", "-public", "-classpath", "c:\\lib;c:\\jre\\rt.jar;",
                               "com.acme.Account"},
                              kOut, kErr);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(Lines(ReadFileText(kOut))[0],
              "\"" + Echo() + "\" -s -public -classpath \"c:\\lib;c:\\jre\\rt.jar;\" com.acme.Account");
}

TEST_F(RunRedirectedTest, OutputAndErrorGoToTruncatedFiles) {
    for (const std::string& f : {kOut, kErr}) {
        FILE* stale = std::fopen(f.c_str(), "wb");
        std::fputs(std::string(10000, 'x').c_str(), stale);
        std::fclose(stale);
    }
    ASSERT_EQ(RunRedirected(Echo(), {"a"}, kOut, kErr), 0);
    EXPECT_EQ(Lines(ReadFileText(kOut)).size(), 2u);
    EXPECT_EQ(ReadFileText(kErr), "argecho stderr\r\n");
}

TEST_F(RunRedirectedTest, ReportsExitCode) {
    SetEnvironmentVariableA("KF_ARGECHO_EXIT", "3");
    EXPECT_EQ(RunRedirected(Echo(), {}, kOut, kErr), 3);
}

TEST_F(RunRedirectedTest, BareNameIsFoundOnSearchPath) {
    char old[32767];
    const DWORD n = GetEnvironmentVariableA("PATH", old, sizeof old);
    const std::string dir = ExecutableDirectory();
    SetEnvironmentVariableA("PATH", (dir + ";" + std::string(old, n)).c_str());
    // Run from elsewhere so the program's own folder is not what finds it.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    CreateDirectoryA("elsewhere", nullptr);
    SetCurrentDirectoryA("elsewhere");
    auto code = RunRedirected("argecho", {"x"}, kOut, kErr);
    std::remove(kOut.c_str());
    std::remove(kErr.c_str());
    SetCurrentDirectoryA(cwd);
    SetEnvironmentVariableA("PATH", std::string(old, n).c_str());
    EXPECT_EQ(code, 0);
}

TEST_F(RunRedirectedTest, FailsWhenProgramCannotStart) {
    EXPECT_EQ(RunRedirected(ExecutableDirectory() + "no-such-program", {}, kOut, kErr), std::nullopt);
    EXPECT_EQ(RunRedirected("bad\"name", {}, kOut, kErr), std::nullopt);
    EXPECT_EQ(RunRedirected(Echo(), {std::string("nul\0byte", 8)}, kOut, kErr), std::nullopt);
}

TEST_F(RunRedirectedTest, FailsWhenFilesCannotBeCreated) {
    EXPECT_EQ(RunRedirected(Echo(), {}, "no-such-dir\\out.txt", kErr), std::nullopt);
}

} // namespace
