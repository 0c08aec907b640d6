#pragma once

// The file names of the programs and libraries on Linux, for every name
// the system builds a path or a command line from. A text shown to the user
// keeps the system's own name ("obdvane.dll library failed to load!"); a
// path uses the name here.

#include <string>
#include <string_view>

namespace vexar::platform {

inline constexpr char kMainProgramFile[] = "VEXAR";         // "VEXAR.exe"
inline constexpr char kUpdaterFile[] = "Update";            // "Update.exe"
inline constexpr char kObdLibraryFile[] = "libobdvane.so";  // "obdvane.dll"
inline constexpr char kCipherLibraryFile[] = "libsigilkit.so";  // "sigilkit.dll"
inline constexpr char kProgramBayFolder[] = "prgbay";       // the folder of the tools and the updater

// The Linux name of a program or library the system names in its Windows
// form, matched without regard to case: the names above, the programming
// tools ("kd02flash.exe", "st7flash.exe", "hc08flash.exe", "hhwriter.exe")
// and the Java runtime ("javaw.exe"). Another name ending in ".exe" loses
// the extension; any other name is kept as it is.
std::string LinuxProgramName(std::string_view windowsName);

}  // namespace vexar::platform
