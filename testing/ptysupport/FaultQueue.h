#pragma once

// The faults a simulator has armed for the requests to come, and the
// common part of their command-line form.

#include <string_view>
#include <utility>
#include <vector>

namespace vexar::ptysupport {

enum class Repeat { Once, Always };

// Faults armed per request key. A request meets every fault armed "always"
// whose key matches it, plus the oldest matching one armed "once", which it
// uses up; so faults armed once are met by successive requests in arming
// order.
template <typename Key, typename Fault>
class FaultQueue {
public:
    void Arm(Key key, Fault fault, Repeat repeat) { m_entries.push_back({std::move(key), fault, repeat}); }
    void Clear() { m_entries.clear(); }

    // `matches(key)` tells whether an armed key picks the request.
    template <typename Matches>
    std::vector<Fault> Take(Matches matches)
    {
        std::vector<Fault> faults;
        bool usedOnce = false;
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            const bool picked = matches(it->key);
            if (picked && it->repeat == Repeat::Always) {
                faults.push_back(it->fault);
            } else if (picked && !usedOnce) {
                faults.push_back(it->fault);
                usedOnce = true;
                it = m_entries.erase(it);
                continue;
            }
            ++it;
        }
        return faults;
    }

private:
    struct Entry {
        Key key;
        Fault fault;
        Repeat repeat;
    };
    std::vector<Entry> m_entries;
};

// The fields of a fault's command-line form "KEY:KIND[:ARGUMENT][:always]",
// split at the colons; a last field "always" (after at least two others)
// sets `repeat` and is removed.
inline std::vector<std::string_view> SplitFaultText(std::string_view text, Repeat& repeat)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const auto colon = text.find(':');
        fields.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos)
            break;
        text.remove_prefix(colon + 1);
    }
    repeat = Repeat::Once;
    if (fields.size() > 2 && fields.back() == "always") {
        repeat = Repeat::Always;
        fields.pop_back();
    }
    return fields;
}

}  // namespace vexar::ptysupport
