#pragma once

// The form of the view (template 101): the 19 command buttons and their
// caption labels at their design places, over the edition's logo
// stretched across the whole form.

#include "platform/ui/ColorRef.h"
#include "shell/core/CommandTable.h"

#include <QPixmap>
#include <QWidget>

#include <array>

class CButtonMfc;
class QLabel;

namespace vexar::shell {

class CVEXARForm : public QWidget {
public:
    explicit CVEXARForm(QWidget* parent = nullptr);
    ~CVEXARForm() override;

    // Where the template puts the button and the label of action k.
    static QRect DesignButtonRect(int action);
    static QRect DesignLabelRect(int action);

    CButtonMfc& Button(int action) const { return *m_buttons[static_cast<std::size_t>(action)]; }
    QLabel& Label(int action) const { return *m_labels[static_cast<std::size_t>(action)]; }

    // The logo by the view's edition: 289 for 1, 328 for 2 to 4, 350 else.
    void SetEdition(int edition);
    // The labels' text colour (settings value 9).
    void SetLabelColour(vexar::ui::COLORREF colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<CButtonMfc*, kActionCount> m_buttons{};
    std::array<QLabel*, kActionCount> m_labels{};
    QPixmap m_logo;
    int m_logoId = 0;
};

}  // namespace vexar::shell
