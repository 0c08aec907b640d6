#pragma once

// The graph test window with the variable picker and the list of traces
// beside the graph, as the graph page has them: a pick posts
// WM_PICKER_SELCHANGE, on which the window adds a list line with the
// display parameter and a trace in the first free colour slot searched
// from a rotating start, the line showing that slot's image; a tenth
// trace is the last; a double-click on a line removes the line and its
// trace. Test code, not the graph page.

#include "GraphTestOwner.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlList.h"
#include "pages/CUtilityPickers.h"

#include <QPainter>
#include <QPixmap>

#include <vector>

class GraphPickerOwner : public GraphTestOwner {
public:
    static constexpr int kSlots = 10;
    static constexpr int kSideWidth = 220;

    GraphPickerOwner(CVEXARPages& app, const std::string& languageFile, const CTRL_TABLE& table)
        : GraphTestOwner(languageFile, {900, 480}), picker(app, this), list(this), m_table(table)
    {
        picker.SetRole(CCtrlCombo::kRolePicker);
        picker.SetOwner(this);
        list.setHeaderLabels({"Nome"});
        CUtility::SetListImages(list, SlotImages());
        connect(&list, &QTreeWidget::itemDoubleClicked, this,
                [this](QTreeWidgetItem* item) { OnRemoveTrace(list.indexOfTopLevelItem(item)); });
        CUtility::FillVarCombo(OPR_PRV, m_table, picker);
        picker.SetSelection(-1);
    }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override
    {
        if (id == vexar::link::WM_PICKER_SELCHANGE) {
            OnAddVariable();
            return 0;
        }
        return GraphTestOwner::onMessage(id, wParam, lParam, payload);
    }

    // The first slot without a trace, from the rotating start.
    int FindFreeTrace() const
    {
        for (int i = 0; i < kSlots; ++i) {
            const int slot = (m_freeStart + i) % kSlots;
            if (!graph.IsSlotUsed(slot))
                return slot;
        }
        return -1;
    }

    static QColor SlotColour(int slot) { return vexar::ui::ToQColor(CCtrlGraph::SlotColour(slot)); }

    CCtrlCombo picker;
    CCtrlList list;

protected:
    QRect GraphArea() const override { return QRect(0, 0, width() - kSideWidth, height()); }

    void resizeEvent(QResizeEvent* event) override
    {
        GraphTestOwner::resizeEvent(event);
        const int left = width() - kSideWidth + 8;
        picker.setGeometry(left, 8, kSideWidth - 16, picker.sizeHint().height());
        list.setGeometry(left, 16 + picker.height(), kSideWidth - 16, height() - 24 - picker.height());
    }

private:
    void OnAddVariable()
    {
        if (list.topLevelItemCount() >= kSlots) {
            picker.SetSelection(-1);
            return;
        }
        const int slot = FindFreeTrace();
        if (slot < 0)
            return;
        REC_CONTROLLO definition;
        if (CUtility::AddVarToList(m_table, picker, list, true, slot, &definition, nullptr) < 0)
            return;
        graph.AddTrace({definition.IDENTIFICATORE, slot, {}}, false);
        m_freeStart = slot + 1 < kSlots ? slot + 1 : 0;
    }

    void OnRemoveTrace(int line)
    {
        if (CUtility::RemoveVarFromList(line, picker, list))
            graph.RemoveTrace(line);
    }

    // One square of its slot's colour per trace slot.
    static std::vector<QIcon> SlotImages()
    {
        std::vector<QIcon> images;
        for (int slot = 0; slot < kSlots; ++slot) {
            QPixmap image(16, 16);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.fillRect(QRect(2, 2, 12, 12), SlotColour(slot));
            painter.setPen(Qt::black);
            painter.drawRect(QRect(2, 2, 11, 11));
            painter.end();
            images.emplace_back(image);
        }
        return images;
    }

    const CTRL_TABLE& m_table;
    int m_freeStart = 0;
};
