#pragma once

// What the dialog tests share: a program folder of their own with a
// language file and installed configurations made on the spot, and looks
// at pixels.

#include "TempDir.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dialogtest {

using Texts = std::vector<std::pair<std::int32_t, std::u16string>>;

// A program folder ($VEXAR_HOME) for the life of the object, with the
// language file "Lang/Test.lng" holding `texts` (UTF-16 with byte-order
// mark).
class ProgramHome {
public:
    explicit ProgramHome(const Texts& texts = {});
    ~ProgramHome();
    ProgramHome(const ProgramHome&) = delete;
    ProgramHome& operator=(const ProgramHome&) = delete;

    const std::string& path() const { return m_home.path(); }
    std::string LangFile() const { return m_home.path() + "/Lang/Test.lng"; }

    // An installed revision `revision` of ECU `ecu` whose files name it in
    // their header (`header`, when given, instead).
    void InstallRevision(const std::string& ecu, const std::string& revision, const std::string& header = {});

private:
    vexar::testing::TempDir m_home;
};

void WriteLangFile(const std::string& path, const Texts& texts);

inline QImage Shot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Pixels of `image` inside `area` that have `colour` exactly.
int CountColour(const QImage& image, const QRect& area, QRgb colour);
// The box around the pixels of `image` that have `colour`.
QRect BoxOf(const QImage& image, QRgb colour);

}  // namespace dialogtest

