#include "FuzzWorkspace.h"

#include "DefinitionFixtures.h"
#include "FuzzInput.h"
#include "common/CCriptFile.h"
#include "config/CControlliConfigurati.h"
#include "sigilkit.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <unistd.h>

namespace vexar::fuzz {

namespace {

namespace fs = std::filesystem;

// The key of the firmware ".run" files, as the programming tools read them.
constexpr char kRunFileKey[] = "3FA0C81D5E7B29640D1CE8A7B5F23961";

std::string MakeFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string parent = fs::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                         : tmp && *tmp                                                   ? tmp
                                                                                         : "/tmp";
    std::string pattern = parent + "/vexar-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("vexar fuzz: cannot make the program folder");
        std::abort();
    }
    return pattern + "/";
}

void Fail(const char* what, const std::string& path)
{
    std::fprintf(stderr, "vexar fuzz: %s %s\n", what, path.c_str());
    std::abort();
}

}  // namespace

void PrepareFuzzProcess()
{
    setenv("LC_ALL", "de_DE.UTF-8", 0);
    setenv("TZ", "Europe/Rome", 0);
    tzset();
    std::setlocale(LC_ALL, "");
    Workspace::Get();
}

Workspace& Workspace::Get()
{
    static Workspace workspace;
    return workspace;
}

Workspace::Workspace() : m_folder(MakeFolder())
{
    fs::create_directories(m_folder + "Log");
    setenv("VEXAR_HOME", m_folder.c_str(), 1);
}

Workspace::~Workspace()
{
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

void Workspace::WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) const
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        Fail("cannot write", path);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        Fail("cannot write", path);
    std::fclose(file);
}

void Workspace::WriteBytes(const std::string& path, std::string_view bytes) const
{
    WriteBytes(path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void Workspace::WriteEnciphered(const std::string& path, std::u16string_view text) const
{
    CCriptFile file;
    if (!file.Open(path, 0))
        Fail("cannot key the cipher for", path);
    file.Write(std::u16string(text));
    if (!file.Close())
        Fail("cannot write", path);
}

void Workspace::WriteRunFile(const std::string& path, std::span<const std::uint8_t> bytes) const
{
    const std::string plain = path + ".plain";
    WriteBytes(plain, bytes);
    if (CryptInit(reinterpret_cast<const unsigned char*>(kRunFileKey), 32, 32) != 0)
        Fail("cannot key the cipher for", path);
    // An empty file cannot be enciphered; the reader then finds it empty.
    if (FileEncrypt(plain.c_str(), path.c_str(), SIGILKIT_CFB) != 0)
        WriteBytes(path, std::string_view());
}

std::string Workspace::PlainInput(std::string_view name, std::span<const std::uint8_t> bytes) const
{
    const std::string path = File(name);
    WriteBytes(path, bytes);
    return path;
}

std::string Workspace::EncipheredInput(std::string_view name, std::span<const std::uint8_t> units) const
{
    const std::string path = File(name);
    WriteEnciphered(path, Utf16Units(units));
    return path;
}

const SyntheticSets& Synthetic()
{
    static const SyntheticSets sets = [] {
        const Workspace& workspace = Workspace::Get();
        fixtures::SyntheticConfiguration installed;
        std::string error;
        if (!fixtures::InstallSyntheticConfiguration(workspace.Folder(), installed, error))
            Fail("cannot install the synthetic configuration:", error);
        SyntheticSets loaded;
        const auto load = [](const std::string& path, std::vector<REC_CONTROLLO>& records) {
            // Logs of their own, so that the readers under test keep theirs.
            CControlliConfigurati set(path, u"FuzzSyntheticSet");
            std::u16string language = u"English";
            if (set.Load(language, SyntheticLanguages()) != 0)
                Fail("cannot load the synthetic definitions", path);
            records = set.Controls();
        };
        load(installed.par, loaded.par);
        load(installed.var, loaded.var);
        load(installed.gdg, loaded.gdg);
        return loaded;
    }();
    return sets;
}

const std::vector<std::u16string>& SyntheticLanguages()
{
    static const std::vector<std::u16string> languages = {u"English", u"Italiano"};
    return languages;
}

}  // namespace vexar::fuzz
