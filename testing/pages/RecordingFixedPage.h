#pragma once

// A fixed page for the tests of the page hosts and for the pages program,
// standing where a feature dialog will stand: a plain child window that
// paints its name and records what its host hands it and asks of it.

#include "pages/IFixedPage.h"

#include <QFont>
#include <QWidget>

#include <string>

namespace vexar::pagesfixture {

class RecordingFixedPage : public QWidget, public IFixedPage {
public:
    explicit RecordingFixedPage(std::u16string name);

    void SetLanguageFile(const std::string& path) override { languageFile = path; }
    void SetPageFont(const QFont& font) override { pageFont = font; }
    void SetColours(vexar::ui::COLORREF text, vexar::ui::COLORREF value) override
    {
        textColour = text;
        valueColour = value;
    }
    void SetSettings(const LAYOUT_SETTINGS& given) override { settings = given; }
    bool Create(QWidget& strip) override;
    bool IsCreated() const override { return created; }
    QWidget* Window() override { return created ? this : nullptr; }
    void Close() override;
    void ReloadVariables() override { ++reloads; }
    void ApplyLanguage(const std::string& path) override { appliedLanguage = path; }

    std::u16string name;
    bool failCreate = false;  // Create refuses
    bool created = false;
    int creates = 0;
    int closes = 0;
    int reloads = 0;
    std::string languageFile;
    std::string appliedLanguage;
    QFont pageFont;
    vexar::ui::COLORREF textColour = 0;
    vexar::ui::COLORREF valueColour = 0;
    LAYOUT_SETTINGS settings;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vexar::pagesfixture
