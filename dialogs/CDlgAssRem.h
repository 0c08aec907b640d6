#pragma once

// What the two remote-assistance windows share: they are modeless windows
// of the view, made on demand and kept while a bridge connection exists;
// their controls take a font made from the dynamic-window font of the
// settings and the window's text colour (the client-id field its value
// colour); their content scrolls when the window is smaller than it. Both
// post their requests to the link worker and show its remote status codes;
// a failure is told in a message box with the exclamation icon and no
// title, and returns the window to its idle look.

#include "dialogs/CDialogBase.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/ColorRef.h"

#include <QFont>
#include <QRect>

#include <array>
#include <cstdint>
#include <optional>

class CButtonMfc;
class CCWButton;
class CCtrlEditInfo;
class QGridLayout;
class QLabel;
class QScrollArea;

namespace vexar::link {
class CVEXARLink;
}

class CDlgAssRem : public CDialogBase {
public:
    // Line step of the scroll bars, in pixels.
    static constexpr int kScrollLine = 10;

    ~CDlgAssRem() override;

    // Inputs the view sets before Create: the text colour, the value colour
    // (the client-id field), the settings whose dynamic-window font the
    // window uses, and the area it is placed in (empty: anywhere).
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crValue = vexar::ui::RGB(0, 0, 0);
    LAYOUT_SETTINGS m_layout;
    QRect m_rcArea;

    // Opens the window; when it is open already, restores it.
    void Create();
    // Closes the window only while no bridge connection exists (OK, Cancel,
    // the close box and the view's close-all); true when it is closed.
    bool CloseIfDisconnected();

    // 1 while the window is open.
    unsigned char m_bCreated = 0;
    // True while the connect button connects; false while it closes.
    bool m_bConnectMode = true;
    const QFont& Font() const { return m_font; }
    QScrollArea& ScrollArea() const { return *m_scroll; }

protected:
    CDlgAssRem(vexar::link::CVEXARLink& app, QWidget* parent);

    void OnInitDialog() override;
    void OnOK() override { CloseIfDisconnected(); }
    void OnCancel() override { CloseIfDisconnected(); }

    // Captions from the language file, and the window's own first state.
    virtual void LoadCaptions() = 0;
    // Before the window closes (the master stops its timer).
    virtual void OnClosing() {}

    // The grid the window's controls go in, inside the scrolled content.
    QGridLayout& Grid() const { return *m_grid; }
    QLabel* AddLabel(int id);
    CCWButton* AddLamp(int id);
    // A lamp with its caption (label `labelId`) across the grid's row `row`.
    QLabel* AddLampRow(int row, int lampId, int labelId);

    // The record of the client-id field, nothing for text that is not 8
    // hexadecimal digits.
    std::optional<std::array<std::uint8_t, 4>> ClientId(const CCtrlEditInfo& field) const;
    // The message box of a failure: exclamation icon, empty title.
    void ShowFailure(const std::u16string& text);
    // The messages of the failures of the connect that both sides share
    // (statuses 4, 5 and 6); empty for another status.
    std::u16string ConnectFailureText(std::uintptr_t status, std::intptr_t error) const;
    void SetWaitCursor(bool on);

    vexar::link::CVEXARLink& m_app;

private:
    void ApplyFont();

    QFont m_font;
    QScrollArea* m_scroll;
    QWidget* m_content;
    QGridLayout* m_grid;
    bool m_bWaitCursor = false;
};
