#include "pages/widgets/CCWNumEdit.h"

#include "InstrumentTestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace instruments;
using vexar::ui::RGB;

namespace {

// A window with a numeric field (0 to 100 at 10, increment 0.5, buttons
// shown) and a second widget to take the focus away, counting the Enter
// keys that reach the window.
class FieldWindow : public QWidget {
public:
    CCWNumEdit field{this};
    QWidget other{this};
    int enters = 0;

    FieldWindow()
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(&field);
        layout->addWidget(&other);
        other.setFocusPolicy(Qt::StrongFocus);
        field.SetRange(0, 100);
        field.SetIncrement(0.5);
        field.SetValue(10);
        ShowSized(*this, 180, 80);
        (void)QTest::qWaitForWindowActive(this);
        field.setFocus(Qt::TabFocusReason);
    }
    QPoint UpButton() const { return QPoint(field.width() - 4, field.height() / 4); }
    QPoint DownButton() const { return QPoint(field.width() - 4, field.height() * 3 / 4); }
    void Type(const char* text) { QTest::keyClicks(&field, text); }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return)
            ++enters;
    }
};

std::vector<double> Values(const QSignalSpy& spy)
{
    std::vector<double> values;
    for (const QList<QVariant>& call : spy)
        values.push_back(call.at(0).toDouble());
    return values;
}

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TEST(CCWNumEdit, UserEditsAreReportedApartFromTheProgramsValues)
{
    struct Case {
        const char* name;
        std::function<void(FieldWindow&)> act;
        double value;
        std::vector<double> edited;
        int changes;
        const char* text;
    };
    const Case cases[] = {
        {"typed and given with Enter", [](FieldWindow& w) { w.Type("12.5\r"); }, 12.5, {12.5}, 1, "12.5"},
        {"a decimal comma reads as the point", [](FieldWindow& w) { w.Type("12,5\r"); }, 12.5, {12.5}, 1, "12.5"},
        {"a text that is no number is dropped", [](FieldWindow& w) { w.Type("1.2.3\r"); }, 10, {}, 0, "10"},
        {"a value above the limit is brought to it", [](FieldWindow& w) { w.Type("500\r"); }, 100, {100}, 1, "100"},
        {"the same value again is no change", [](FieldWindow& w) { w.Type("10\r"); }, 10, {}, 0, "10"},
        {"Escape drops what was typed",
         [](FieldWindow& w) {
             w.Type("77");
             QTest::keyClick(&w.field, Qt::Key_Escape);
             QTest::keyClick(&w.field, Qt::Key_Return);
         },
         10, {}, 0, "10"},
        {"the focus leaving gives the typed text",
         [](FieldWindow& w) {
             w.Type("33");
             w.other.setFocus(Qt::TabFocusReason);
         },
         33, {33}, 1, "33"},
        {"the buttons step by the increment, one edit per press",
         [](FieldWindow& w) {
             QTest::mouseClick(&w.field, Qt::LeftButton, {}, w.UpButton());
             QTest::mouseClick(&w.field, Qt::LeftButton, {}, w.UpButton());
             QTest::mouseClick(&w.field, Qt::LeftButton, {}, w.DownButton());
         },
         10.5, {10.5, 11, 10.5}, 3, "10.5"},
        {"Up and Down step like the buttons",
         [](FieldWindow& w) {
             HoldKey(w.field, Qt::Key_Down, 1);
             QTest::keyClick(&w.field, Qt::Key_Up);
         },
         9.5, {9.5, 9, 9.5}, 3, "9.5"},
        {"discrete: a typed value goes to the nearest step",
         [](FieldWindow& w) {
             w.field.SetDiscrete(true);
             w.Type("12.3\r");
         },
         12.5, {12.5}, 1, "12.5"},
        {"the program's value is no edit",
         [](FieldWindow& w) {
             w.field.SetValue(42);
             w.field.SetValue(42);
             w.field.SetValue(std::nan(""));
         },
         42, {}, 1, "42"},
        {"the program's value is shown as it is, beyond the limits too",
         [](FieldWindow& w) { w.field.SetValue(-7.25); }, -7.25, {}, 1, "-7.25"},
        {"text being typed stays when the program sets a value, and is given after",
         [](FieldWindow& w) {
             w.Type("6");
             w.field.SetValue(20);
             w.Type("4\r");
         },
         64, {64}, 2, "64"},
        {"a hexadecimal field reads hexadecimal",
         [](FieldWindow& w) {
             w.field.SetFormat(u"\"0x\"8X");
             w.Type("0x1F\r");
         },
         31, {31}, 1, "0x0000001F"},
        {"Backspace and the arrows edit the text",
         [](FieldWindow& w) {
             QTest::keyClick(&w.field, Qt::Key_End);
             QTest::keyClick(&w.field, Qt::Key_Backspace);  // "1"
             w.Type("5");                                    // "15"
             QTest::keyClick(&w.field, Qt::Key_Home);
             w.Type("2");                                    // "215" above the limit
             QTest::keyClick(&w.field, Qt::Key_Delete);      // "25"
             QTest::keyClick(&w.field, Qt::Key_Return);
         },
         25, {25}, 1, "25"},
        {"the computed mode takes nothing",
         [](FieldWindow& w) {
             w.field.SetMode(CCWNumEdit::Mode::Computed);
             w.Type("55\r");
             QTest::mouseClick(&w.field, Qt::LeftButton, {}, w.UpButton());
         },
         10, {}, 0, "10"},
        {"without input it takes nothing",
         [](FieldWindow& w) {
             w.field.SetInputEnabled(false);
             w.Type("55\r");
             QTest::mouseClick(&w.field, Qt::LeftButton, {}, w.UpButton());
         },
         10, {}, 0, "10"},
        {"without buttons Up and Down step nothing",
         [](FieldWindow& w) {
             w.field.SetIncDecButtons(false);
             QTest::keyClick(&w.field, Qt::Key_Up);
         },
         10, {}, 0, "10"},
    };
    for (const Case& c : cases) {
        FieldWindow w;
        ASSERT_TRUE(w.field.hasFocus()) << c.name;
        QSignalSpy edited(&w.field, &CCWNumEdit::valueEdited);
        QSignalSpy changed(&w.field, &CCWNumEdit::valueChanged);
        c.act(w);
        EXPECT_EQ(w.field.GetValue(), c.value) << c.name;
        EXPECT_EQ(Values(edited), c.edited) << c.name;
        EXPECT_EQ(changed.count(), c.changes) << c.name;
        EXPECT_EQ(Narrow(w.field.GetText()), c.text) << c.name;
    }
}

