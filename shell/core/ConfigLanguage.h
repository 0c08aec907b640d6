#pragma once

// The language a configuration is loaded in: one of the names its
// "GestLang.cfg" lists, the current language first, then English.

#include <string>
#include <vector>

namespace vexar::shell {

// The names listed in a "GestLang.cfg" (each non-empty line less its
// four-character extension); an empty list, reported, when the file is not
// there ("Error to access file %s!") or does not open ("Error to open file
// %s!").
std::vector<std::u16string> ReadLanguageList(const std::string& path);

// The file name of `langFile` without folder and extension when the list
// holds it, else "English" when the list holds that, else the list's first
// name; "English" for an empty list.
std::u16string ChooseConfigurationLanguage(const std::string& langFile, const std::vector<std::u16string>& list);

}  // namespace vexar::shell
