#pragma once

// What the fuzz targets share in one process: the locale and time zone the
// test suite runs under, a program folder of their own (in memory where
// the machine has /dev/shm, since every input becomes a file), the files
// they write there, and the definitions of the synthetic configuration
// that the calibration, layout and parser readers are checked against.

#include "config/RecControllo.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::fuzz {

// Sets the comma-decimal locale and the daylight-saving time zone of the
// tests (unless the environment names others). Called once before the
// first input.
void PrepareFuzzProcess();

class Workspace {
public:
    // The one workspace of the process, made at the first call: VEXAR_HOME
    // names it from then on, with its "Log" folder in it.
    static Workspace& Get();

    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // The folder, ending with '/'.
    const std::string& Folder() const { return m_folder; }
    std::string File(std::string_view name) const { return m_folder + std::string(name); }

    // Replaces the file with the bytes as they stand.
    void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) const;
    void WriteBytes(const std::string& path, std::string_view bytes) const;
    // Writes the text through the program's own enciphered-file writer.
    void WriteEnciphered(const std::string& path, std::u16string_view text) const;
    // Writes the bytes enciphered as a firmware ".run" file is: the whole
    // file through the cipher library in CFB mode, with the system key.
    void WriteRunFile(const std::string& path, std::span<const std::uint8_t> bytes) const;

    // A fuzz input as the file `name` in the folder, its bytes as they
    // stand or (Enciphered) taken as UTF-16LE code units and written through
    // the enciphered-file writer; the file's path.
    std::string PlainInput(std::string_view name, std::span<const std::uint8_t> bytes) const;
    std::string EncipheredInput(std::string_view name, std::span<const std::uint8_t> units) const;

private:
    Workspace();
    ~Workspace();
    std::string m_folder;
};

// The three definition sets of the synthetic configuration, loaded once.
struct SyntheticSets {
    std::vector<REC_CONTROLLO> par;
    std::vector<REC_CONTROLLO> var;
    std::vector<REC_CONTROLLO> gdg;
};
const SyntheticSets& Synthetic();

// The languages of the synthetic configuration, in the order of its
// definition files' language lines.
const std::vector<std::u16string>& SyntheticLanguages();

}  // namespace vexar::fuzz
