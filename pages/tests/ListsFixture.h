#pragma once

// A shown page for the text fields, lists and buttons: the instruments'
// page (images, tables, the link's sink, the requests kept) with a view
// that records what the controls post to it, and definitions of each
// category.

#include "GaugeFixture.h"
#include "config/GraphPoint.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/DiagAction.h"
#include "platform/ui/WindowBase.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QWidget>

#include <vector>

namespace vexar::pagestest {

// The view: the numbers it was posted, and the live points.
class RecordingView : public QWidget, public ui::WindowBase {
public:
    RecordingView() : WindowBase(this) {}
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override
    {
        ids.push_back(id);
        if (id == link::WM_LIVE_SAMPLE)
            if (const auto* point = link::LinkRecord<link::GRAPH_POINT_MESSAGE>(payload))
                points.push_back(point->point);
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
    std::size_t Count(unsigned id) const { return static_cast<std::size_t>(std::count(ids.begin(), ids.end(), id)); }
    std::vector<unsigned> ids;
    std::vector<GRAPH_POINT> points;
};

// An owner window of a list: the messages it was posted, with their
// DIAG_ACTION records.
struct OwnerPost {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    bool hasAction = false;
    std::int32_t key = 0, value = 0, index = 0;
    std::uint8_t origin = 0;
};

class RecordingOwner : public QWidget, public ui::WindowBase {
public:
    RecordingOwner() : WindowBase(this) {}
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override
    {
        OwnerPost post{id, wParam};
        if (const auto* action = ui::PayloadAs<DIAG_ACTION>(payload)) {
            post.hasAction = true;
            post.key = action->key;
            post.value = action->value;
            post.index = action->index;
            post.origin = action->origin;
        }
        posts.push_back(post);
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
    std::vector<OwnerPost> posts;
};

// The user opens the list and picks `position` with the keyboard.
inline void Choose(QComboBox& list, int position)
{
    list.showPopup();
    QAbstractItemView* items = list.view();
    items->setCurrentIndex(list.model()->index(position, 0));
    QTest::keyClick(items, Qt::Key_Return);
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

class ListsPage : public GaugePage {
protected:
    ListsPage() { adapter.RegisterWindow(link::UiWindow::View, &view); }
    ~ListsPage() override { adapter.UnregisterWindow(link::UiWindow::View, &view); }


    RecordingView view;
};

// A text field of `bytes` characters at `address` of the parameters.
inline REC_CONTROLLO EditDef(std::int32_t id, std::u16string identifier, std::int32_t address, std::int32_t bytes,
                             std::u16string defaultText = u"")
{
    REC_CONTROLLO d = Def(id, std::move(identifier), CTRL_EDIT, address);
    std::get<EditBlock>(d.GRAFICA).NUM_BYTES = bytes;
    d.DEFAULT = std::move(defaultText);
    return d;
}

// Items {label, value} of a list block.
struct Item {
    std::u16string label;
    std::int32_t value;
};

inline void FillItems(std::vector<std::u16string>& labels, std::vector<std::int32_t>& values, std::int32_t& count,
                      const std::vector<Item>& items)
{
    for (const Item& item : items) {
        labels.push_back(item.label);
        values.push_back(item.value);
    }
    count = static_cast<std::int32_t>(items.size());
}

inline REC_CONTROLLO ComboDef(std::int32_t id, std::int32_t address, const std::vector<Item>& items,
                              std::u16string defaultText = u"0", std::int32_t type = DATO_UBYTE)
{
    REC_CONTROLLO d = Def(id, u"LIST" + std::u16string(1, char16_t(u'0' + id % 10)), CTRL_COMBO, address, type);
    ComboBlock& block = std::get<ComboBlock>(d.GRAFICA);
    FillItems(block.ETICHETTE_ITEMS, block.VALORE_ITEMS, block.NUM_ITEMS, items);
    d.DEFAULT = std::move(defaultText);
    return d;
}

inline REC_CONTROLLO StatoDef(std::int32_t id, std::int32_t address, const std::vector<Item>& items)
{
    REC_CONTROLLO d = Def(id, u"STATE", CTRL_STATO, address);
    StatoBlock& block = std::get<StatoBlock>(d.GRAFICA);
    FillItems(block.ETICHETTE_ITEMS, block.VALORE_ITEMS, block.NUM_ITEMS, items);
    d.DEFAULT.clear();
    return d;
}

inline REC_CONTROLLO DiagDef(std::int32_t id, std::int32_t category, std::int32_t address,
                             const std::vector<Item>& errors)
{
    REC_CONTROLLO d = Def(id, u"ERRORS", category, address);
    DiagBlock& block = std::get<DiagBlock>(d.GRAFICA);
    FillItems(block.ETICHETTE_ERRORI, block.COD_ERRORI, block.NUM_ERRORI, errors);
    d.DEFAULT.clear();
    return d;
}

inline REC_CONTROLLO RiprDef(std::int32_t id, std::int32_t address, std::int32_t elements,
                             const std::vector<Item>& actions, std::u16string defaultText = u"0")
{
    REC_CONTROLLO d = Def(id, u"ACTIONS", CTRL_RIPR, address);
    RiprBlock& block = std::get<RiprBlock>(d.GRAFICA);
    FillItems(block.ETICHETTE_AZIONI, block.COD_AZIONI, block.NUM_AZIONI, actions);
    block.NUM_ERRORI = elements;
    d.DEFAULT = std::move(defaultText);
    return d;
}

}  // namespace vexar::pagestest
