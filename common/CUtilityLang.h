#pragma once

// Language texts and the language menu. A language file ("Lang/<name>.lng"
// beside the program) holds one text per line: a decimal key, a TAB, the
// text; the language list "Lang/GestLang.cfg" names one language file per
// line. Both are read as UTF-16 (with byte-order mark) or Windows-1252.
// Messages for the user go through the error reporter (ErrorReporter.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CUtility {

// The program folder ($VEXAR_HOME or the executable's folder), ending
// with '/'.
void GetExePath(std::string& path);

// The text with key `id` in the language file `path`: everything after the
// first TAB of the first line whose key matches. Empty when no line has the
// key, or when the file cannot be read (reported on every call).
std::u16string LoadLangString(const std::string& path, std::int32_t id);

// Command id of the first language-menu item; item n has id + n.
inline constexpr int kLangMenuFirstId = 2000;

struct LangMenuItem {
    std::u16string text;  // the language file's name without ".lng"
    int id = 0;
};

// What the frame and the view turn into their popup menu.
struct LangMenu {
    std::vector<LangMenuItem> items;
    std::optional<int> checkedId;  // the item of the current language file
};

// Empties `menu` and fills it from "<programFolder>Lang/GestLang.cfg": one
// item per listed file that exists, in list order; the item whose full path
// equals `currentLangFile` exactly is the checked one. Returns the number
// of items.
int FillLangMenu(const std::string& programFolder, const std::string& currentLangFile, LangMenu& menu);

}  // namespace CUtility
