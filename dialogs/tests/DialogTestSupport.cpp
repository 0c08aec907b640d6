#include "DialogTestSupport.h"

#include "CryptFixtures.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace dialogtest {

void WriteLangFile(const std::string& path, const Texts& texts)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode));
    for (const auto& [id, text] : texts)
        file.WriteString(vexar::ToUtf16(std::to_string(id)) + u"\t" + text + u"\n");
    ASSERT_TRUE(file.Close());
}

ProgramHome::ProgramHome(const Texts& texts)
{
    setenv("VEXAR_HOME", m_home.path().c_str(), 1);
    WriteLangFile(LangFile(), texts);
}

ProgramHome::~ProgramHome() { unsetenv("VEXAR_HOME"); }

void ProgramHome::InstallRevision(const std::string& ecu, const std::string& revision, const std::string& header)
{
    const std::string folder = m_home.path() + "/Configuration/" + ecu + "/" + revision + "/";
    std::filesystem::create_directories(folder);
    const std::u16string text = u"<CODICE_ECU>GAS</CODICE_ECU>\n<ID_FIRMWARE>" +
                                vexar::ToUtf16(header.empty() ? revision : header) + u"</ID_FIRMWARE>\n";
    for (const char* extension : {".PAR", ".VAR", ".GPC", ".GVS", ".GDG"}) {
        std::string error;
        ASSERT_TRUE(vexar::crypt::WriteCipherText(folder + "CAL" + extension, text, error)) << error;
    }
    vexar::testing::WriteAll(folder + "GestLang.cfg", "English.lng\n");
}

int CountColour(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
}

QRect BoxOf(const QImage& image, QRgb colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace dialogtest
