#include "platform/ui/CUtilityUi.h"

#include "common/CUtilityToolbox.h"

#include <QFont>
#include <QWidget>

#include <cmath>
#include <cstdlib>

namespace CUtility {

bool CreateFontPt(QFont& font, std::u16string_view face, std::int32_t points, bool bold, std::int32_t orientation,
                  std::int32_t escapement)
{
    if (orientation != 0 || escapement != 0)
        return false;
    QFont created{QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size()))};
    // A height of 0 asks for the default size.
    if (const std::int32_t height = FontHeightFromPoints(points); height != 0)
        created.setPixelSize(std::abs(height));
    created.setWeight(bold ? QFont::Bold : QFont::Normal);
    font = created;
    return true;
}

std::int32_t LogicalFontHeight(const QWidget& window, const QFont& font)
{
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    return -static_cast<std::int32_t>(std::lround(font.pointSizeF() * window.logicalDpiY() / 72.0));
}

std::int32_t GetFontSizeCy(const QWidget& window, const QFont& font)
{
    return FontSizeCy(LogicalFontHeight(window, font), window.logicalDpiY());
}

std::int32_t GetFontSizePt(const QWidget& window, const QFont& font)
{
    return FontSizePt(LogicalFontHeight(window, font), window.logicalDpiY());
}

std::int32_t GetFontSizeTwips(const QWidget& window, const QFont& font)
{
    return FontSizeTwips(LogicalFontHeight(window, font), window.logicalDpiY());
}

std::int32_t TwipsToPixels(const QWidget& window, std::int32_t twips, bool horizontal)
{
    return TwipsToPixelsAt(twips, horizontal ? window.logicalDpiX() : window.logicalDpiY());
}

std::int32_t PixelsToTwips(const QWidget& window, std::int32_t pixels, bool horizontal)
{
    return PixelsToTwipsAt(pixels, horizontal ? window.logicalDpiX() : window.logicalDpiY());
}

}  // namespace CUtility
