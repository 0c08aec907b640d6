#include "dialogs/CDlgCmpFilePC.h"

#include "common/CUtilityToolbox.h"
#include "common/Text.h"
#include "dialogs/CHorzListBox.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/WindowState.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

using namespace vexar;
using namespace vexar::calib;

namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

constexpr int kColumns = 3;

}  // namespace

CDlgCmpFilePC::CDlgCmpFilePC(QWidget* parent)
    : CDialogBase(parent),
      m_choose1(new CButtonMfc(QStringLiteral("Selezione file 1"), this)),
      m_choose2(new CButtonMfc(QStringLiteral("Selezione file 2"), this)),
      m_compare(new CButtonMfc(QStringLiteral("Comparazione parametri"), this)),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_name1(new QLineEdit(this)),
      m_name2(new QLineEdit(this)),
      m_lines1(new CHorzListBox(this, true)),
      m_lines2(new CHorzListBox(this, true)),
      m_differences(new QTableWidget(0, kColumns, this))
{
    setWindowTitle(QStringLiteral("Comparazione file parametri"));
    ui::SetDlgCtrlID(*m_name1, IDC_NAME_FILE1);
    ui::SetDlgCtrlID(*m_name2, IDC_NAME_FILE2);
    ui::SetDlgCtrlID(*m_lines1, IDC_LINES_FILE1);
    ui::SetDlgCtrlID(*m_lines2, IDC_LINES_FILE2);
    ui::SetDlgCtrlID(*m_differences, IDC_DIFFERENCES);
    for (QLineEdit* name : {m_name1, m_name2})
        name->setReadOnly(true);
    BindCommand(*m_choose1, IDC_CHOOSE_FILE1);
    BindCommand(*m_choose2, IDC_CHOOSE_FILE2);
    BindCommand(*m_compare, IDC_COMPARE);
    BindCommand(*m_ok, ui::IDOK);
    m_ok->setDefault(true);
    commands().On(IDC_CHOOSE_FILE1, [this] { OnChooseFile1(); });
    commands().On(IDC_CHOOSE_FILE2, [this] { OnChooseFile2(); });
    commands().On(IDC_COMPARE, [this] { OnCompare(); });

    m_differences->setShowGrid(true);
    m_differences->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_differences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_differences->setTextElideMode(Qt::ElideNone);
    m_differences->setWordWrap(false);
    m_differences->verticalHeader()->hide();
    m_differences->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_differences->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_differences->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* grid = new QGridLayout;
    grid->addWidget(m_choose1, 0, 0);
    grid->addWidget(m_name1, 0, 1);
    grid->addWidget(m_choose2, 0, 2);
    grid->addWidget(m_name2, 0, 3);
    grid->addWidget(m_lines1, 1, 0, 1, 2);
    grid->addWidget(m_lines2, 1, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid, 1);
    column->addWidget(m_compare, 0, Qt::AlignLeft);
    column->addWidget(m_differences, 1);
    column->addWidget(m_ok, 0, Qt::AlignRight);
}

CDlgCmpFilePC::~CDlgCmpFilePC() = default;

void CDlgCmpFilePC::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_choose1->setText(LangText(3193));
    m_choose2->setText(LangText(3194));
    m_compare->setText(LangText(3195));
    m_ok->setText(LangText(3020));
    m_differences->setHorizontalHeaderLabels({LangText(3196), LangText(3197), LangText(3198)});
    for (QWidget* widget : findChildren<QWidget*>())
        widget->setFont(m_font);
    for (CButtonMfc* button : {m_choose1, m_choose2, m_compare, m_ok})
        button->m_textColour = m_crText;
    std::vector<int> stops;
    for (int stop = 20; stop <= 200; stop += 20)
        stops.push_back(stop);
    for (CHorzListBox* lines : {m_lines1, m_lines2})
        lines->SetTabStops(stops);
    OnCtlColor();
    const QFontMetrics metrics(m_font);
    for (CHorzListBox* lines : {m_lines1, m_lines2})
        lines->setMinimumSize(metrics.averageCharWidth() * 48, metrics.lineSpacing() * 12);
    m_differences->setMinimumSize(metrics.averageCharWidth() * 96, metrics.lineSpacing() * 12);
    m_differences->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    SizeColumns();
}

void CDlgCmpFilePC::OnCtlColor()
{
    for (CHorzListBox* lines : {m_lines1, m_lines2})
        lines->m_textColour = m_crText;
}

void CDlgCmpFilePC::resizeEvent(QResizeEvent* event)
{
    CDialogBase::resizeEvent(event);
    SizeColumns();
}

