#pragma once

// A window's command handlers by id or id range, and the update handlers
// that set up a menu item before its menu shows. The first registered
// handler that covers an id serves it. A handler may carry its name
// ("Class::Member"); while a DispatchRecord lives, every handler run is
// written into it with its id and name, so that a test sees which handler
// a menu item, key or button reached.

#include <functional>
#include <string>
#include <vector>

namespace vexar::ui {

class CmdUI;

// Registers `member` of the window whose member function this is, named
// as written: VEXAR_ON_COMMAND(commands(), ID_TEST, CVEXARView::OnTest).
#define VEXAR_ON_COMMAND(map, id, member) (map).On((id), [this] { member(); }, #member)

// The handlers run while it lives, in order (one record at a time, on the
// UI thread).
class DispatchRecord {
public:
    struct Entry {
        unsigned id;
        std::string handler;  // empty: a handler without a name
        bool operator==(const Entry&) const = default;
    };

    DispatchRecord();
    ~DispatchRecord();
    DispatchRecord(const DispatchRecord&) = delete;
    DispatchRecord& operator=(const DispatchRecord&) = delete;

    const std::vector<Entry>& Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }
    // The record kept now, if any.
    static DispatchRecord* Current();

private:
    friend class CommandMap;
    std::vector<Entry> m_entries;
};

class CommandMap {
public:
    using Handler = std::function<void(unsigned id)>;
    using UpdateHandler = std::function<void(CmdUI& item)>;

    void On(unsigned id, std::function<void()> handler, const char* name = nullptr);
    void OnRange(unsigned first, unsigned last, Handler handler, const char* name = nullptr);
    // Serves `id` with `handler` in place of the handler registered for it
    // alone before (a derived window's own), or as On when there is none.
    void Override(unsigned id, std::function<void()> handler, const char* name = nullptr);
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
        const char* name = nullptr;
    };
    template <class F>
    static const Entry<F>* Find(const std::vector<Entry<F>>& entries, unsigned id);

    std::vector<Entry<Handler>> m_commands;
    std::vector<Entry<UpdateHandler>> m_updates;
};

}  // namespace vexar::ui
