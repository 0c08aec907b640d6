#include "pages/CUtilityLabels.h"

#include "common/Text.h"
#include "config/RecInterfaccia.h"
#include "pages/core/CUtilityBuild.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>

#include <new>

namespace CUtility {

namespace {

QString ToQ(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Rectangles as edges: right and bottom lie just outside.
QRect FromEdges(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }
int RightOf(const QRect& r) { return r.x() + r.width(); }
int BottomOf(const QRect& r) { return r.y() + r.height(); }

// The text's width + 5 pixels in the page font, 0 for no text.
int TextWidth(const QFont& font, const std::u16string& text)
{
    return text.empty() ? 0 : QFontMetrics(font).horizontalAdvance(ToQ(text)) + 5;
}

int TextHeight(const QFont& font) { return QFontMetrics(font).height(); }

LabelSlot MakeLabel(const CTRL_CREATE& args, const QRect& rect, const std::u16string& text, Qt::Alignment alignment,
                    bool visible, bool disabled = false)
{
    auto label = std::make_unique<CCtrlStatic>(args.parent);
    label->m_textColour = args.settings.textColour;
    label->setFont(args.font);
    label->setAlignment(alignment);
    label->setText(ToQ(text));
    label->setGeometry(rect);
    vexar::ui::SetDlgCtrlID(*label, kLabelId);
    vexar::ui::EnableWindow(*label, !disabled);
    label->setVisible(visible);
    return label;
}

bool ShowsWith(const CTRL_CREATE& args) { return args.visible && !args.hidden; }

// "name (unit)", or the name alone when there is no unit.
std::u16string NameWithUnit(const std::u16string& name, const std::u16string& unit)
{
    return unit.empty() ? name : vexar::Format(u"%s (%s)", name, unit);
}

// A text centred over `control`, its height + 5 pixels above it; made only
// inside the area's left and top edges.
void CentredAbove(const CTRL_CREATE& args, const QRect& control, const std::u16string& text, LabelSlot* label)
{
    if (!label)
        return;
    const int width = TextWidth(args.font, text);
    const int height = TextHeight(args.font);
    const int left = width > control.width() ? control.x() - (width - control.width()) / 2
                                             : control.x() + (control.width() - width) / 2;
    const int top = control.y() - height - 5;
    if (left < args.grid.area.left || top < args.grid.area.top)
        return;
    *label = MakeLabel(args, QRect(left, top, width, height), text, Qt::AlignHCenter | Qt::AlignTop, ShowsWith(args));
}

}  // namespace

void CreateCtrlLabels(const CTRL_CREATE& args, const QRect& control, const std::u16string& caption,
                      const std::u16string& unit, bool disabled, LabelSlot* captionLabel, LabelSlot* unitLabel)
{
    const bool visible = ShowsWith(args);
    if (captionLabel) {
        const int left = caption.empty() ? control.x() - 2 : control.x() - args.grid.cellWidth;
        if (left >= args.grid.area.left)
            *captionLabel = MakeLabel(args, FromEdges(left, control.y(), control.x() - 1, control.y() + args.grid.cellHeight),
                                      caption, Qt::AlignLeft | Qt::AlignTop, visible, disabled);
    }
    if (unitLabel) {
        const int left = RightOf(control) + 5;
        *unitLabel = MakeLabel(args, FromEdges(left, control.y(), left + TextWidth(args.font, unit), BottomOf(control)),
                               unit, Qt::AlignLeft | Qt::AlignTop, visible, disabled);
    }
}

void CreateLedLabels(const CTRL_CREATE& args, const QRect& control, const std::u16string& rightText,
                     const std::u16string& leftText, LabelSlot* rightLabel, LabelSlot* leftLabel)
{
    const int height = TextHeight(args.font);
    const int top = control.y() + (control.height() - height) / 2;
    if (rightLabel) {
        const int left = RightOf(control);
        if (left <= args.grid.area.right)
            *rightLabel = MakeLabel(args, QRect(left, top, TextWidth(args.font, rightText), height), rightText,
                                    Qt::AlignHCenter | Qt::AlignTop, ShowsWith(args));
    }
    if (leftLabel) {
        const int width = TextWidth(args.font, leftText);
        const int left = control.x() - width;
        if (left >= args.grid.area.left)
            *leftLabel = MakeLabel(args, QRect(left, top, width, height), leftText, Qt::AlignHCenter | Qt::AlignTop,
                                   ShowsWith(args));
    }
}

void CreateCaptionAbove(const CTRL_CREATE& args, const QRect& control, const std::u16string& name,
                        const std::u16string& unit, LabelSlot* label)
{
    CentredAbove(args, control, NameWithUnit(name, unit), label);
}

void CreateGridCaption(const CTRL_CREATE& args, const QRect& map, const std::u16string& name,
                       const std::u16string& unit, const std::u16string& rightText, const std::u16string& upperLeftText,
                       LabelSlot* title, LabelSlot* right, LabelSlot* upperLeft)
{
    CentredAbove(args, map, NameWithUnit(name, unit), title);
    const int height = TextHeight(args.font);
    if (right) {
        const int left = RightOf(map) + 2;
        if (left < args.grid.area.right && map.y() >= args.grid.area.top)
            *right = MakeLabel(args, QRect(left, map.y(), TextWidth(args.font, rightText), height), rightText,
                               Qt::AlignLeft | Qt::AlignTop, ShowsWith(args));
    }
    if (upperLeft) {
        // An empty text still takes the height of a letter.
        const int top = map.y() - height - 5;
        if (map.x() >= args.grid.area.left && top >= args.grid.area.top)
            *upperLeft = MakeLabel(args, QRect(map.x(), top, TextWidth(args.font, upperLeftText), height),
                                   upperLeftText, Qt::AlignLeft | Qt::AlignTop, ShowsWith(args));
    }
}

bool CreatePageLabel(const CTRL_CREATE& args, const REC_TESTO& text, LABEL_TABLE& labels)
{
    if (!OnGrid(args.grid, text.POS_Y, text.POS_X))
        return false;
    const PAGE_RECT cell = CellOrigin(args.grid, text.POS_Y, text.POS_X);
    CCtrlStatic* label = nullptr;
    if (!CreateStaticLabel(args, cell.left, cell.top, text.STRINGA, ProfileShows(args.profile, text.OPERATORE), label))
        return false;
    labels.push_back({text.OPERATORE, label});
    return true;
}

bool CreateStaticLabel(const CTRL_CREATE& args, int left, int top, const std::u16string& text, bool visible,
                       CCtrlStatic*& label)
{
    label = nullptr;
    if (!args.parent)
        return false;
    const QFontMetrics metrics(args.font);
    const QRect rect(left, top, metrics.horizontalAdvance(ToQ(text)) + 5, metrics.height());
    label = MakeLabel(args, rect, text, Qt::AlignLeft | Qt::AlignTop, visible).release();
    return true;
}

}  // namespace CUtility
