#include "dialogs/UpperCaseList.h"

#include "common/NoCase.h"

#include <QComboBox>

namespace upperlist {

void InsertAt(QComboBox& list, int index, const std::u16string& text)
{
    list.insertItem(index, QString::fromStdU16String(vexar::ToUpper(text)), QString::fromStdU16String(text));
}

int InsertSorted(QComboBox& list, const std::u16string& text)
{
    const QString shown = QString::fromStdU16String(vexar::ToUpper(text));
    int index = 0;
    while (index < list.count() && QString::compare(list.itemText(index), shown, Qt::CaseSensitive) <= 0)
        ++index;
    InsertAt(list, index, text);
    return index;
}

std::u16string NameAt(const QComboBox& list, int index)
{
    if (index < 0 || index >= list.count())
        return {};
    return list.itemData(index).toString().toStdU16String();
}

int FindNoCase(const QComboBox& list, const std::u16string& text)
{
    for (int i = 0; i < list.count(); ++i) {
        if (vexar::EqualsNoCase(NameAt(list, i), text))
            return i;
    }
    return -1;
}

std::u16string SelectCurrent(QComboBox& list, const std::u16string& current)
{
    const int found = current.empty() ? -1 : FindNoCase(list, current);
    const int index = found < 0 ? 0 : found;
    list.setCurrentIndex(index);
    return NameAt(list, index);
}

}  // namespace upperlist
