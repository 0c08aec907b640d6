#include "shell/core/CommandTable.h"

namespace vexar::shell {

namespace {

// Every action has one button row, and with every button shown it takes
// the function key of its slot.
constexpr bool ButtonsTakeTheirSlotsKeys()
{
    for (int action = 0; action < kActionCount; ++action) {
        if (CountRows([action](const COMMAND_ROW& row) { return row.button.action == action; }) != 1)
            return false;
        const COMMAND_KEY key = ActionRow(action).key;
        if (key.kind != KeyKind::Function || key.code != action + 1)
            return false;
    }
    return true;
}
static_assert(ButtonsTakeTheirSlotsKeys());

// A built command names the handler of its item or key, and of its button.
constexpr bool BuiltRowsNameTheirHandlers()
{
    for (const COMMAND_ROW& row : kCommandTable)
        if (!row.pending && (row.handler == nullptr || (row.button.action >= 0 && row.button.handler == nullptr)))
            return false;
    return true;
}
static_assert(BuiltRowsNameTheirHandlers());

}  // namespace

int ActionLabelText(int action, std::int32_t edition) { return ActionRow(action).button.captionText.At(edition); }

int ActionMenuText(int action, std::int32_t edition)
{
    const COMMAND_ROW& row = ActionRow(action);
    return row.button.itemFollows ? row.text.At(edition) : 0;
}

std::optional<int> MenuItemText(unsigned command, std::int32_t edition)
{
    const COMMAND_ROW* row = FindCommandRow(command);
    if (!row || row->lastId != 0 || row->text.id == 0)
        return std::nullopt;
    return row->text.At(edition);
}

std::optional<int> MenuPromptText(unsigned command, std::int32_t edition)
{
    const COMMAND_ROW* row = FindCommandRow(command);
    if (!row || row->prompt.id == 0)
        return std::nullopt;
    return row->prompt.At(edition);
}

}  // namespace vexar::shell