TEST(CCWNumEdit, EnterGoesOnToTheWindowAfterGivingTheValue)
{
    FieldWindow w;
    QSignalSpy edited(&w.field, &CCWNumEdit::valueEdited);
    w.Type("15\r");
    EXPECT_EQ(edited.count(), 1);
    EXPECT_EQ(w.enters, 1);
}

TEST(CCWNumEdit, ModesAndLimitsAsSet)
{
    CCWNumEdit field;
    EXPECT_EQ(field.focusPolicy(), Qt::StrongFocus);
    field.SetMode(CCWNumEdit::Mode::Computed);
    EXPECT_EQ(field.focusPolicy(), Qt::NoFocus);
    field.SetMode(CCWNumEdit::Mode::Edit);
    field.SetRange(65535, 0);  // given backwards: still the limits
    EXPECT_EQ(field.GetMinimum(), 0);
    EXPECT_EQ(field.GetMaximum(), 65535);
    field.SetIncrement(-2);
    EXPECT_EQ(field.GetIncrement(), 2);
    field.SetValue(0.125);
    field.SetFormat(u".#0");
    EXPECT_EQ(Narrow(field.GetText()), "0.13");
    EXPECT_EQ(field.GetValue(), 0.125);  // the mask shows, the value stays
}

// The text stands where the alignment puts it, in the value colour; the
// computed face differs from the editable one.
TEST(CCWNumEdit, DrawsItsTextAlignedInItsColour)
{
    constexpr vexar::ui::COLORREF kInk = RGB(255, 0, 0);
    struct Case {
        CCWNumEdit::Alignment alignment;
        bool buttons;
    };
    const Case cases[] = {{CCWNumEdit::Alignment::Left, false},
                          {CCWNumEdit::Alignment::Center, false},
                          {CCWNumEdit::Alignment::Right, false},
                          {CCWNumEdit::Alignment::Right, true}};
    for (const Case& c : cases) {
        CCWNumEdit field;
        field.SetValueColor(kInk);
        field.SetValue(88);
        field.SetAlignment(c.alignment);
        field.SetIncDecButtons(c.buttons);
        field.resize(200, 30);
        const Patch text = FindColour(Shot(field), kInk, 60);
        ASSERT_GT(text.count, 10);
        switch (c.alignment) {
        case CCWNumEdit::Alignment::Left:
            EXPECT_LT(text.bounds.left(), 10);
            break;
        case CCWNumEdit::Alignment::Center:
            EXPECT_NEAR(text.bounds.center().x(), 100, 3);
            break;
        case CCWNumEdit::Alignment::Right:
            // Left of the buttons when they show.
            EXPECT_GT(text.bounds.right(), c.buttons ? 160 : 185);
            EXPECT_LT(text.bounds.right(), c.buttons ? 190 : 200);
            break;
        }
    }

    CCWNumEdit field;
    field.SetIncDecButtons(false);
    field.resize(200, 30);
    const QColor editable = Shot(field).pixelColor(30, 20);
    field.SetMode(CCWNumEdit::Mode::Computed);
    const QColor computed = Shot(field).pixelColor(30, 20);
    EXPECT_FALSE(Near(editable, computed, 3));
}

