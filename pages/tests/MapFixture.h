#pragma once

// A shown page for the map tests: the pages side with its images and
// tables, the link's sink (which delivers the controls' posts), maps made
// by their creator and set up as the page builder sets them up, and the
// link requests they post, taken from the real link queue. A worker that
// never runs holds the queue, so every request stays there until the test
// takes it.

#include "EcuTestRig.h"
#include "GaugeFixture.h"
#include "GridFixture.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlGrid.h"
#include "pages/CUtilityGrid.h"
#include "pages/core/CVEXARPages.h"
#include "pages/core/PageGrid.h"
#include "platform/ui/WindowBase.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <ctime>
#include <thread>
#include <vector>

namespace vexar::gridtest {

// One write request: offset and byte count.
struct WRITE {
    std::uintptr_t offset = 0;
    std::intptr_t length = 0;
    friend bool operator==(const WRITE&, const WRITE&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const WRITE& write)
{
    return out << "{" << write.offset << ", " << write.length << "}";
}

// How a map is placed and made.
struct MapPlace {
    std::int32_t row = 1;
    std::int32_t column = 0;
    bool limited = false;
    bool hidden = false;
    bool development = false;
    std::int32_t columnWidth = 60;
};

class MapPage : public ::testing::Test {
protected:
    MapPage()
    {
        pagestest::PrepareForSimulator(app, adapter, linktest::EcuRig::kPort, par, par3, var);
        app.ResizeImages(0x200, 64);
        app.m_clock = [] { return std::time_t{1276588800}; };
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(13);
        page.setFont(font);
        page.resize(900, 700);
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }
    ~MapPage() override
    {
        for (CCtrlGrid* map : maps)
            delete map;
        app.m_pUiSink = nullptr;
    }

    // The creator's record for `definition` at `place` of the page.
    CTRL_CREATE Args(const REC_CONTROLLO& definition, const MapPlace& place = {})
    {
        pagestest::Place at;
        at.row = place.row;
        at.column = place.column;
        at.limited = place.limited;
        at.hidden = place.hidden;
        at.development = place.development;
        CTRL_CREATE args = pagestest::CreateArgs(app, page, pagestest::PageGrid(900, 700, 100, 40), definition, at);
        args.settings.gridColumnWidth = place.columnWidth;
        args.settings.textColour = 0x000000;
        args.settings.valueColour = 0x800000;
        args.settings.gridMax = {600, 800};
        return args;
    }

    // The map of `definition` made by its creator on the page, its
    // calibrable axes set up from `vectors` as the page builder does.
    CCtrlGrid* Make(const REC_CONTROLLO& definition, const std::vector<REC_CONTROLLO>& vectors = {},
                    const MapPlace& place = {})
    {
        const CTRL_CREATE args = Args(definition, place);
        CCtrlGrid* map = nullptr;
        EXPECT_TRUE(CUtility::CreateCtrlGrid(args, map));
        if (!map)
            return nullptr;
        maps.push_back(map);
        std::vector<REC_CONTROLLO> all = vectors;
        all.push_back(definition);
        CUtility::SetupGridAxes(*map, all, place.development);
        par.push_back(map->Entry());
        QApplication::processEvents();
        return map;
    }

    // A worker that never takes anything: requests stay on the link queue.
    void HoldQueue(bool linked = true)
    {
        app.m_pLinkThread = std::make_unique<std::thread>();
        app.m_bLinked = linked ? 1 : 0;
    }
    // The write requests on the queue, taken from it.
    std::vector<WRITE> Writes()
    {
        std::vector<WRITE> writes;
        while (app.m_linkQueue.Pending() > 0) {
            link::LinkMessage request;
            app.m_linkQueue.Wait(request);
            EXPECT_EQ(request.id, link::WM_LINK_WRITE_RANGE);
            writes.push_back({request.wParam, request.lParam});
        }
        return writes;
    }

    static void Deliver()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }
    static void Send(ui::WindowBase& window, unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
    {
        ui::WindowMessage message{id, wParam, lParam, nullptr};
        window.Dispatch(message);
    }
    std::uint8_t& Par(int address) { return app.m_pParMaster[static_cast<std::size_t>(address)]; }
    std::vector<std::uint8_t> ParBytes(int address, int count) const
    {
        return {app.m_pParMaster.get() + address, app.m_pParMaster.get() + address + count};
    }
    static std::u16string Text(const CCtrlGrid& map, int row, int column) { return map.CellText(row, column); }
    // The texts of a block, row after row.
    static std::vector<std::u16string> Texts(const CCtrlGrid& map, int top, int left, int bottom, int right)
    {
        std::vector<std::u16string> texts;
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c)
                texts.push_back(map.CellText(r, c));
        return texts;
    }
    static QPoint Centre(const CCtrlGrid& map, int row, int column) { return map.GetCellRect(row, column).center(); }
    static void Click(CCtrlGrid& map, int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(&map, Qt::LeftButton, modifiers, Centre(map, row, column));
    }
    static void DragTo(CCtrlGrid& map, GRID_CELL from, const std::vector<GRID_CELL>& path)
    {
        QTest::mousePress(&map, Qt::LeftButton, Qt::NoModifier, Centre(map, from.row, from.column));
        for (const GRID_CELL& cell : path)
            QTest::mouseMove(&map, Centre(map, cell.row, cell.column));
        const GRID_CELL last = path.empty() ? from : path.back();
        QTest::mouseRelease(&map, Qt::LeftButton, Qt::NoModifier, Centre(map, last.row, last.column));
    }
    static QImage Shot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    link::LinkUiSinkAdapter adapter;
    CVEXARPages app;
    CTRL_TABLE par, par3, var;
    QWidget page;
    std::vector<CCtrlGrid*> maps;
};

}  // namespace vexar::gridtest
