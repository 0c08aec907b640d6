#pragma once

// Helpers of the definition-file tests: definition texts built from a
// plain control template, written enciphered through the fixture builder,
// loaded by the real loader, with the session log split into its entries.

#include "DefinitionFixtures.h"
#include "TempDir.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/CControlliConfigurati.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vexar::config::test {

inline std::string Header(const std::string& baud = "9600")
{
    return "<CODICE_ECU>T1</CODICE_ECU>\n"
           "<ID_FIRMWARE>T1_R1</ID_FIRMWARE>\n"
           "<PROTO>PROT_KD01</PROTO>\n"
           "<BAUD_RATE>" + baud + "</BAUD_RATE>\n"
           "<ENDIAN>LITTLE_END</ENDIAN>\n"
           "<PRGBAY></PRGBAY>\n"
           "<FIRMWARE_NAME></FIRMWARE_NAME>\n"
           "<FREQ_SYS_CAR_MSEC>200</FREQ_SYS_CAR_MSEC>\n"
           "<FREQ_SYS_ACQ_MSEC>100</FREQ_SYS_ACQ_MSEC>\n";
}

// One CONTROLLO block; the defaults make a knob of the parameter file.
struct Control {
    std::string id = "7";
    std::string labelEn = "Idle speed";
    std::string labelIt = "Minimo";
    std::string unita = "rpm";
    std::string ident = "Minimo";
    std::string tipo = "DATO_UWORD";
    std::string lsb = "4";
    std::string mask = "0x0000FFFF";
    std::string def = "800";
    std::string min = "600";
    std::string max = "1200";
    std::string conversion = "<TIPO_CONV>CONV_NO</TIPO_CONV>\n";
    std::string category = "CTRL_KNOB";
    std::string block = "<ABILITATO>ABIL_SI</ABILITATO>\n<VALORI>VAL_CNT</VALORI>\n<NUM_TICK>5</NUM_TICK>\n"
                        "<FORMATO>.</FORMATO>\n";

    std::string Text() const
    {
        return "<CONTROLLO>\n<ID_GUI>" + id + "</ID_GUI>\n<ETICHETTA>\n<ENGLISH>" + labelEn + "</ENGLISH>\n<ITALIANO>" +
               labelIt + "</ITALIANO>\n</ETICHETTA>\n<UNITA>" + unita + "</UNITA>\n<IDENTIFICATORE>" + ident +
               "</IDENTIFICATORE>\n<COMMENTO>\n<ENGLISH>Comment</ENGLISH>\n<ITALIANO>Commento</ITALIANO>\n"
               "</COMMENTO>\n<TIPO>" + tipo + "</TIPO>\n<LSB>" + lsb + "</LSB>\n<MASCHERA>" + mask +
               "</MASCHERA>\n<OPERATORE>OPR_PRV</OPERATORE>\n<DEFAULT>" + def +
               "</DEFAULT>\n<FIXDEF>FIX_OFF</FIXDEF>\n<MIN>" + min + "</MIN>\n<MAX>" + max +
               "</MAX>\n<CONVERSIONE>\n" + conversion + "</CONVERSIONE>\n<GRAFICA>\n<CATEGORIA>" + category +
               "</CATEGORIA>\n" + block + "</GRAFICA>\n</CONTROLLO>\n";
    }
};

// Physical line number (from 1) of the first line containing `marker`.
inline long LineOf(const std::string& text, const std::string& marker)
{
    const std::size_t at = text.find(marker);
    if (at == std::string::npos)
        return -1;
    long line = 1;
    for (std::size_t i = 0; i < at; ++i)
        line += text[i] == '\n';
    return line;
}

inline std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "fixture text lacks: " << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// The entries of a session log, each as the text that was written.
inline std::vector<std::string> LogEntries(const std::string& logPath)
{
    CStdioFileEx file;
    std::vector<std::string> entries;
    if (!file.Open(logPath, CStdioFileEx::modeRead | CStdioFileEx::typeText))
        return entries;
    std::u16string line;
    bool inEntry = false;
    std::vector<std::string> lines;
    auto flush = [&] {
        if (!inEntry)
            return;
        std::string entry;
        for (std::size_t i = 0; i < lines.size(); ++i)
            entry += (i ? "\n" : "") + lines[i];
        entries.push_back(entry);
        lines.clear();
    };
    while (file.ReadString(line)) {
        const std::string text = ToUtf8(line);
        if (text.size() == 16 && text.rfind("** ", 0) == 0 && text.substr(11) == " **  ") {
            flush();
            inEntry = true;
        } else if (inEntry) {
            lines.push_back(text);
        }
    }
    flush();
    return entries;
}

inline std::string BadValue(const std::string& tag, const std::string& path, const std::string& value, long line)
{
    return "Errore nella lettura del valore associato al tag <" + tag + "> all'interno del file: \n" + path +
           "\nValore letto:\t\t" + value + "\nNumero linea del file:\t" + std::to_string(line);
}

inline std::string MissingOpen(const std::string& tag, const std::string& path, long line)
{
    return "Marcatore <" + tag + "> non trovato nella riga \"" + std::to_string(line) +
           "\" all'interno del file: \n" + path;
}

inline std::string MissingClose(const std::string& tag, const std::string& path, long line)
{
    return "Marcatore </" + tag + "> non trovato nella riga \"" + std::to_string(line) +
           "\" all'interno del file: \n" + path;
}

// A loaded set with its result and the log entries the load wrote.
struct Loaded {
    int result = -1;
    std::string path;
    std::vector<std::string> entries;
    std::unique_ptr<CControlliConfigurati> set;

    const std::vector<REC_CONTROLLO>& records() const { return set->Controls(); }
    const REC_CONTROLLO& rec(std::size_t i = 0) const { return set->Controls().at(i); }
};

class DefinitionTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("VEXAR_HOME", m_home.path().c_str(), 1); }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    // Writes `text` enciphered as `fileName` and loads it.
    Loaded Load(const std::string& text, const std::string& fileName = "T1.PAR",
                std::vector<std::u16string> languages = {u"English", u"Italiano"},
                std::u16string current = u"English")
    {
        Loaded loaded;
        loaded.path = m_home.file(fileName);
        std::string error;
        EXPECT_TRUE(vexar::fixtures::WriteDefinitionText(loaded.path, text, error)) << error;
        return LoadPath(loaded.path, std::move(languages), std::move(current));
    }

    Loaded LoadPath(const std::string& path, std::vector<std::u16string> languages = {u"English", u"Italiano"},
                    std::u16string current = u"English")
    {
        Loaded loaded;
        loaded.path = path;
        loaded.set = std::make_unique<CControlliConfigurati>(path, u"InfoTest" + ToUtf16(std::to_string(m_logs++)));
        loaded.result = loaded.set->Load(current, languages);
        loaded.entries = LogEntries(loaded.set->GetLogPath());
        return loaded;
    }

    testing::TempDir m_home;
    int m_logs = 0;
};

}  // namespace vexar::config::test
