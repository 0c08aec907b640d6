// Runs the vexar-crypt program itself, as the fixture builders and the
// developers do.
#include "McryptReference.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using vexar::testing::Exists;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

int RunTool(std::vector<std::string> args)
{
    args.insert(args.begin(), VEXAR_CRYPT_EXE);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

const char16_t kMarker[] = u"<\u00A3\u00A3\u00A3\u00A3\u00A3\u00A3 FINE FILE \u00A3\u00A3\u00A3\u00A3\u00A3\u00A3>";

}  // namespace

TEST(VexarCrypt, EncodeThenDecodeRoundTripsNonAsciiText)
{
    TempDir dir;
    const std::string text = "<CODICE_ECU>\tK\xC3\xB6ln\t</CODICE_ECU>\n// citt\xC3\xA0 \xE2\x82\xAC 5\n\n\xF0\x9F\x98\x80 fine\n";
    WriteAll(dir.file("in.txt"), text);
    ASSERT_EQ(RunTool({"encode", dir.file("in.txt"), dir.file("f.cfg")}), 0);
    const std::string cipher = ReadAll(dir.file("f.cfg"));
    EXPECT_EQ(cipher.size() % 32, 0u);
    EXPECT_EQ(cipher.find("CODICE"), std::string::npos);

    // The enciphered file is the system's format, checked with the independent cipher.
    const std::string plain = vexar::crypt::McryptDecipher(cipher);
    EXPECT_EQ(plain.substr(0, 12), std::string("\xFF\xFE<\0C\0O\0D\0I\0", 12));

    ASSERT_EQ(RunTool({"decode", dir.file("f.cfg"), dir.file("out.txt")}), 0);
    EXPECT_EQ(ReadAll(dir.file("out.txt")), text);
}

TEST(VexarCrypt, DecodesAFileOfAnIndependentCipher)
{
    TempDir dir;
    WriteAll(dir.file("ref.cfg"),
             vexar::crypt::McryptEncipher(vexar::crypt::SystemPlaintext(u"prima \u00E8\r\nseconda\n", kMarker)));
    ASSERT_EQ(RunTool({"decode", dir.file("ref.cfg"), dir.file("out.txt")}), 0);
    EXPECT_EQ(ReadAll(dir.file("out.txt")), "prima \xC3\xA8\nseconda\n");
}

TEST(VexarCrypt, FailuresExitNonZeroAndWriteNothing)
{
    TempDir dir;
    WriteAll(dir.file("bad.txt"), "not UTF-8: \xFF\n");
    WriteAll(dir.file("good.txt"), "ok\n");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {"no arguments", {}, 2},
        {"unknown verb", {"scramble", dir.file("good.txt"), dir.file("out")}, 2},
        {"missing output", {"encode", dir.file("good.txt")}, 2},
        {"missing input", {"encode", dir.file("none.txt"), dir.file("out")}, 1},
        {"input not UTF-8", {"encode", dir.file("bad.txt"), dir.file("out")}, 1},
        {"decode of a missing file", {"decode", dir.file("none.cfg"), dir.file("out")}, 1},
        {"output folder missing", {"encode", dir.file("good.txt"), dir.file("no/where")}, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunTool(c.args), c.exitCode) << c.name;
        EXPECT_FALSE(Exists(dir.file("out"))) << c.name;
    }
}
