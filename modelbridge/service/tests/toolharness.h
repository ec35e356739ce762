// The modelling tool the automation tests drive: the stand-in's core in memory (Linux) or
// draftora.dll through the real COM runtime (Windows).
#pragma once

#include <string>
#include <vector>

#include "kf/model/automation.h"

namespace kf::model::testing {

class ToolHarness {
public:
    virtual ~ToolHarness() = default;
    // The plug-out, created by class (Windows) or taken from the tool (Linux).
    virtual ObjectRef Plugout() = 0;
    // Replaces the tool's fixture file; the tool reads it at its next call.
    virtual void SetFixture(const std::string& text) = 0;
    virtual std::vector<std::string> Journal() = 0;
    virtual void ClearJournal() = 0;
    // A measure of what the process holds (objects, handles, bytes) that must not grow.
    struct Usage {
        long objects = 0;
        long handles = 0;
        long long bytes = 0;
    };
    virtual Usage Measure() = 0;
    // Slack allowed for `bytes` after warm-up (allocator pools, caches).
    virtual long long ByteSlack() = 0;
};

ToolHarness& Harness();

} // namespace kf::model::testing
