#pragma once

// Finding files the way the system names them: regardless of letter case
// ("*.PAR", "GestLang.cfg", upper-cased folder names), in listings whose
// order is stable. Paths are UTF-8 with '/'. Nothing here changes the
// working directory.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexar {

enum class EntryKind { File, Folder };

// The names of the entries of `folder` of one kind ("." and ".." left out;
// symbolic links count as what they point to), sorted regardless of case
// and then exactly, so the order never depends on the file system. False,
// with an empty list, when the folder cannot be read.
bool ListFolder(const std::string& folder, EntryKind kind, std::vector<std::string>& names);

// Whether `name` matches `pattern` regardless of case: '*' stands for any
// run of characters, '?' for exactly one.
bool MatchesNoCase(std::u16string_view name, std::u16string_view pattern);

// The on-disk name of the first entry of `kind` in the sorted listing of
// `folder` that matches `pattern` (a plain name matches itself in any
// case); none when nothing matches or the folder cannot be read.
std::optional<std::string> FindFirstMatch(const std::string& folder, std::string_view pattern, EntryKind kind);

// `path` with every component that does not exist as written replaced by
// the first entry of its folder whose name equals it regardless of case.
// When some component cannot be found either way the path is returned as
// given. A trailing '/' is kept.
std::string ResolvePathNoCase(const std::string& path);

}  // namespace vexar
