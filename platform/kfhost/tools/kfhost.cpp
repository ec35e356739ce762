// kfhost <scenario> [--transcript <file>] [--tool-fixture <file>]
// Runs a scenario against the plug-in and writes the transcript (standard output when no
// file is named). Exit code: 0 all steps held, 1 an expectation failed, 2 bad input.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "kf/draftora/tool.h"
#include "kf/kfhost/runner.h"

#ifdef _WIN32
#include <objbase.h>

#include "../windows/complugin.h"
#include "../windows/dialogdriver.h"
#include "../windows/hostdll.h"
#endif

int main(int argc, char** argv) {
    std::filesystem::path scenario, transcriptFile, toolFixture;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--transcript" || a == "--tool-fixture") && i + 1 < argc)
            (a == "--transcript" ? transcriptFile : toolFixture) = argv[++i];
        else if (scenario.empty() && a.rfind("--", 0) != 0)
            scenario = a;
        else {
            std::cerr << "usage: kfhost <scenario> [--transcript <file>] [--tool-fixture <file>]\n";
            return 2;
        }
    }
    if (scenario.empty()) {
        std::cerr << "usage: kfhost <scenario> [--transcript <file>] [--tool-fixture <file>]\n";
        return 2;
    }
    std::vector<kf::kfhost::Step> steps;
    try {
        steps = kf::kfhost::ParseScenario(kf::draftora::ReadTextFile(scenario), scenario.string());
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    if (toolFixture.empty())
        toolFixture = std::filesystem::path(scenario.stem()).replace_extension(".tool-fixture");
    std::ofstream(toolFixture, std::ios::trunc);
#ifdef _WIN32
    _putenv_s("KF_DRAFTORA_FIXTURE", toolFixture.string().c_str());
#else
    setenv("KF_DRAFTORA_FIXTURE", toolFixture.c_str(), 1);
#endif
    kf::pluginhost::Transcript transcript;
#ifdef _WIN32
    // pluginhost.dll adds its own lines (messages, service calls) to the same file.
    bool print = transcriptFile.empty();
    if (print)
        transcriptFile = std::filesystem::path(scenario.stem()).replace_extension(".transcript");
    _putenv_s("KF_HOST_TRANSCRIPT", transcriptFile.string().c_str());
#endif
    if (!transcriptFile.empty())
        transcript.WriteTo(transcriptFile);
    kf::pluginhost::HostServices host(transcript);
#ifdef _WIN32
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string error;
    HMODULE pluginHost = kf::kfhost::LoadPluginHost(error);
    auto hostSide = pluginHost ? kf::kfhost::PluginHostSide(pluginHost, error) : nullptr;
    auto plugin = hostSide ? kf::kfhost::LoadRegisteredPlugin(pluginHost, error) : nullptr;
    if (!plugin) {
        std::cerr << "kfhost: " << error << "\n";
        return 2;
    }
    // The tool runs in draftora.dll; its journal file joins the transcript.
    auto journalFile = std::filesystem::path(scenario.stem()).replace_extension(".journal");
    std::ofstream(journalFile, std::ios::trunc);
    _putenv_s("KF_DRAFTORA_JOURNAL", journalFile.string().c_str());
    auto journal = [journalFile] {
        std::vector<std::string> lines;
        std::ifstream in(journalFile);
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    };
    kf::kfhost::Runner runner(host, transcript, *plugin, toolFixture, journal);
    kf::kfhost::WindowsDialogDriver dialogs(transcript);
    runner.SetDialogDriver(&dialogs);
    // Host fixture lines and menus are pluginhost.dll's; its lines join the file, where
    // `expect` looks for them.
    runner.SetHostSide(hostSide.get());
    runner.SetTranscriptLines([transcriptFile] {
        std::vector<std::string> lines;
        std::ifstream in(transcriptFile, std::ios::binary);
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    });
#else
    // In memory: the tool's core. The plug-in's portable service logic plugs in here.
    kf::draftora::Tool tool;
    auto plugin = kf::kfhost::NotImplementedPlugin();
    kf::kfhost::Runner runner(host, transcript, *plugin, toolFixture,
                              [&] { return tool.journal().Lines(); });
    bool print = transcriptFile.empty();
#endif
    int failures = 0;
    try {
        failures = runner.Run(steps, scenario.string());
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    if (print) {
        if (transcriptFile.empty())
            for (const auto& l : transcript.Lines())
                std::cout << l << "\n";
        else
            std::cout << kf::draftora::ReadTextFile(transcriptFile);
    }
    return failures ? 1 : 0;
}
