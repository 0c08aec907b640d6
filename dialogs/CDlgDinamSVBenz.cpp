#include "dialogs/CDlgDinamSVBenz.h"

#include "common/CUtilityLang.h"
#include "common/Text.h"
#include "dialogs/core/PetrolRules.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlList.h"
#include "pages/CUtilityPages.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/MessagePayload.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QTreeWidgetItem>

#include <string_view>

namespace vlink = vexar::link;

namespace {

constexpr int kImageRole = Qt::UserRole + 1;

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

// The row images of the petrol lists, drawn: 1 a green dot (good value),
// 2 a red cross (failed read), 3 a grey ring (row added, no value yet).
QIcon RowImage(int image)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case CUtility::kPidImageGood:
        painter.setBrush(QColor(0, 160, 0));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(3, 3, 10, 10);
        break;
    case CUtility::kPidImageFailed:
        painter.setPen(QPen(QColor(200, 0, 0), 3));
        painter.drawLine(4, 4, 12, 12);
        painter.drawLine(12, 4, 4, 12);
        break;
    default:
        painter.setPen(QPen(QColor(128, 128, 128), 2));
        painter.drawEllipse(4, 4, 8, 8);
        break;
    }
    return QIcon(pixmap);
}

}  // namespace

std::unique_ptr<vlink::OBD_PID_RESULT> TakePidResult(std::unique_ptr<vexar::ui::MessagePayload>& payload)
{
    std::unique_ptr<vlink::OBD_PID_RESULT> record;
    if (auto* box = dynamic_cast<vexar::ui::PayloadBox<vlink::OBD_PID_RESULT>*>(payload.get())) {
        record = box->release();
    } else if (auto* linkBox = dynamic_cast<vexar::ui::PayloadBox<vlink::LinkPayload>*>(payload.get())) {
        std::unique_ptr<vlink::LinkPayload> owned = linkBox->release();
        if (dynamic_cast<vlink::OBD_PID_RESULT*>(owned.get()))
            record.reset(static_cast<vlink::OBD_PID_RESULT*>(owned.release()));
    }
    payload.reset();
    return record;
}

namespace CUtility {

int FindPidRow(const QTreeWidget& list, int pid)
{
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        if (list.topLevelItem(row)->data(0, Qt::UserRole).toInt() == pid)
            return row;
    return -1;
}

int PidRowImage(const QTreeWidget& list, int row)
{
    const QTreeWidgetItem* item = list.topLevelItem(row);
    return item ? item->data(0, kImageRole).toInt() : 0;
}

void SetPidListText(QTreeWidget& list, int pid, int image, const std::u16string& text)
{
    const int row = FindPidRow(list, pid);
    if (row < 0)
        return;
    QTreeWidgetItem* item = list.topLevelItem(row);
    item->setData(0, kImageRole, image);
    item->setIcon(0, RowImage(image));
    item->setText(2, ToQ(text));
}

void ShowPidResult(QTreeWidget& list, int pid, const vlink::OBD_PID_RESULT& result)
{
    const auto [image, text] = PidResultText(pid, result);
    SetPidListText(list, pid, image, text);
}

void OnPidResult(QTreeWidget& list, int pid, std::unique_ptr<vlink::OBD_PID_RESULT> record)
{
    if (record && IsShownPid(pid))
        ShowPidResult(list, pid, *record);
}

int ListClientWidth(const QTreeWidget& list) { return std::max(0, list.width() - 2 * list.frameWidth()); }

int FitPidColumn(QTreeWidget& list, int design)
{
    // Room for the widest two digits, whatever rows come later.
    const QFontMetrics metrics(list.font());
    int widest = 0;
    int narrowest = metrics.horizontalAdvance(QLatin1Char('0'));
    for (const char digit : std::string_view("0123456789ABCDEF")) {
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
        narrowest = std::min(narrowest, metrics.horizontalAdvance(QLatin1Char(digit)));
    }
    list.resizeColumnToContents(0);
    const int width = std::max(design, list.columnWidth(0) + 2 * (widest - narrowest));
    list.setColumnWidth(0, width);
    return width;
}

void SetupPidList(QTreeWidget& list)
{
    list.setColumnCount(4);
    list.setRootIsDecorated(false);
    list.setAllColumnsShowFocus(true);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    // The selected row (a row just added is selected) is drawn in a light
    // tint of the highlight with the list's own text colour: under the
    // grid's style sheet the platform may draw the selection as a faint
    // tint whatever colour is asked for, and highlighted text (white) on it
    // vanished.
    const QPalette colours = list.palette();
    const QColor base = colours.color(QPalette::Active, QPalette::Base);
    const QColor highlight = colours.color(QPalette::Active, QPalette::Highlight);
    const auto mix = [](int from, int to) { return from + (to - from) * 3 / 10; };
    const QColor tint(mix(base.red(), highlight.red()), mix(base.green(), highlight.green()),
                      mix(base.blue(), highlight.blue()));
    list.setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #c0c0c0; "
                                      "border-bottom: 1px solid #c0c0c0; } "
                                      "QTreeView::item:selected { background-color: %1; color: %2; }")
                           .arg(tint.name(), colours.color(QPalette::Active, QPalette::Text).name()));
    list.headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    list.header()->setStretchLastSection(false);
}

}  // namespace CUtility

