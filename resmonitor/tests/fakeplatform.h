#pragma once
// A system whose settings, resource meter and object limits a test sets, and which
// records every creation, deletion and beep.

#include "kf/resmon/platform.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kf::resmon::testing {

class FakePlatform : public CheckPlatform {
public:
    struct Event {
        bool created; // false: destroyed
        Creatable kind;
        Handle object;
    };

    // Settings file contents, by (section, key).
    std::map<std::pair<std::string, std::string>, std::string> profile;
    std::vector<std::pair<std::string, std::string>> reads;

    bool libraryLoads = true;
    bool hasProcedure = true;
    int freePercent = 100;
    std::vector<int> meterCalls;
    std::vector<std::string> openedLibraries;
    std::vector<std::string> lookedUp;
    int openLibraries = 0;

    // How many objects of a kind can be alive at once; unlimited when absent.
    std::map<Creatable, int> limit;
    std::vector<Event> events;
    std::map<Creatable, int> failures;
    std::set<Handle> alive;
    int beeps = 0;

    void Set(const std::string& section, const std::string& key, const std::string& value) {
        profile[{section, key}] = value;
    }

    std::string ReadProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) override {
        reads.emplace_back(section, key);
        auto it = profile.find({section, key});
        return it == profile.end() ? defaultValue : it->second;
    }

    Handle OpenLibrary(const std::string& name) override {
        openedLibraries.push_back(name);
        if (!libraryLoads)
            return 0;
        ++openLibraries;
        return 0x1000;
    }

    ResourceMeterProc LookUpProcedure(Handle library, const std::string& name) override {
        lookedUp.push_back(name);
        if (library != 0x1000 || !hasProcedure)
            return {};
        return [this](int which) {
            meterCalls.push_back(which);
            return freePercent;
        };
    }

    void CloseLibrary(Handle library) override {
        if (library == 0x1000)
            --openLibraries;
    }

    Handle CreateObject(Creatable kind) override {
        auto it = limit.find(kind);
        if (it != limit.end() && Alive(kind) >= it->second) {
            ++failures[kind];
            return 0;
        }
        Handle h = ++lastHandle_;
        alive.insert(h);
        kinds_[h] = kind;
        ++aliveByKind_[kind];
        events.push_back({true, kind, h});
        return h;
    }

    void DestroyObject(Creatable kind, Handle object) override {
        events.push_back({false, kind, object});
        // Destroying with the wrong kind or twice would leak or corrupt on the real system.
        if (alive.count(object) && kinds_[object] == kind) {
            alive.erase(object);
            --aliveByKind_[kind];
        } else
            ++badDestroys;
    }

    void SoundBeep() override { ++beeps; }

    int Alive(Creatable kind) const {
        auto it = aliveByKind_.find(kind);
        return it == aliveByKind_.end() ? 0 : it->second;
    }

    int Created(Creatable kind) const {
        int n = 0;
        for (const Event& e : events)
            n += e.created && e.kind == kind;
        return n;
    }

    // The kinds in the order they were first created (or destroyed).
    std::vector<Creatable> Order(bool created) const {
        std::vector<Creatable> order;
        for (const Event& e : events)
            if (e.created == created && (order.empty() || order.back() != e.kind))
                order.push_back(e.kind);
        return order;
    }

    int badDestroys = 0;

private:
    Handle lastHandle_ = 0;
    std::map<Handle, Creatable> kinds_;
    std::map<Creatable, int> aliveByKind_;
};

} // namespace kf::resmon::testing
