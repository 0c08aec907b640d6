#pragma once

// The synthetic configuration in a program folder of its own, with the
// definitions of its parameter and dialog controls loaded and its City
// calibration enciphered as "City.DAT", and the pages side the calibration
// loads into, for the tests that load it into real controls and save it
// back.

#include "CryptFixtures.h"
#include "DefinitionFixtures.h"
#include "TempDir.h"
#include "config/CControlliConfigurati.h"
#include "config/CParametriFile.h"
#include "pages/core/CVEXARPages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vexar::pagestest {

class SyntheticCalibration {
public:
    ~SyntheticCalibration() { unsetenv("VEXAR_HOME"); }

    // Installs the configuration under VEXAR_HOME, loads the definitions
    // and writes the calibration; then makes the pages side, whose logs go
    // to that program folder, with images large enough for the
    // calibration's data and a fixed clock for the change records a save
    // writes. Call it in ASSERT_NO_FATAL_FAILURE.
    void Install()
    {
        setenv("VEXAR_HOME", home.path().c_str(), 1);
        std::filesystem::create_directories(home.file("Log"));
        std::string error;
        ASSERT_TRUE(fixtures::InstallSyntheticConfiguration(home.path(), config, error)) << error;
        const std::vector<std::u16string> languages = {u"English", u"Italiano"};
        std::u16string language = u"English";
        par = std::make_unique<CControlliConfigurati>(config.par, u"InfoControlliPC");
        ASSERT_EQ(par->Load(language, languages), 0);
        language = u"English";
        gdg = std::make_unique<CControlliConfigurati>(config.gdg, u"InfoControlliGDG");
        ASSERT_EQ(gdg->Load(language, languages), 0);
        text = fixtures::FixtureText("calibration/VXG4_R0107_City.DAT.txt");
        ASSERT_TRUE(crypt::WriteCipherText(home.file("City.DAT"), text, error)) << error;
        app = std::make_unique<CVEXARPages>();
        app->ResizeImages(64, 32);
        app->m_clock = [] { return std::time_t{1294646400}; };
    }

    // Reads "City.DAT" into `file`'s controls: the reader's result.
    int Read(CParametriFile& file, bool& nameFound)
    {
        std::u16string fileFirmware;
        return file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, home.file("City.DAT"), nameFound);
    }

    // What `file` saves as "Saved.DAT", read back.
    std::u16string Saved(CParametriFile& file)
    {
        EXPECT_EQ(file.Write(u"VXG4", u"VXG4_R0107", home.file("Saved.DAT")), 0);
        std::u16string saved;
        std::string error;
        EXPECT_TRUE(crypt::ReadCipherText(home.file("Saved.DAT"), saved, error)) << error;
        return saved;
    }

    testing::TempDir home;
    fixtures::SyntheticConfiguration config;
    std::unique_ptr<CControlliConfigurati> par;
    std::unique_ptr<CControlliConfigurati> gdg;
    std::u16string text;  // the calibration's plain text
    std::unique_ptr<CVEXARPages> app;
};

}  // namespace vexar::pagestest
