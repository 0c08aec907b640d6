// vexar-par-image, the tool that makes the demonstration ECU's parameter
// image from a calibration file: the image decodes, through the
// configuration's own definitions and conversions, back to the
// calibration's values; a calibration of another revision writes nothing.
#include "CryptFixtures.h"
#include "DefinitionFixtures.h"
#include "TempDir.h"
#include "config/CControlliConfigurati.h"
#include "config/CConversione.h"
#include "config/CUtilityCodec.h"
#include "common/Text.h"
#include "testing/ptysupport/ChildProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <span>
#include <stdexcept>
#include <tuple>
#include <filesystem>
#include <string>
#include <vector>

using vexar::testing::TempDir;

namespace {

int RunTool(const std::vector<std::string>& args, const TempDir& output)
{
    const pid_t pid = vexar::ptysupport::SpawnProgram(VEXAR_PAR_IMAGE_EXE, args, output.file("stdout.txt"),
                                                      output.file("stderr.txt"));
    return pid < 0 ? -1 : vexar::ptysupport::WaitExit(pid);
}

class ParImageTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("VEXAR_HOME", home.path().c_str(), 1);
        std::string error;
        ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(home.path(), config, error)) << error;
        const std::vector<std::u16string> languages = {u"English", u"Italiano"};
        for (auto [path, name, target] : {std::tuple{config.par, u"InfoControlliPC", &par},
                                          std::tuple{config.gdg, u"InfoControlliGDG", &gdg}}) {
            std::u16string language = u"English";
            CControlliConfigurati file(path, name);
            ASSERT_EQ(file.Load(language, languages), 0) << path;
            *target = file.Controls();
        }
    }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    const REC_CONTROLLO& Definition(const std::u16string& identifier) const
    {
        for (const auto* list : {&par, &gdg})
            for (const REC_CONTROLLO& definition : *list)
                if (definition.IDENTIFICATORE == identifier)
                    return definition;
        throw std::runtime_error("no definition");
    }

    // The physical value of element `index` of a datum (a map's cells in
    // row order), decoded as the controls decode it.
    double Value(const std::string& image, const std::u16string& identifier, int index = 0) const
    {
        const REC_CONTROLLO& definition = Definition(identifier);
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(image.data()), image.size());
        std::int32_t raw = 0;
        int size = 0;
        const std::int32_t offset = definition.LSB + index * CUtility::GetDatoSize(definition.TIPO);
        EXPECT_TRUE(CUtility::ReadDatoValue(bytes, offset, raw, size, definition.TIPO, definition.MASCHERA, false))
            << vexar::ToUtf8(identifier);
        CConversione conversion;
        conversion.SetConversion(definition.TIPO_CONV, definition.ID_GUI, &definition.CONVERSIONE, definition.TIPO);
        return conversion.ToPhysical(raw);
    }

    TempDir home;
    TempDir output;
    vexar::fixtures::SyntheticConfiguration config;
    std::vector<REC_CONTROLLO> par;
    std::vector<REC_CONTROLLO> gdg;
};

}  // namespace

TEST_F(ParImageTool, TheCityImageHoldsTheCalibrationsValues)
{
    const std::string calibration = vexar::fixtures::DataFolder() + "/calibration/VXG4_R0107_City.DAT.txt";
    ASSERT_EQ(RunTool({calibration, output.file("City.par")}, output), 0) << vexar::testing::ReadAll(output.file("stderr.txt"));
    const std::string image = vexar::testing::ReadAll(output.file("City.par"));
    ASSERT_EQ(image.size(), 66u) << "the configured parameter area, the recovery actions included";

    EXPECT_EQ(image.substr(0, 16), std::string("CITY 1.2 GPL\0\0\0\0", 16));
    const struct {
        std::u16string identifier;
        int index;
        double value;
    } cases[] = {
        {u"Abil_Cambio_Temp", 0, 1},
        {u"Avviamento_Gas", 0, 0},
        {u"Rpm_Cambio", 0, 2200},
        {u"Temp_Cambio", 0, 40},
        {u"Ritardo_Cambio", 0, 5},
        {u"Numero_Cilindri", 0, 4},
        {u"Fattore_Iniettori", 0, 1.15},
        {u"Breakpoint_Rpm", 0, 1500},
        {u"Breakpoint_Rpm", 2, 4500},
        {u"Breakpoint_Pressione", 1, 1.7},
        {u"Mappa_Correzione", 1, 1.5},
        {u"Mappa_Correzione", 3, -2},
        {u"Mappa_Correzione", 5, 2.5},
        {u"Anticipo_Gas", 7, 3.5},
        {u"Breakpoint_Temperatura", 0, 85},
        {u"Breakpoint_Temperatura", 2, 25},
        {u"Correzione_Temperatura", 2, 4.5},
        {u"Azioni_Ripristino", 3, 2},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Value(image, c.identifier, c.index), c.value, 1e-9)
            << vexar::ToUtf8(c.identifier) << "[" << c.index << "]";
    // The computed changeover temperature in Fahrenheit, as the ECU keeps it.
    EXPECT_EQ(static_cast<unsigned char>(image[17]), 104);
    // 2.50 ms over the 1.15 injector factor, in 4 us steps.
    EXPECT_EQ(static_cast<unsigned char>(image[48]) * 256 + static_cast<unsigned char>(image[49]), 543);
}

TEST_F(ParImageTool, ACalibrationOfAnotherRevisionWritesNothing)
{
    std::string text = vexar::testing::ReadAll(vexar::fixtures::DataFolder() + "/calibration/VXG4_R0107_City.DAT.txt");
    const std::size_t at = text.find("VXG4_R0107");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 10, "VXG4_R0299");
    vexar::testing::WriteAll(output.file("Other.DAT.txt"), text);
    EXPECT_EQ(RunTool({output.file("Other.DAT.txt"), output.file("Other.par")}, output), 1);
    EXPECT_FALSE(std::filesystem::exists(output.file("Other.par")));
    EXPECT_NE(vexar::testing::ReadAll(output.file("stderr.txt")).find("does not load"), std::string::npos);
    EXPECT_EQ(RunTool({}, output), 64);
}
