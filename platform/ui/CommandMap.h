#pragma once

// A window's command handlers by id or id range, and the update handlers
// that set up a menu item before its menu shows. The first registered
// handler that covers an id serves it.

#include <functional>
#include <vector>

namespace vexar::ui {

class CmdUI;

class CommandMap {
public:
    using Handler = std::function<void(unsigned id)>;
    using UpdateHandler = std::function<void(CmdUI& item)>;

    void On(unsigned id, std::function<void()> handler);
    void OnRange(unsigned first, unsigned last, Handler handler);
    void OnUpdate(unsigned id, UpdateHandler handler);
    void OnUpdateRange(unsigned first, unsigned last, UpdateHandler handler);

    bool Handles(unsigned id) const;
    // Runs the handler of `id`; false when there is none.
    bool Run(unsigned id) const;
    // Runs the update handler of the item's id; false when there is none.
    bool Update(CmdUI& item) const;

private:
    template <class F>
    struct Entry {
        unsigned first;
        unsigned last;
        F handler;
    };
    template <class F>
    static const F* Find(const std::vector<Entry<F>>& entries, unsigned id);

    std::vector<Entry<Handler>> m_commands;
    std::vector<Entry<UpdateHandler>> m_updates;
};

}  // namespace vexar::ui
