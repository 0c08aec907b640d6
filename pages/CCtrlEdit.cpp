#include "pages/CCtrlEdit.h"

#include "common/CStringForm.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "link/LinkMessages.h"
#include "pages/FieldColours.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/Messages.h"
#include "platform/ui/OwnerDraw.h"
#include "platform/ui/WindowState.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QValidator>

#include <algorithm>
#include <new>

using namespace vexar;

namespace {

constexpr std::u16string_view kCalibName = u"Nome_Calibrazione";

QString ToQ(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string FromQ(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

// A text up to its first zero character.
std::u16string UpToZero(std::u16string_view text)
{
    return std::u16string(text.substr(0, std::min(text.find(u'\0'), text.size())));
}

bool IsByteCharacter(char16_t c) { return c <= 0xFF; }

// What the user may put into a byte field: characters a byte holds (0 to
// 255) that print, so never a control character (below 0x20, or 0x7F).
bool IsTypable(char16_t c) { return IsByteCharacter(c) && c >= 0x20 && c != 0x7F; }

// Keeps the user's input to the characters the user may put into a byte
// field. Only what an edit inserts is filtered: the run between the text
// before it and the text after it that both share. A text the program
// shows (the ECU's, which may hold a TAB) passes whole, and stays whole
// when the user edits another part of it, so that no edit drops a
// character the user did not touch.
class ByteCharacters : public QValidator {
public:
    // `programText` is set while the program puts a text into the field.
    ByteCharacters(QObject* parent, const bool& programText) : QValidator(parent), m_program(programText) {}
    State validate(QString& input, int& position) const override
    {
        if (!m_program) {
            const qsizetype shorter = std::min(input.size(), m_before.size());
            qsizetype head = 0;
            while (head < shorter && input.at(head) == m_before.at(head))
                ++head;
            qsizetype tail = 0;
            while (tail < shorter - head && input.at(input.size() - 1 - tail) == m_before.at(m_before.size() - 1 - tail))
                ++tail;
            for (qsizetype i = input.size() - tail; i-- > head;) {
                if (!IsTypable(input.at(i).unicode())) {
                    input.remove(i, 1);
                    if (position > i)
                        --position;
                }
            }
        }
        m_before = input;
        return Acceptable;
    }

private:
    const bool& m_program;
    mutable QString m_before;
};

// A text field's calibration value. The plain form is the text between
// double quotes. A text that the plain form would not give back as it
// stands is written as its bytes instead: "0x" and two hexadecimal digits
// for each of the field's bytes, without quotes. That is a text holding a
// TAB, a line feed or a carriage return (which split the line, or end it
// for other readers of text files), or bytes other than zero after its
// first zero (the plain form ends at the first zero). Files written
// before hold the quoted form only, and the quoted form reads as it
// always did; a field without quotes that is not the byte form clears the
// text.
bool NeedsByteForm(std::u16string_view stored)
{
    const std::size_t zero = std::min(stored.find(u'\0'), stored.size());
    const std::u16string_view text = stored.substr(0, zero);
    const std::u16string_view after = stored.substr(zero);
    return text.find_first_of(u"\t\n\r") != std::u16string_view::npos ||
           after.find_first_not_of(u'\0') != std::u16string_view::npos;
}

std::u16string ByteForm(std::u16string_view stored)
{
    std::u16string text = u"0x";
    for (const char16_t c : stored)
        text += vexar::Format(u"%02X", static_cast<unsigned>(c & 0xFF));
    return text;
}

// The characters of a value field in the byte form; false when the field
// is not in it.
bool ReadByteForm(std::u16string_view field, std::u16string& text)
{
    field = vexar::TrimView(field);
    if (field.size() < 4 || field.size() % 2 != 0 || field[0] != u'0' || (field[1] != u'x' && field[1] != u'X'))
        return false;
    std::u16string bytes;
    for (std::size_t i = 2; i < field.size(); i += 2) {
        std::uint8_t byte = 0;
        if (!HexStrToByte(u"0x" + std::u16string(field.substr(i, 2)), byte))
            return false;
        bytes += static_cast<char16_t>(byte);
    }
    text = std::move(bytes);
    return true;
}

REC_CONTROLLO PlainDefinition()
{
    REC_CONTROLLO definition;
    definition.CATEGORIA = CTRL_EDIT;
    definition.GRAFICA = EditBlock{};
    return definition;
}

const EditBlock* EditOf(const REC_CONTROLLO& definition) { return std::get_if<EditBlock>(&definition.GRAFICA); }

}  // namespace

CCtrlEdit::CCtrlEdit(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : QLineEdit(parent), CCtrlLabelled(*this, app, std::move(definition), hidden)
{
    m_bkColour = ui::FromQColor(palette().color(QPalette::Active, QPalette::Base));
    if (IsTextField())
        setValidator(new ByteCharacters(this, m_bProgramText));
}

CCtrlEdit::CCtrlEdit(CVEXARPages& app, QWidget* parent) : CCtrlEdit(app, PlainDefinition(), false, parent)
{
    SetBoundField(false);
}

CCtrlEdit::~CCtrlEdit() = default;

// ---- Text ---------------------------------------------------------------------------------------

void CCtrlEdit::SetMaxLength(int length)
{
    m_maxLength = std::max(length, 0);
    setMaxLength(m_maxLength);
}

std::u16string CCtrlEdit::Fit(std::u16string text) const
{
    std::erase_if(text, [](char16_t c) { return !IsByteCharacter(c); });
    text.resize(static_cast<std::size_t>(m_maxLength), u'\0');
    return text;
}

void CCtrlEdit::Put(const std::u16string& fitted)
{
    m_stored = fitted;
    SetWindowText(UpToZero(fitted));
}

void CCtrlEdit::SetFromText(const std::u16string& text, std::uintptr_t refresh, std::uintptr_t store)
{
    MoveShown([&] { Put(Fit(text)); });
    CUtility::NotifyLinkedCtrls(m_app, m_app.m_bNotifyLinked, LinkedCtrls(), refresh, store);
}

void CCtrlEdit::StartAtDefault()
{
    SetFromText(m_definition.DEFAULT, 0, 1);
    SetUndoPair(Shown(), Shown());
}

void CCtrlEdit::ApplyTyped()
{
    if (!IsTextField() || !m_bBoundField)
        return;
    const ShownValue before = CurrentValue();
    if (GetWindowText() != UpToZero(m_stored)) {
        Put(Fit(GetWindowText()));
        CommitEdit();
    }
    SetUndoPair(before, Shown());
}

std::u16string CCtrlEdit::GetWindowText() const
{
    return FromQ(m_multiLine ? m_multiLine->toPlainText() : text());
}

void CCtrlEdit::SetWindowText(const std::u16string& text)
{
    if (m_multiLine) {
        m_multiLine->setPlainText(ToQ(text));
        return;
    }
    m_bProgramText = true;
    setText(ToQ(text));
    m_bProgramText = false;
}

// ---- The plain field of the dialogs ---------------------------------------------------------

void CCtrlEdit::SetBoundField(bool bound)
{
    m_bBoundField = bound;
    // Only the ECU's bytes limit the characters.
    if (!bound)
        setValidator(nullptr);
}

void CCtrlEdit::SetMultiLine(bool multiLine)
{
    if (multiLine == IsMultiLine())
        return;
    const std::u16string shown = GetWindowText();
    if (multiLine) {
        m_multiLine = new QPlainTextEdit(this);
        m_multiLine->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_multiLine->setReadOnly(isReadOnly());
        m_multiLine->setFont(font());
        m_multiLine->setGeometry(rect());
        m_multiLine->show();
        setFocusProxy(m_multiLine);
    } else {
        setFocusProxy(nullptr);
        delete m_multiLine.data();
    }
    SetWindowText(shown);
}

bool CCtrlEdit::IsMultiLine() const { return !m_multiLine.isNull(); }

void CCtrlEdit::SetReadOnly(bool readOnly)
{
    setReadOnly(readOnly);
    if (m_multiLine)
        m_multiLine->setReadOnly(readOnly);
}

void CCtrlEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    if (m_multiLine)
        m_multiLine->setGeometry(rect());
}

void CCtrlEdit::paintEvent(QPaintEvent* event)
{
    CUtility::ApplyFieldColours(*this, m_textColour, m_bkColour);
    if (m_multiLine)
        CUtility::ApplyFieldColours(*m_multiLine, m_textColour, m_bkColour);
    QLineEdit::paintEvent(event);
}

// ---- Contract hooks --------------------------------------------------------------------------

bool CCtrlEdit::IsCalibName() const { return IsTextField() && m_bBoundField && m_definition.IDENTIFICATORE == kCalibName; }

void CCtrlEdit::TellCalibName() const
{
    if (IsCalibName())
        m_app.PostToWindow(link::UiWindow::View, link::WM_CALIB_NAME_CHANGED);
}

int CCtrlEdit::DatumSize() const
{
    return IsTextField() ? m_maxLength : CCtrlLabelled::DatumSize();
}

void CCtrlEdit::ShowRaw(std::int32_t raw)
{
    if (!IsTextField()) {
        m_lastValue = m_conversion.ToPhysical(raw);
        const auto* block = std::get_if<NumericBlock>(&m_definition.GRAFICA);
        SetWindowText(CStringForm().Format(block ? block->FORMATO : std::u16string(), m_lastValue));
        return;
    }
    // The text is the datum's bytes, one character each, as the working
    // image holds them after the refresh's copy.
    std::u16string text(static_cast<std::size_t>(m_maxLength), u'\0');
    const std::int64_t address = m_definition.LSB;
    if (address >= 0 && address + m_maxLength <= m_app.m_nParSize && m_app.m_pParWork)
        for (int i = 0; i < m_maxLength; ++i)
            text[static_cast<std::size_t>(i)] = m_app.m_pParWork[static_cast<std::size_t>(address + i)];
    Put(text);
}

std::int32_t CCtrlEdit::RawFromShown() const
{
    return IsTextField() ? 0 : m_conversion.ToRaw(m_lastValue);
}

int CCtrlEdit::EncodeValue(std::span<std::uint8_t> work, bool force)
{
    if (!IsTextField() || !m_bBoundField)
        return 0;
    if (m_definition.FIXDEF == FIX_ON && IsCondHidden() && !force)
        return 0;
    const std::int64_t address = m_definition.LSB;
    if (address < 0 || address + m_maxLength > static_cast<std::int64_t>(work.size()))
        return 0;
    for (int i = 0; i < m_maxLength; ++i)
        work[static_cast<std::size_t>(address + i)] = static_cast<std::uint8_t>(m_stored[static_cast<std::size_t>(i)] & 0xFF);
    return m_maxLength;
}

void CCtrlEdit::WriteValue(bool post, bool force)
{
    if (!IsTextField() || !m_bBoundField)
        return;
    CCtrlLabelled::WriteValue(post, force);
    if (UpToZero(m_stored) != UpToZero(m_definition.DEFAULT))
        TellCalibName();
}

std::u16string CCtrlEdit::ValueText() const
{
    if (!IsTextField())
        return GetWindowText();
    return NeedsByteForm(m_stored) ? ByteForm(m_stored) : u"\"" + UpToZero(m_stored) + u"\"";
}

std::u16string CCtrlEdit::HistoryValueText() const
{
    return NeedsByteForm(m_stored) ? ByteForm(m_stored) : UpToZero(m_stored);
}

std::u16string CCtrlEdit::ExportValueText() const
{
    return IsTextField() ? u"\"" + GetWindowText() + u"\"" : GetWindowText();
}

// The text between the value field's first and last double quote, or the
// field's bytes in the byte form; anything else clears the field.
bool CCtrlEdit::LoadValueText(std::u16string& text)
{
    if (!IsTextField())
        return true;
    const std::size_t first = text.find(u'"');
    const std::size_t last = text.rfind(u'"');
    std::u16string bytes;
    if (first == std::u16string::npos && ReadByteForm(text, bytes)) {
        MoveShown([&] { Put(Fit(bytes)); });
        // Kept as the next save writes it, so that an unchanged field
        // records no change.
        text = HistoryValueText();
        return true;
    }
    text = first == std::u16string::npos || last == first ? std::u16string()
                                                          : text.substr(first + 1, last - first - 1);
    MoveShown([&] { Put(Fit(text)); });
    return true;
}

void CCtrlEdit::ShowDefault()
{
    if (IsTextField())
        Put(Fit(m_definition.DEFAULT));
}

std::int32_t CCtrlEdit::Abilitato() const
{
    const EditBlock* block = EditOf(m_definition);
    return block ? block->ABILITATO : ABIL_SI;
}

// ---- Messages and keys -----------------------------------------------------------------------

std::intptr_t CCtrlEdit::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_EDIT_COMMIT:
        ApplyTyped();
        return 0;
    case link::WM_CTRL_STORE:
        if (IsTextField() && m_bBoundField) {
            CCtrlLabelled::WriteValue(false, true);
            TellCalibName();
        }
        return 0;
    case link::WM_CTRL_SET_DEFAULT:
        // A live value has no default of its own to store.
        if (IsTextField() && m_bBoundField) {
            SetDefault();
            TellCalibName();
        }
        return 0;
    case link::WM_CTRL_REFRESH: {
        const std::intptr_t result = CCtrlLabelled::onMessage(id, wParam, lParam, payload);
        TellCalibName();
        return result;
    }
    default:
        return CCtrlLabelled::onMessage(id, wParam, lParam, payload);
    }
}

