// The mouse wheel over the first parameter page of the synthetic
// configuration, built as the view builds it and connected to the
// simulated ECU: a turn reaches the widget under the pointer as the window
// system delivers it and goes on to the page, which scrolls; over every
// kind of bound control no shown value changes and nothing is written.
#include "PagesOnLine.h"

#include "pages/CDlgTabWnd.h"
#include "pages/PageScroller.h"
#include "pages/widgets/tests/InstrumentTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

using namespace vexar::pagestest;
using vexar::ecusim::Image;
using vexar::pagesfixture::PagesFixtureOptions;

namespace {

// The write frames of the second protocol (byte, word, block).
constexpr std::uint8_t kWriteCommands[] = {2, 4, 6};

// A window smaller than the first page, which then scrolls both ways.
PagesFixtureOptions SmallWindow()
{
    PagesFixtureOptions options;
    options.window = QRect(0, 0, 520, 380);
    return options;
}

class WheelOnLine : public PagesOnLine {
protected:
    WheelOnLine() : PagesOnLine(SmallWindow()) {}

    const CTRL_WND& Entry(std::int32_t key)
    {
        for (const CTRL_WND& entry : fixture->Params().m_allTable)
            if (entry.key == key)
                return entry;
        throw std::runtime_error("no such control");
    }
    static QWidget& Widget(const CTRL_WND& entry) { return dynamic_cast<QWidget&>(*entry.wnd); }

    // What a control shows: its value, and a field's text or a list's item.
    static std::string Shown(const CTRL_WND& entry)
    {
        QString shown = QString::number(entry.wnd->GetValue(), 'g', 17);
        QWidget& widget = Widget(entry);
        if (auto* field = qobject_cast<QLineEdit*>(&widget))
            shown += " text " + field->text();
        if (auto* list = qobject_cast<QComboBox*>(&widget))
            shown += " item " + QString::number(list->currentIndex());
        return shown.toStdString();
    }

    std::size_t WriteFrames()
    {
        std::size_t n = 0;
        for (const std::uint8_t command : kWriteCommands)
            n += rig.sim().CountRequests(command);
        return n;
    }
};

struct Kind {
    const char* name;
    std::int32_t key;
};

// Over each control a turn away from the user and one towards the user
// scroll the page by the wheel's lines, or as far as it goes; a turn at
// the page's end goes on up and scrolls nothing. No turn changes a value
// or asks for a write, and the ECU keeps its calibration.
TEST_F(WheelOnLine, AWheelTurnOverAControlScrollsThePageAndChangesNoValue)
{
    const std::uint8_t changeoverOn[] = {0x01};  // shows the changeover's knob and slide
    rig.sim().WriteImage(Image::Parameters, 16, changeoverOn);
    Connect();
    ShowAndWait(fixture->Params());
    CDlgTabWnd& page = *fixture->Params().ConfiguredPages().at(0);
    QScrollBar& vertical = *page.Scroller().Vertical();
    QScrollBar& horizontal = *page.Scroller().Horizontal();
    ASSERT_TRUE(vertical.isVisible()) << "the page is higher than its window";
    const int notch = QApplication::wheelScrollLines() * vertical.singleStep();
    ASSERT_GE(vertical.maximum(), notch);

    const std::vector<std::uint8_t> ecu = rig.sim().ReadImage(Image::Parameters, 0, 64);
    const std::size_t writes = WriteFrames();
    const std::vector<Kind> kinds = {
        {"a text field", 101}, {"a list", 107},  {"a list of fuels", 108}, {"a check box", 102},
        {"a toggle", 103},     {"a numeric field", 104}, {"a knob", 105},  {"a slide", 106},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const CTRL_WND& entry = Entry(kind.key);
        QWidget& control = Widget(entry);
        ASSERT_EQ(control.parentWidget(), &page);
        ASSERT_TRUE(control.isVisible());
        // The control at the left of the window and as near its middle as
        // the page goes.
        horizontal.setValue(horizontal.value() + control.x() - 10);
        vertical.setValue(vertical.value() + control.y() + control.height() / 2 - page.Scroller().Viewport().height() / 2);
        const std::string before = Shown(entry);

        // Away from the user the page moves down, as far as its top.
        int position = vertical.value();
        int y = control.y();
        ASSERT_TRUE(instruments::TurnWheel(control, 1)) << "the control shows under the pointer";
        int moved = position - std::max(position - notch, 0);
        EXPECT_EQ(vertical.value(), position - moved);
        EXPECT_EQ(control.y(), y + moved);
        EXPECT_EQ(Shown(entry), before) << "a turn away from the user";

        // Towards the user it moves up, as far as its bottom.
        position = vertical.value();
        y = control.y();
        ASSERT_TRUE(instruments::TurnWheel(control, -1));
        moved = std::min(position + notch, vertical.maximum()) - position;
        EXPECT_EQ(vertical.value(), position + moved);
        EXPECT_EQ(control.y(), y - moved);
        EXPECT_EQ(Shown(entry), before) << "a turn towards the user";
    }

    Served();
    EXPECT_EQ(WriteFrames(), writes) << "no write reached the ECU";
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0, 64), ecu);
}

}  // namespace
