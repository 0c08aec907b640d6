#include "shell/core/CSettingsFile.h"

#include "common/CCriptFile.h"
#include "shell/core/CipherTextFile.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"

#include <algorithm>
#include <limits>

namespace vexar::shell {

namespace {

constexpr int kLastDisplayValue = 49;
constexpr int kFirstButtonValue = 50;
constexpr int kListUploadValue = 69;

// The integer fields of the display settings by value number (the fonts'
// faces, 3 and 6, and the colours, 9 and 10, are not integers).
std::int32_t* IntField(LAYOUT_SETTINGS& l, int value)
{
    switch (value) {
    case 4: return &l.pageFontSize;
    case 5: return &l.pageFontBold;
    case 7: return &l.barFontSize;
    case 8: return &l.barFontBold;
    case 11: return &l.margin;
    case 12: return &l.barHeight;
    case 13: return &l.barVertical.height;
    case 14: return &l.barVertical.width;
    case 15: return &l.barHorizontal.height;
    case 16: return &l.barHorizontal.width;
    case 17: return &l.button.height;
    case 18: return &l.button.width;
    case 19: return &l.buttonCmd.height;
    case 20: return &l.buttonCmd.width;
    case 21: return &l.checkHeight;
    case 22: return &l.comboHeight;
    case 23: return &l.diagHeight;
    case 24: return &l.edit.height;
    case 25: return &l.edit.width;
    case 26: return &l.gridMax.height;
    case 27: return &l.gridMax.width;
    case 28: return &l.knob.height;
    case 29: return &l.knob.width;
    case 30: return &l.led.height;
    case 31: return &l.led.width;
    case 32: return &l.numCalc.height;
    case 33: return &l.numCalc.width;
    case 34: return &l.numEdit.height;
    case 35: return &l.numEdit.width;
    case 36: return &l.numeric.height;
    case 37: return &l.numeric.width;
    case 38: return &l.rpm.height;
    case 39: return &l.rpm.width;
    case 40: return &l.slideVertical.height;
    case 41: return &l.slideVertical.width;
    case 42: return &l.slideHorizontal.height;
    case 43: return &l.slideHorizontal.width;
    case 44: return &l.statoHeight;
    case 45: return &l.term.height;
    case 46: return &l.term.width;
    case 47: return &l.vmeter.height;
    case 48: return &l.vmeter.width;
    case 49: return &l.gridColumnWidth;
    default: return nullptr;
    }
}

// One "%d" as the C library scans it: white space, a sign, digits. Values
// beyond the 32-bit range saturate. False when no digit follows.
bool ScanInt(std::u16string_view& text, std::int32_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    const std::size_t digits = i;
    std::int64_t number = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        number = std::min<std::int64_t>(number * 10 + (text[i] - u'0'), std::int64_t{1} << 32);
    if (i == digits)
        return false;
    if (negative)
        number = -number;
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    value = static_cast<std::int32_t>(std::clamp<std::int64_t>(number, kMin, kMax));
    text.remove_prefix(i);
    return true;
}

// "%d %d %d": false when not even the first number reads; the others not
// read count as 0; each component keeps its low 8 bits.
bool ParseColour(std::u16string_view line, std::uint32_t& colour)
{
    std::int32_t parts[3] = {0, 0, 0};
    if (!ScanInt(line, parts[0]))
        return false;
    if (ScanInt(line, parts[1]))
        ScanInt(line, parts[2]);
    colour = (static_cast<std::uint32_t>(parts[0]) & 0xFF) | ((static_cast<std::uint32_t>(parts[1]) & 0xFF) << 8) |
             ((static_cast<std::uint32_t>(parts[2]) & 0xFF) << 16);
    return true;
}

// The text between the first two double quotes.
bool ParseQuoted(std::u16string_view line, std::u16string& text)
{
    const std::size_t open = line.find(u'"');
    if (open == std::u16string_view::npos)
        return false;
    const std::size_t close = line.find(u'"', open + 1);
    if (close == std::u16string_view::npos)
        return false;
    text = std::u16string(line.substr(open + 1, close - open - 1));
    return true;
}

bool ParseValue(int value, std::u16string_view line, SETTINGS_VALUES& values)
{
    LAYOUT_SETTINGS& layout = values.layout;
    if (value == 3)
        return ParseQuoted(line, layout.pageFontFace);
    if (value == 6)
        return ParseQuoted(line, layout.barFontFace);
    if (value == 9)
        return ParseColour(line, layout.textColour);
    if (value == 10)
        return ParseColour(line, layout.valueColour);
    if (value < 1 || value > kListUploadValue)
        return false;
    std::int32_t number = 0;
    if (!ScanInt(line, number))
        return false;
    if (value == 1)
        values.kLine = static_cast<std::uint8_t>(number);
    else if (value == 2)
        values.editionView = number;
    else if (value >= kFirstButtonValue && value < kFirstButtonValue + kButtonCount)
        layout.buttonStates[static_cast<std::size_t>(value - kFirstButtonValue)] = number;
    else if (value == kListUploadValue)
        values.listUpload = static_cast<std::uint8_t>(number);
    else
        *IntField(layout, value) = number;
    return true;
}

bool IsDataLine(std::u16string_view trimmed)
{
    return !trimmed.empty() && trimmed.substr(0, 2) != u"//";
}

}  // namespace

bool CSettingsFile::ParseSettingValue(int n, std::u16string_view line, SETTINGS_VALUES& values)
{
    if (n == 0) {
        if (line.find(u'.') != std::u16string_view::npos) {
            values.version = std::u16string(line);
            values.shift = 0;
            return true;
        }
        values.version = u"0.0.0";
        values.kLine = 0;
        values.shift = 2;
        return ParseValue(2, line, values);
    }
    return ParseValue(n + values.shift, line, values);
}

CSettingsFile::ReadResult CSettingsFile::ReadSettings(const std::string& path, SETTINGS_VALUES& values,
                                                      std::vector<std::u16string>& tail)
{
    values.layout.gridColumnWidth = kGridColumnWidth;
    CCriptFile file;
    if (!file.Open(path, 1)) {
        ReportError(Format(u"Error to open file %s!", path));
        return ReadResult::OpenFailed;
    }
    tail.clear();
    ReadResult result = ReadResult::Read;
    bool decoding = true;
    bool pastDisplayValues = false;
    int n = 0;
    std::u16string raw;
    while (file.ReadLine(raw)) {
        const std::u16string line = Trim(raw);
        // Everything after value 49 is kept as read, for the writer.
        if (pastDisplayValues && (!tail.empty() || !line.empty()))
            tail.push_back(raw);
        if (!decoding || !IsDataLine(line))
            continue;
        if (!ParseSettingValue(n, line, values)) {
            if (n <= kLastDisplayValue) {
                ReportError(Format(u"Error to decode %d configuration parameter!", n));
                result = ReadResult::DecodeFailed;
                break;
            }
            decoding = false;
            continue;
        }
        pastDisplayValues = pastDisplayValues || n + values.shift == kLastDisplayValue;
        ++n;
    }
    file.Close();
    values.layout.buttonStates.fill(0);
    return result;
}

std::optional<std::int32_t> CSettingsFile::ReadEdition(const std::string& path)
{
    CCriptFile file;
    if (!file.Open(path, 1)) {
        ReportError(Format(u"Error to open file %s!", path));
        return std::nullopt;
    }
    SETTINGS_VALUES values;
    std::optional<std::int32_t> edition;
    int n = 0;
    std::u16string raw;
    while (!edition && file.ReadLine(raw)) {
        const std::u16string line = Trim(raw);
        if (!IsDataLine(line))
            continue;
        if (!ParseSettingValue(n, line, values))
            break;
        if (n + values.shift == 2)
            edition = values.editionView;
        ++n;
    }
    file.Close();
    return edition;
}

void CSettingsFile::ReadConfigurationLayout(const std::string& path, SETTINGS_VALUES& values,
                                            std::array<std::int32_t, kButtonCount>& savedStates,
                                            std::int32_t oprator)
{
    values.layout.buttonStates = savedStates;
    values.layout.gridColumnWidth = kGridColumnWidth;
    values.listUpload = 0;
    CCriptFile file;
    if (file.Open(path, 1)) {
        int n = 3;
        std::u16string raw;
        while (file.ReadLine(raw)) {
            const std::u16string line = Trim(raw);
            if (!IsDataLine(line))
                continue;
            if (!ParseSettingValue(n, line, values))
                break;
            ++n;
        }
        file.Close();
        savedStates = values.layout.buttonStates;
    }
    if (oprator >= 1 && oprator <= 3)
        for (std::int32_t& state : values.layout.buttonStates)
            if (state == 0)
                state = 2;
}

std::u16string CSettingsFile::SettingsText(const std::u16string& version, std::uint8_t kLine, std::int32_t edition,
                                           const LAYOUT_SETTINGS& layout, const std::vector<std::u16string>& tail)
{
    std::u16string text;
    auto line = [&](std::u16string_view s) { text += s; };
    auto number = [&](std::int32_t value, std::u16string_view comment) {
        text += Format(u"%d", value);
        text += comment;
        text += u"\n";
    };
    auto font = [&](const std::u16string& face, std::int32_t size, std::int32_t bold) {
        text += Format(u"\"%s\"\t// Tipo\n", face);
        number(size, u"\t// Dimensione");
        number(bold, u"\t// Bold: 1 = grassetto, 0 = normale");
    };
    auto colour = [&](std::uint32_t c, std::u16string_view comment) {
        text += Format(u"%d %d %d", static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                       static_cast<int>((c >> 16) & 0xFF));
        text += comment;
        text += u"\n";
    };
    auto pair = [&](std::u16string_view heading, const CONTROL_SIZE& size) {
        line(heading);
        number(size.height, u"\t// Altezza in pixel");
        number(size.width, u"\t// Larghezza in pixel");
        line(u"\n");
    };
    auto bar = [&](std::u16string_view heading, const CONTROL_SIZE& vertical, const CONTROL_SIZE& horizontal) {
        line(heading);
        number(vertical.height, u"\t// Altezza verticale in pixel");
        number(vertical.width, u"\t// Larghezza verticale in pixel");
        number(horizontal.height, u"\t// Altezza orizzontale in pixel");
        number(horizontal.width, u"\t// Larghezza orizzontale in pixel");
        line(u"\n");
    };
    auto list = [&](std::u16string_view heading, std::int32_t height) {
        line(heading);
        number(height, u"\t// Altezza della lista di selezione in pixel");
        line(u"\n");
    };

    line(u"// Versione\n");
    text += version + u"\n\n";
    line(u"// Presenza linea K\n");
    number(kLine, u"");
    line(u"\n// 0 = VELT, 1 = OSK ZENTA\n");
    number(edition, u"");
    line(u"\n// Font finestre dinamiche\n");
    font(layout.pageFontFace, layout.pageFontSize, layout.pageFontBold);
    line(u"\n// Font barre di controllo\n");
    font(layout.barFontFace, layout.barFontSize, layout.barFontBold);
    line(u"\n// Colori finestre dinamiche e barre di controllo\n");
    colour(layout.textColour, u"\t// Colore testo finestre e controlli: rosso, verde, blu");
    colour(layout.valueColour, u"\t// Colore valori controlli: rosso, verde, blu");
    line(u"\n// Numero di pixel lasciati come margine ai lati della\n// finestra per l'inserimento dei controlli\n");
    number(layout.margin, u"");
    line(u"\n// Altezza in pixel della barra di controllo\n");
    number(layout.barHeight, u"");
    line(u"\n");
    bar(u"// Bar\n", layout.barVertical, layout.barHorizontal);
    pair(u"// Button\n", layout.button);
    pair(u"// Button Cmd e Reset\n", layout.buttonCmd);
    line(u"// Check\n");
    number(layout.checkHeight, u"\t// Altezza in pixel");
    line(u"\n");
    list(u"// Combo\n", layout.comboHeight);
    list(u"// Diag & Ripr\n", layout.diagHeight);
    pair(u"// Edit\n", layout.edit);
    line(u"// Grid\n");
    number(layout.gridMax.height, u"\t// Massima altezza in pixel");
    number(layout.gridMax.width, u"\t// Massima larghezza in pixel");
    line(u"\n");
    pair(u"// Knob\n", layout.knob);
    pair(u"// Led\n", layout.led);
    pair(u"// NumCalc\n", layout.numCalc);
    pair(u"// NumEdit\n", layout.numEdit);
    pair(u"// Numeric\n", layout.numeric);
    pair(u"// RPM\n", layout.rpm);
    bar(u"// Slide\n", layout.slideVertical, layout.slideHorizontal);
    list(u"// Stato\n", layout.statoHeight);
    pair(u"// Term\n", layout.term);
    pair(u"// VMeter\n", layout.vmeter);
    line(u"// Grid\n");
    number(layout.gridColumnWidth, u"\t// Larghezza colonna in pixel");
    line(u"\n");
    for (const std::u16string& kept : tail)
        text += kept + u"\n";
    return text;
}

bool CSettingsFile::WriteSettings(const std::string& path, const std::u16string& text)
{
    return WriteCipherTextFile(path, text);
}

}  // namespace vexar::shell
