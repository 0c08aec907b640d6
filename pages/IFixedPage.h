#pragma once

// A fixed page of a page host: one of the feature dialogs (acquisition,
// graph, petrol-side acquisition, ECU memory maintenance, petrol-side
// trouble codes) that the host shows as a tab beside its configured pages.
// The host owns the page object for its whole life and makes the page's
// window under its tab strip only while it shows the page; the dialogs
// implement this.

#include "pages/core/LayoutSettings.h"
#include "platform/ui/ColorRef.h"

#include <memory>
#include <string>

class QFont;
class QWidget;

class IFixedPage {
public:
    virtual ~IFixedPage() = default;

    // What the host hands the page before it creates it.
    virtual void SetLanguageFile(const std::string& path) = 0;
    virtual void SetPageFont(const QFont& font) = 0;
    // The label text colour and the control value colour of the settings.
    virtual void SetColours(vexar::ui::COLORREF text, vexar::ui::COLORREF value) = 0;
    virtual void SetSettings(const LAYOUT_SETTINGS& settings) = 0;

    // Makes the page's window as a child of the tab strip, not shown;
    // false when it cannot be made.
    virtual bool Create(QWidget& strip) = 0;
    // Set from creation until Close.
    virtual bool IsCreated() const = 0;
    // The page's window while it is created, else null. The host shows,
    // raises, focuses and hides it like its configured pages.
    virtual QWidget* Window() = 0;
    // The window goes; the page may be created again later.
    virtual void Close() = 0;

    // The page reads its variable lists anew (a profile change, the graph
    // tab shown).
    virtual void ReloadVariables() = 0;
    // After a language change, while created: the page shows its texts
    // from the new language file.
    virtual void ApplyLanguage(const std::string& path) = 0;
};

// The fixed pages a host may hold; the view gives the variable window the
// first four and the petrol window the last. A page not given is left out.
struct FIXED_PAGES {
    std::unique_ptr<IFixedPage> acq;       // acquisition, language text 3034
    std::unique_ptr<IFixedPage> graph;     // graph, 3041
    std::unique_ptr<IFixedPage> acqBenz;   // petrol-side acquisition, 3284
    std::unique_ptr<IFixedPage> maint;     // ECU memory maintenance, 3049
    std::unique_ptr<IFixedPage> diagBenz;  // petrol-side trouble codes, 3283
};