CDlgDinamSVBenz::CDlgDinamSVBenz(CVEXARPages& app) : WindowBase(this), m_app(app) { hide(); }

CDlgDinamSVBenz::~CDlgDinamSVBenz() = default;

std::string CDlgDinamSVBenz::PidFilePath() const
{
    std::string folder;
    CUtility::GetExePath(folder);
    return folder + "PID.cfg";
}

std::string CDlgDinamSVBenz::LayoutFilePath() const
{
    std::string folder;
    CUtility::GetExePath(folder);
    return folder + "Benz.cfg";
}

std::u16string CDlgDinamSVBenz::Companion(int pid, char16_t which) const
{
    return CUtility::ReadBenzValue(m_strLangFile, vexar::Format(u"%02X", pid) + which);
}

bool CDlgDinamSVBenz::Create(QWidget* owner)
{
    if (m_bCreated)
        return true;
    setParent(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
    m_bCreated = true;
    QFont font(QString::fromStdU16String(m_settings.pageFontFace));
    if (m_settings.pageFontSize > 0)
        font.setPointSize(m_settings.pageFontSize);
    font.setBold(m_settings.pageFontBold != 0);
    m_list = new CCtrlList(this);
    m_list->setFont(font);
    CUtility::SetupPidList(*m_list);
    m_list->setHeaderLabels({ToQ(CUtility::LoadLangString(m_strLangFile, IDS_COL_PID)),
                             ToQ(CUtility::LoadLangString(m_strLangFile, IDS_COL_DESC)),
                             ToQ(CUtility::LoadLangString(m_strLangFile, IDS_COL_VALUE)),
                             ToQ(CUtility::LoadLangString(m_strLangFile, IDS_COL_UNIT))});
    LoadLayout();
    FillRows();
    if (m_bDefaultWidths) {
        // The default PID column must show the row image and the digits
        // in this font; the unit column takes what is left.
        const int pid = CUtility::FitPidColumn(*m_list, static_cast<int>(m_widths[0]));
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        m_list->setColumnWidth(3, std::max(0, CUtility::ListClientWidth(*m_list) - bar - pid - 180));
    }
    show();
    // What is laid out is what a close compares with.
    m_place = geometry();
    m_widths = ColumnWidths();
    return true;
}

QRect CDlgDinamSVBenz::DefaultPlace() const
{
    const QStyle* style = this->style();
    const int border = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int bar = style->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int right = m_statusBarRect.right() - 3 * border - bar;
    const int bottom = m_statusBarRect.top() - 3 * border - bar;
    const int top = bottom - std::max(m_settings.barHeight, 60) + bar;
    return QRect(QPoint(right - 310, top), QPoint(right, bottom));
}

void CDlgDinamSVBenz::LoadLayout()
{
    const CUtility::BenzLayout layout = CUtility::ReadBenzLayout(LayoutFilePath());
    QRect place;
    if (layout.place)
        place = QRect(static_cast<int>((*layout.place)[0]), static_cast<int>((*layout.place)[1]),
                      static_cast<int>((*layout.place)[2]), static_cast<int>((*layout.place)[3]));
    // A place on no screen (a screen removed since) would hide the window.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || (place.isValid() && screen->geometry().intersects(place));
    if (!onScreen)
        place = DefaultPlace();
    setGeometry(place);
    m_list->setGeometry(0, 0, std::max(0, width() - 2), std::max(0, height() - 1));
    m_bDefaultWidths = !layout.widths;
    if (layout.widths) {
        m_widths = *layout.widths;
    } else {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        m_widths = {40, 100, 80, std::max<long>(0, CUtility::ListClientWidth(*m_list) - bar - 220)};
    }
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(column, static_cast<int>(m_widths[column]));
    m_place = geometry();
}

std::array<long, 4> CDlgDinamSVBenz::ColumnWidths() const
{
    std::array<long, 4> widths{};
    for (int column = 0; column < 4; ++column)
        widths[column] = m_list->columnWidth(column);
    return widths;
}

void CDlgDinamSVBenz::SaveLayout()
{
    const QRect place = geometry();
    const std::array<long, 4> widths = ColumnWidths();
    if (place == m_place && widths == m_widths)
        return;
    m_place = place;
    m_widths = widths;
    CUtility::WriteBenzLayout(LayoutFilePath(), {place.left(), place.top(), place.width(), place.height()}, widths);
}

void CDlgDinamSVBenz::FillRows()
{
    vexar::link::CObdBinding::PidTable requested;
    {
        std::lock_guard lock(m_app.m_csPid);
        requested = m_app.m_nPidRequested;
    }
    m_list->setUpdatesEnabled(false);
    for (int pid = 0; pid < vexar::link::CObdBinding::kPidCount; ++pid)
        if (requested[pid] && m_app.m_nPidSupported[pid])
            InsertPidRow(pid);
    m_list->setUpdatesEnabled(true);
}

void CDlgDinamSVBenz::InsertPidRow(int pid)
{
    int at = 0;
    while (at < m_list->topLevelItemCount() && m_list->topLevelItem(at)->data(0, Qt::UserRole).toInt() < pid)
        ++at;
    auto* item = new QTreeWidgetItem;
    item->setData(0, Qt::UserRole, pid);
    item->setText(0, ToQ(vexar::Format(u"%02X", pid)));
    item->setText(1, ToQ(Companion(pid, u'D')));
    item->setText(2, QStringLiteral("---"));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(3, ToQ(Companion(pid, u'M')));
    item->setData(0, kImageRole, CUtility::kPidImageNew);
    item->setIcon(0, RowImage(CUtility::kPidImageNew));
    m_list->insertTopLevelItem(at, item);
}

void CDlgDinamSVBenz::ShowPid(int pid, bool show)
{
    if (!m_bCreated)
        return;
    if (show)
        AddPid(pid);
    else
        RemovePidRow(pid);
}

void CDlgDinamSVBenz::AddPid(int pid)
{
    if (pid < 0 || pid >= vexar::link::CObdBinding::kPidCount || CUtility::FindPidRow(*m_list, pid) >= 0)
        return;
    bool requested = false;
    {
        std::lock_guard lock(m_app.m_csPid);
        requested = m_app.m_nPidRequested[pid] != 0;
    }
    if (!requested || !m_app.m_nPidSupported[pid])
        return;
    InsertPidRow(pid);
    QTreeWidgetItem* item = m_list->topLevelItem(CUtility::FindPidRow(*m_list, pid));
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
}

void CDlgDinamSVBenz::RemovePidRow(int pid)
{
    const int row = CUtility::FindPidRow(*m_list, pid);
    if (row >= 0)
        delete m_list->takeTopLevelItem(row);
}

void CDlgDinamSVBenz::WritePidFile()
{
    std::vector<std::pair<int, std::u16string>> rows;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const int pid = m_list->topLevelItem(row)->data(0, Qt::UserRole).toInt();
        rows.emplace_back(pid, CUtility::ReadBenzValue(m_strLangFile, vexar::Format(u"PID%02XD", pid)));
    }
    CUtility::WritePidFile(PidFilePath(), rows);
}

