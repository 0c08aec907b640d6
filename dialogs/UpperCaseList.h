#pragma once

// Drop-down lists with the upper-case style: every entry shows its text in
// upper case and keeps the text as it was given (a folder name, say) as
// its data, so the program works with the real name.

#include <string>

class QComboBox;

namespace upperlist {

void InsertAt(QComboBox& list, int index, const std::u16string& text);
// Before the first entry whose shown text sorts after this one's, unit by
// unit; the index it took.
int InsertSorted(QComboBox& list, const std::u16string& text);
// The text of entry `index` as it was given; empty for no entry.
std::u16string NameAt(const QComboBox& list, int index);
// The first entry whose text equals `text` letter case aside; -1 when none.
int FindNoCase(const QComboBox& list, const std::u16string& text);
// Selects the entry of `current`, or entry 0 when `current` is empty or
// not listed, and returns the selected entry's text as it was given. The
// list must not be empty.
std::u16string SelectCurrent(QComboBox& list, const std::u16string& current);

}  // namespace upperlist
