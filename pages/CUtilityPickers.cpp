#include "pages/CUtilityPickers.h"

#include "config/CUtilityCtrl.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlList.h"

#include <QTreeWidgetItem>
#include <QVariant>

namespace CUtility {

namespace {

// A line keeps its image index beside its icon, and the list its images
// as a property, so that both live exactly as long as their widgets.
constexpr int kImageRole = Qt::UserRole + 1;
constexpr const char* kImagesProperty = "vexarListImages";

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

// The line of the list that shows the variable of `name`; -1 when none.
int FindLine(const CCtrlList& list, const QString& name)
{
    const std::u16string wanted = name.toStdU16String();
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        if (VarLineShows(list.topLevelItem(i)->text(0).toStdU16String(), wanted))
            return i;
    return -1;
}

void ShowLine(CCtrlList& list, int line)
{
    QTreeWidgetItem* item = list.topLevelItem(line);
    list.setFocus();
    list.clearSelection();
    list.setCurrentItem(item);
    item->setSelected(true);
    list.scrollToItem(item);
}

void SetLineImage(CCtrlList& list, QTreeWidgetItem& item, int image)
{
    item.setData(0, kImageRole, image);
    const QList<QIcon> images = list.property(kImagesProperty).value<QList<QIcon>>();
    if (image >= 0 && image < images.size())
        item.setIcon(0, images[image]);
}

}  // namespace

void FillVarCombo(std::int32_t mode, const CTRL_TABLE& table, CCtrlCombo& picker)
{
    picker.clear();
    for (const PickerItem& item : PickerItems(mode, table))
        picker.addItem(ToQ(item.name), QVariant(item.index));
}

int AddVarToList(const CTRL_TABLE& table, CCtrlCombo& picker, CCtrlList& list, bool withDisplayParam,
                 int image, REC_CONTROLLO* definition, std::int32_t* index)
{
    const int selected = picker.currentIndex();
    if (selected < 0)
        return -1;
    if (const int listed = FindLine(list, picker.itemText(selected)); listed >= 0) {
        ShowLine(list, listed);
        return -1;
    }
    bool isNumber = false;
    const int entry = picker.itemData(selected).toInt(&isNumber);
    REC_CONTROLLO chosen;
    if (!isNumber || entry < 0 || static_cast<std::size_t>(entry) >= table.size() ||
        !GetCtrlDefinition(table[static_cast<std::size_t>(entry)], chosen))
        return -1;
    auto* item = new QTreeWidgetItem(&list);
    item->setText(0, ToQ(VarLineText(chosen, withDisplayParam)));
    if (image != -1)
        SetLineImage(list, *item, image);
    if (definition)
        *definition = chosen;
    if (index)
        *index = entry;
    return list.indexOfTopLevelItem(item);
}

bool RemoveVarFromList(int line, CCtrlCombo& picker, CCtrlList& list)
{
    if (line < 0 || line >= list.topLevelItemCount())
        return false;
    QTreeWidgetItem* item = list.topLevelItem(line);
    const int selected = picker.currentIndex();
    if (selected >= 0 && VarLineShows(item->text(0).toStdU16String(), picker.itemText(selected).toStdU16String()))
        picker.SetSelection(-1);
    // Deselected and no longer current, so that the view does not select
    // the line that moves into its place.
    item->setSelected(false);
    if (list.currentItem() == item)
        list.setCurrentItem(nullptr);
    delete list.takeTopLevelItem(line);
    return true;
}

bool ClearVarList(CCtrlCombo& picker, CCtrlList& list)
{
    list.clear();
    picker.SetSelection(-1);
    return true;
}

void SetListImages(CCtrlList& list, const std::vector<QIcon>& images)
{
    list.setProperty(kImagesProperty, QVariant::fromValue(QList<QIcon>(images.begin(), images.end())));
}

int GetListImage(const CCtrlList& list, int line)
{
    const QTreeWidgetItem* item = list.topLevelItem(line);
    if (!item)
        return -1;
    bool isNumber = false;
    const int image = item->data(0, kImageRole).toInt(&isNumber);
    return isNumber ? image : -1;
}

}  // namespace CUtility