void CDlgCmpFilePC::SizeColumns()
{
    // What each column needs: its heading and its widest text.
    QHeaderView& header = *m_differences->horizontalHeader();
    const QFontMetrics metrics(m_differences->font());
    const int margin = 2 * m_differences->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    std::array<int, kColumns> needed{};
    for (int column = 0; column < kColumns; ++column)
        needed[static_cast<std::size_t>(column)] = header.sectionSizeHint(column);
    for (int row = 0; row < m_differences->rowCount(); ++row)
        for (int column = 0; column < kColumns; ++column)
            if (const QTableWidgetItem* item = m_differences->item(row, column))
                needed[static_cast<std::size_t>(column)] =
                    std::max(needed[static_cast<std::size_t>(column)], metrics.horizontalAdvance(item->text()) + margin);
    // Each column a third of the list while the texts fit in thirds; else
    // what the texts need, the room left shared out.
    const int width = m_differences->viewport()->width();
    const int third = width / kColumns;
    int total = 0;
    for (int need : needed)
        total += need;
    const bool thirds = std::all_of(needed.begin(), needed.end(), [third](int need) { return need <= third; });
    const int extra = thirds || total >= width ? 0 : (width - total) / kColumns;
    for (int column = 0; column < kColumns; ++column)
        m_differences->setColumnWidth(column, thirds ? third : needed[static_cast<std::size_t>(column)] + extra);
}

void CDlgCmpFilePC::WidenToColumns()
{
    // Measured on the list as the layout places it.
    layout()->activate();
    int needed = 2 * m_differences->frameWidth() + m_differences->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < kColumns; ++column)
        needed += m_differences->columnWidth(column);
    const int missing = needed - m_differences->width();
    if (missing <= 0)
        return;
    const QRect available = screen() ? screen()->availableGeometry() : QRect();
    const int width = available.isValid() ? std::min(this->width() + missing, available.width()) : this->width() + missing;
    resize(width, height());
    if (available.isValid() && frameGeometry().right() > available.right())
        move(std::max(available.left(), available.right() - frameGeometry().width()), y());
    // The list takes its new width now, and the columns the room it gives.
    layout()->activate();
    SizeColumns();
}

void CDlgCmpFilePC::OnChooseFile1() { OnChooseFile(*m_name1, *m_lines1, m_file1); }
void CDlgCmpFilePC::OnChooseFile2() { OnChooseFile(*m_name2, *m_lines2, m_file2); }

void CDlgCmpFilePC::OnChooseFile(QLineEdit& name, CHorzListBox& lines, CALIB_LISTING& listing)
{
    name.clear();
    m_differences->setRowCount(0);
    const std::optional<CHOSEN_FILE> chosen = ChooseFile();
    if (!chosen)
        return;
    name.setText(Q(chosen->displayName));
    LoadFile(chosen->path, lines, listing);
}

std::optional<CDlgCmpFilePC::CHOSEN_FILE> CDlgCmpFilePC::ChooseFile()
{
    const std::string folder = ToUtf8(m_strRootFolder + m_strEcuType) + "/";
    CUtility::CreateFullPath(folder);
    ui::FileDialogRequest request;
    request.owner = this;
    request.save = false;
    request.folder = folder;
    request.filter = u"Dat Files (*.dat)|*.dat|";
    request.defaultExtension = u".dat";
    request.mustExist = true;
    const std::optional<std::string> path = ui::FileDialog(request);
    if (!path)
        return std::nullopt;
    // The file is opened by the path as chosen: file names have a case of
    // their own here. Only the name shown is upper-cased.
    return CHOSEN_FILE{*path, ComparisonDisplayName(ToUtf16(*path), m_strRootFolder)};
}

void CDlgCmpFilePC::LoadFile(const std::string& path, CHorzListBox& lines, CALIB_LISTING& listing)
{
    lines.ResetContent();
    if (!ReadCalibListing(path, listing)) {
        ui::MessageBox(this, Format(u"Error to open file %s!", path), std::u16string(),
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return;
    }
    lines.setUpdatesEnabled(false);
    for (const std::u16string& line : listing.lines)
        lines.AddString(line);
    lines.setUpdatesEnabled(true);
}

void CDlgCmpFilePC::OnCompare()
{
    m_differences->setRowCount(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<CALIB_DIFF_ROW> rows = CompareCalibListings(m_file1, m_file2);
    m_differences->setUpdatesEnabled(false);
    m_differences->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const CALIB_DIFF_ROW& difference = rows[static_cast<std::size_t>(row)];
        int column = 0;
        for (const std::u16string* text : {&difference.name, &difference.value1, &difference.value2}) {
            auto* item = new QTableWidgetItem(Q(*text));
            item->setToolTip(item->text());
            m_differences->setItem(row, column++, item);
        }
    }
    SizeColumns();
    WidenToColumns();
    m_differences->setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
    ui::MessageBox(this, LangText(IDS_END_OF_COMPARISON).toStdU16String(), std::u16string(),
                   ui::MB_OK | ui::MB_ICONINFORMATION);
}