TEST(CCWNumEdit, ALongNumberShrinksRatherThanBeingCut)
{
    constexpr vexar::ui::COLORREF kInk = RGB(255, 0, 0);
    CCWNumEdit field;
    field.SetValueColor(kInk);
    field.SetIncDecButtons(false);
    field.SetValue(123456789.125);
    field.SetFormat(u".##0");
    const int natural = QFontMetrics(field.font()).horizontalAdvance(QString::fromStdU16String(field.GetText()));
    field.resize(natural * 3 / 4 + 10, 30);
    Patch text = FindColour(Shot(field), kInk, 60);
    ASSERT_GT(text.count, 10);
    EXPECT_GE(text.bounds.left(), 2);
    EXPECT_LE(text.bounds.right(), field.width() - 3);

    // Too narrow even for the smaller font: cut at the end, never before
    // the leading digits, and the value and its text stay whole. (Small
    // glyphs are thin: their ink is paler.)
    field.resize(natural / 2, 30);
    text = FindColour(Shot(field), kInk, 130);
    ASSERT_GT(text.count, 10);
    EXPECT_GE(text.bounds.left(), 2);
    EXPECT_LE(text.bounds.right(), field.width() - 3);
    EXPECT_EQ(Narrow(field.GetText()), "123456789.125");
}

TEST(CCWNumEdit, PaintsAtAnySize)
{
    for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(6, 60), QSize(300, 4)}) {
        CCWNumEdit field;
        field.SetValue(-1e300);
        field.resize(size);
        (void)field.grab();
        field.SetMode(CCWNumEdit::Mode::Computed);
        (void)field.grab();
    }
    // Values no mask can show whole still give a text.
    for (const char16_t* mask : {u"\"0x\"8X", u"8b", u"%*100", u".##"}) {
        CCWNumEdit field;
        field.SetFormat(mask);
        for (const double value : {-1e300, 1e300, -1.0, 4294967296.0}) {
            field.SetValue(value);
            EXPECT_FALSE(field.GetText().empty());
        }
    }
}
