// Every call made into the tool from outside, and every call the tool makes back into its
// client's sinks: object, member, kind, arguments and result, one line each. Kept in memory
// and, when KF_DRAFTORA_JOURNAL names a file, appended to it as it happens.
#pragma once

#include <string>
#include <vector>

#include "kf/model/automation.h"

namespace kf::draftora {

class Journal {
public:
    Journal();
    // A line such as: Model(Sales).Save call("C:\m.oom", 0) -> empty
    void Record(const std::u16string& object, std::u16string_view member,
                kf::model::InvokeKind kind, std::span<const kf::model::Value> args,
                const kf::model::InvokeResult& result);
    void Note(const std::string& line);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
    std::string file_;
};

// Journal and transcript form of a value: empty, true, -3, 7u, "text", Class(App), null.
std::string FormatValue(const kf::model::Value& value);
std::string Quote(std::u16string_view text);

} // namespace kf::draftora