void CDlgDinamSVBenz::SavePidList()
{
    if (m_bCreated && (m_app.m_nOperator == 0 || m_app.m_nOperator == 4 || m_app.m_nOperator == 5))
        WritePidFile();
}

void CDlgDinamSVBenz::Close()
{
    if (!m_bCreated)
        return;
    SaveLayout();
    if (m_app.m_nOperator >= 1 && m_app.m_nOperator <= 3)
        WritePidFile();
    hide();
    delete m_list;
    m_list = nullptr;
    m_bCreated = false;
}

std::intptr_t CDlgDinamSVBenz::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                          std::unique_ptr<vexar::ui::MessagePayload>& payload)
{
    if (id == vlink::WM_OBD_PID_VALUE) {
        // The record is taken whatever becomes of it.
        std::unique_ptr<vlink::OBD_PID_RESULT> record = TakePidResult(payload);
        if (m_bCreated)
            CUtility::OnPidResult(*m_list, static_cast<int>(wParam), std::move(record));
        return 0;
    }
    return WindowBase::onMessage(id, wParam, lParam, payload);
}

void CDlgDinamSVBenz::closeEvent(QCloseEvent* event) { event->ignore(); }

void CDlgDinamSVBenz::keyPressEvent(QKeyEvent* event)
{
    if (!CUtility::SwallowEnterAndEscape(*event))
        QWidget::keyPressEvent(event);
}

void CDlgDinamSVBenz::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bCreated && isVisible() && !isMinimized())
        m_list->setGeometry(rect());
}
