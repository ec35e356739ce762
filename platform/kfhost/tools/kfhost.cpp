// kfhost <scenario> [--transcript <file>] [--tool-fixture <file>]
// Runs a scenario against the plug-in and writes the transcript (standard output when no
// file is named). Exit code: 0 all steps held, 1 an expectation failed, 2 bad input.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "kf/draftora/tool.h"
#include "kf/kfhost/runner.h"

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
        toolFixture = std::filesystem::path(scenario).replace_extension(".tool-fixture");
    std::ofstream(toolFixture, std::ios::trunc);
#ifdef _WIN32
    _putenv_s("KF_DRAFTORA_FIXTURE", toolFixture.string().c_str());
#else
    setenv("KF_DRAFTORA_FIXTURE", toolFixture.c_str(), 1);
#endif
    kf::pluginhost::Transcript transcript;
    if (!transcriptFile.empty())
        transcript.WriteTo(transcriptFile);
    kf::pluginhost::HostServices host(transcript);
    // In memory: the tool's core. The plug-in's portable service logic plugs in here.
    kf::draftora::Tool tool;
    auto plugin = kf::kfhost::NotImplementedPlugin();
    kf::kfhost::Runner runner(host, transcript, *plugin, toolFixture,
                              [&] { return tool.journal().Lines(); });
    int failures = 0;
    try {
        failures = runner.Run(steps, scenario.string());
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    if (transcriptFile.empty())
        for (const auto& l : transcript.Lines())
            std::cout << l << "\n";
    return failures ? 1 : 0;
}
