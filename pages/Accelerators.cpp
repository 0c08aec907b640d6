#include "pages/Accelerators.h"

#include "link/LinkMessages.h"

const vexar::ui::AcceleratorTable& PagesAccelerators()
{
    using namespace vexar::link;
    static const vexar::ui::AcceleratorTable table{
        {Qt::CTRL | Qt::Key_C, ID_EDIT_COPY},
        {Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE},
        {Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO},
        {Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_E, ID_DESIGN_GRID},
    };
    return table;
}