bool CCtrlEdit::onCommand(unsigned id)
{
    if (id != link::ID_EDIT_UNDO)
        return CCtrlLabelled::onCommand(id);
    // The text before the last change, applied as if typed: a second undo
    // brings back the text the first one replaced.
    if (IsTextField() && m_bBoundField) {
        SetWindowText(PreviousValue().text);
        ApplyTyped();
    }
    return true;
}

bool CCtrlEdit::preTranslateMessage(QWidget& target, QEvent& event)
{
    CCtrlLabelled::preTranslateMessage(target, event);
    if (event.type() != QEvent::KeyPress || IsMultiLine())
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return false;
    // Enter moves on as Tab does, and the typed text is taken once the
    // focus has moved.
    focusNextPrevChild(true);
    ui::PostMessage(this, {link::WM_EDIT_COMMIT, 0, 0, {}});
    return true;
}

void CCtrlEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    ApplyTyped();
}

// ---- Creators ----------------------------------------------------------------------------------

namespace CUtility {

namespace {

Qt::Alignment AlignmentOf(std::int32_t alignment)
{
    switch (alignment) {
    case ALLN_CNT:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case ALLN_RGH:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// The field at its cell with the page font, the text colour and window id,
// visible when the place and its conditions let it.
CCtrlEdit* MakeField(const CTRL_CREATE& args, int width, int height, std::int32_t alignment)
{
    const REC_CONTROLLO& definition = *args.definition;
    CCtrlEdit* field = new (std::nothrow) CCtrlEdit(*args.app, definition, args.hidden, args.parent);
    if (!field)
        return nullptr;
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    field->setFont(args.font);
    field->setGeometry(origin.left, origin.top, width, height);
    field->setAlignment(AlignmentOf(alignment));
    ui::SetDlgCtrlID(*field, args.baseId + definition.ID_GUI);
    field->m_textColour = args.settings.textColour;
    field->setVisible(args.visible && !args.hidden);
    return field;
}

}  // namespace

bool CreateCtrlEdit(const CTRL_CREATE& args, CCtrlEdit*& control)
{
    control = nullptr;
    if (!args.app || !args.definition || !args.parent)
        return false;
    const REC_CONTROLLO& definition = *args.definition;
    const EditBlock block = EditOf(definition) ? *EditOf(definition) : EditBlock{};
    const QFontMetrics metrics(args.font);
    const int width = std::min(metrics.horizontalAdvance(ToQ(definition.DEFAULT)) + 5, args.settings.edit.width);
    CCtrlEdit* field = MakeField(args, width, args.settings.edit.height, block.ALLINEAMENTO);
    if (!field)
        return false;
    field->setFocusPolicy(Qt::StrongFocus);
    field->MakeLabels(args, true, false);

    // Privileged profiles always type; the others not where the definition
    // or the limited profile says so.
    const std::int32_t profile = args.profile;
    const bool privileged = profile == OPR_PRV || profile == OPR_REM || profile == OPR_SVIL;
    field->SetProfileEnabled(privileged || !(block.ABILITATO == ABIL_NO || args.limited));

    field->SetMaxLength(block.NUM_BYTES);
    field->StartAtDefault();
    field->AttachToolTip();
    control = field;
    return true;
}

bool CreateCtrlNumeric(const CTRL_CREATE& args, CCtrlEdit*& control)
{
    control = nullptr;
    if (!args.app || !args.definition || !args.parent)
        return false;
    const auto* block = std::get_if<NumericBlock>(&args.definition->GRAFICA);
    CCtrlEdit* field = MakeField(args, args.settings.numeric.width, args.settings.numeric.height,
                                 block ? block->ALLINEAMENTO : ALLN_LFT);
    if (!field)
        return false;
    field->setFocusPolicy(Qt::NoFocus);
    field->setReadOnly(true);
    field->MakeLabels(args, true, true);
    field->StartDisabled();
    field->StartAtDefault();
    field->AttachToolTip();
    control = field;
    return true;
}

}  // namespace CUtility
