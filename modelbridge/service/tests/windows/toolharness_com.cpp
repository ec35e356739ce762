// Wine lane: draftora.dll through ole32 and oleaut32. The fixture and journal files are
// named by the tool's variables before the DLL loads.
#include <windows.h>

#include <psapi.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "kf/model/dispatch.h"
#include "kf/wintest/process.h"
#include "toolharness.h"

namespace kf::model::testing {
namespace {

using kf::wintest::Beside;
using kf::wintest::RunProcess;

const CLSID CLSID_DRPlugout = {
    0x12c41d34, 0x4d7d, 0x4035, {0x9e, 0x0c, 0x43, 0x20, 0x2c, 0xa9, 0x42, 0x3a}};

class ComHarness final : public ToolHarness {
public:
    ComHarness() {
        fixture_ = Beside(L"tooldrive.fixture");
        journal_ = Beside(L"tooldrive.journal");
        std::ofstream(fixture_.c_str(), std::ios::trunc);
        std::ofstream(journal_.c_str(), std::ios::trunc);
        SetEnvironmentVariableW(L"KF_DRAFTORA_FIXTURE", fixture_.c_str());
        SetEnvironmentVariableW(L"KF_DRAFTORA_JOURNAL", journal_.c_str());
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const int rc = RunProcess(L"regsvr32.exe /s \"" + Beside(L"draftora.dll") + L"\"");
        if (rc != 0)
            throw std::runtime_error("regsvr32 draftora.dll failed: " + std::to_string(rc));
    }
    ObjectRef Plugout() override {
        IDispatch* d = nullptr;
        HRESULT hr = CoCreateInstance(CLSID_DRPlugout, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                      reinterpret_cast<void**>(&d));
        if (FAILED(hr))
            return nullptr;
        ObjectRef o = FromDispatch(d);
        d->Release();
        return o;
    }
    void SetFixture(const std::string& text) override {
        std::ofstream(fixture_.c_str(), std::ios::binary | std::ios::trunc) << text;
    }
    std::vector<std::string> Journal() override {
        std::ifstream in(journal_.c_str(), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
    void ClearJournal() override { std::ofstream(journal_.c_str(), std::ios::trunc); }
    Usage Measure() override {
        Usage u;
        u.objects = LiveDispatchServers();
        DWORD handles = 0;
        GetProcessHandleCount(GetCurrentProcess(), &handles);
        u.handles = static_cast<long>(handles);
        PROCESS_MEMORY_COUNTERS_EX pmc{};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                             sizeof pmc);
        u.bytes = static_cast<long long>(pmc.PrivateUsage);
        return u;
    }
    // 10,000 rounds that each leaked one BSTR or VARIANT would pass 600 KB.
    long long ByteSlack() override { return 256 * 1024; }

private:
    std::wstring fixture_, journal_;
};

} // namespace

ToolHarness& Harness() {
    static ComHarness harness;
    return harness;
}

} // namespace kf::model::testing
