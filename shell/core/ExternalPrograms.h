#pragma once

// What the main program hands to the separate programs it starts: the
// argument of the configuration's boot loader and of the two handheld
// programmers, the settings line and the Java parameters of the automatic
// calibration, and the pending self-update command line. Each argument is
// one entry of the started program's argument vector, so it carries no
// quotes of its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::shell {

// The program timers of the view, one per kind of program (100 ms each).
inline constexpr unsigned kTimerTarmix = 0;
inline constexpr unsigned kTimerHandheldWriter = 1;
inline constexpr unsigned kTimerHc08Loader = 2;
inline constexpr unsigned kTimerEcuLoader = 3;
inline constexpr unsigned kProgramTimerPeriodMs = 100;

// The folders and files of the automatic calibration, under the program
// folder.
inline constexpr char kTarmixFolder[] = "tarmix";
inline constexpr char kTarmixBatchFile[] = "tarmixrazione.bat";
inline constexpr char kTarmixSettingsFile[] = "tarmix.cfg";
// The Java runtime the batch file names.
inline constexpr char kJavaWindowsName[] = "javaw.exe";

struct LOADER_ARGUMENT {
    std::int32_t edition = 0;    // LOGO
    std::int32_t comPort = 0;    // COM
    std::u16string firmware;     // FILE, empty: none
    std::int32_t kLine = 0;      // LINEAK
    std::int32_t lockCom = 0;    // LOCKCOM: 1 when the link was just closed for the loader
    std::string langFile;        // LANGENG 0 when it names "Italiano.lng"
};

// "LOGO=..,COM=..,PATH=,FILE=..,LINEAK=..,LOCKCOM=..,LANGENG=..".
std::string LoaderArgument(const LOADER_ARGUMENT& values);
// "LOGO=..,PATH=,FILE=" of hhwriter and hc08flash.
std::string HandheldArgument(std::int32_t edition);

// The one line of "tarmix.cfg": "-com N -language NAME -baudrate N\n" in
// lower case, NAME the language file's name without folder and extension.
std::string TarmixSettingsLine(std::int32_t comPort, const std::string& langFile, std::int32_t baud);

// The Java parameters of the batch file's first line: the text after
// "javaw" (and after ".exe" when the line names "javaw.exe"), trimmed, split
// at blanks outside double quotes, the quotes removed. False when the line
// does not name "javaw".
bool TarmixParameters(std::string_view firstLine, std::vector<std::string>& parameters);
// Splits at runs of blanks (spaces, tabs) outside double quotes; a quoted
// stretch is part of its word without its quotes; an unclosed quote runs
// to the end.
std::vector<std::string> SplitParameters(std::string_view text);

// The pending self-update command Update reads: "<new program>, <program
// folder><main program>".
std::u16string UpdateCommand(const std::string& newProgram, const std::string& programFolder);

// Whether a folder entry of an update is, by its whole name, the main
// program, the OBD library or the installer ("MYVEXAR" is not the program).
bool IsMainProgramEntry(std::string_view name);
bool IsObdLibraryEntry(std::string_view name);
bool IsSetupEntry(std::string_view name);

}  // namespace vexar::shell
