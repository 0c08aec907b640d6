#pragma once

// The drop-down list of the pages and the diagnosis window. It shows one
// datum as the item whose value equals the datum's physical value (the
// first such item; none when no item has it), by category:
//
// - CTRL_COMBO, a parameter: the user's choice of another item writes its
//   value once; the current item may show and hide other controls (a
//   control named by several items shows while one of them is current).
//   A list marked PAR_NO is such a switch and has no datum.
// - CTRL_RIPR, the recovery actions of a diagnosis control: an array
//   parameter with one element per error, shown one element at a time as
//   the diagnosis window selects it; the user's choice writes the shown
//   element and tells the window (DIAG_ACTION). Only an element of the
//   array can be shown or chosen: any other index clears the list until a
//   valid one comes.
// - CTRL_DIAG, CTRL_DIAG_BIT, CTRL_STATO, live variables: the list follows
//   the variable; a diagnosis list tells its owner after every refresh, a
//   state list returns to the shown value when the user picks another.
//
// Dialogs embed the class as a plain list with a role that decides what a
// change of selection posts to its owner (pickers, maintenance lists,
// diagnosis lists). User changes come only from the user's own choice in
// the open list or by keys while the list has the focus, never from what
// the program selects: a wheel turn over the closed list goes on to the
// page, which scrolls.
//
// A list without a current item encodes nothing, so the image keeps bytes
// whose value no item names; its calibration line still reads "-1".

#include "pages/CCtrlLabelled.h"
#include "pages/CtrlCreate.h"

#include <QComboBox>
#include <QPointer>

#include <string>
#include <vector>

class CCtrlCombo : public QComboBox, public CCtrlLabelled {
public:
    // The roles: what a change of selection does.
    enum Role : int {
        kRolePlain = 0,      // nothing
        kRoleCategory = 1,   // by category (the creators' lists)
        kRolePicker = 2,     // WM_PICKER_SELCHANGE to the owner
        kRoleMaintRead = 3,  // WM_MAINT_READ_SELCHANGE
        kRoleMaintWrite = 4, // WM_MAINT_WRITE_SELCHANGE
        kRoleDiagnosis = 5,  // WM_DIAG_VALUE_CHANGED (ID_GUI)
    };

    // The items come from the definition's block.
    CCtrlCombo(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);
    // A plain list of a dialog, filled by its owner: no datum, role 0.
    CCtrlCombo(CVEXARPages& app, QWidget* parent);
    ~CCtrlCombo() override;

    // The current item's value; -1 when there is none.
    double GetValue() const override;
    int CurrentItem() const { return m_nCurItem; }
    int ItemCount() const { return static_cast<int>(m_values.size()); }
    std::int32_t ItemValue(int position) const;

    // Selects `position` (-1 clears) as the program does: the undo pair
    // follows. The caller sets the current item.
    void SetSelection(int position);
    // The item whose value `text` names (none when the text is no integer
    // or names no item) becomes current and is selected; the dependency
    // actions run with `store` and the linked controls are told.
    void SelectFromText(const std::u16string& text, std::uintptr_t refresh, std::uintptr_t store);
    // The creator's start: the default item current and taken as the one
    // before; a recovery-action list also stores it into its first element.
    void StartAtDefault();
    // What a change of selection does, by role and category.
    void ApplySelection();

    void SetRole(int role) { m_nRole = role; }
    int Role() const { return m_nRole; }
    // The window the role's notices and the recovery actions go to.
    void SetOwner(QObject* owner) { m_owner = owner; }
    QObject* Owner() const { return m_owner; }

    // ---- The array of a recovery-action list ----
    int ElementCount() const;
    // The element shown and written, and whether it is one of the array.
    int Element() const { return m_nElement; }
    bool HasElement() const { return m_bElementValid; }
    int ElementOffset() const { return m_nElement * DatumSize(); }
    const std::vector<std::u16string>& ElementTexts() const { return m_elementTexts; }
    // The shown value into every element, one write request per element.
    void WriteArray();
    // An element as the master image holds it, physical; 0.0 without
    // images or for an index outside the array.
    double GetElementValue(int element);
    // The first position whose item value is the element's; false when
    // none is, or without images.
    bool GetElementIndex(int element, int& position);
    // The group of element lines that starts with `first` (the
    // calibration reader's LoadParam of the group).
    bool ReadElementLines(CCriptFile& file, const std::u16string& first, CalibGroupRead& read);

    // ---- Contract ----
    void WriteValue(bool post, bool force) override;
    void StoreAtLoad() override;
    bool SaveParam(CCriptFile& file, CModifica& history) override;
    bool LoadParam(std::u16string line) override;
    bool LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read) override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;

protected:
    bool IsBound() const override { return m_bBound; }
    void ShowRaw(std::int32_t raw) override;
    std::int32_t RawFromShown() const override;
    ShownValue Shown() const override { return {static_cast<double>(currentIndex()), {}}; }
    void PutShown(const ShownValue& value) override { setCurrentIndex(static_cast<int>(value.number)); }
    std::u16string ValueText() const override;
    bool LoadValueText(std::u16string& text) override;
    void ShowDefault() override;
    bool KeepsHistory() const override;
    std::vector<DependencyState> DependencyStates() const override;
    bool TakesProfileEnable() const override { return Category() == CTRL_COMBO; }
    std::int32_t Abilitato() const override;
    bool HasExportLine() const override;
    std::u16string ExportValueText() const override;
    int EncodeValue(std::span<std::uint8_t> work, bool force) override;

    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    std::int32_t Category() const { return m_definition.CATEGORIA; }
    bool IsArray() const { return Category() == CTRL_RIPR; }
    bool IsLive() const;
    void FillItems();
    // The first position whose item value is `physical`, or -1.
    int FindItem(double physical) const;
    void OnActivated();
    void ChooseAction();
    void PostToOwner(unsigned id, std::uintptr_t wParam = 0,
                     std::unique_ptr<vexar::ui::MessagePayload> payload = nullptr) const;
    void PostAction(std::int32_t code, std::uint8_t origin) const;

    // Element operations on the parameter images.
    bool HasImages() const;
    bool ElementInside(int element) const;
    std::int64_t ElementAddress(int element) const;
    void CopyElement(int element);
    // Encodes the shown value into `element` of the working image; the
    // byte count, 0 when nothing was encoded.
    int EncodeElement(int element, bool force);
    // Encodes, stores and, when asked and linked, writes one element.
    void WriteElement(int element, bool post, bool force);
    void ShowElement(int element, std::uintptr_t refresh, bool force);
    // The shown element from the master image, then the owner told with
    // the error code.
    void RefreshElement(std::uintptr_t refresh, std::int32_t code);
    // The element the window names; an index outside the array clears the
    // list and leaves it without an element until a valid index comes.
    void SetElement(std::intptr_t element);
    void StoreEveryElement();
    void ForceRefreshEveryElement();
    bool SaveElements(CCriptFile& file, CModifica& history);

    int m_nCurItem = -1;
    bool m_bBound = true;
    bool m_bHasLists = false;
    int m_nRole = kRoleCategory;
    QPointer<QObject> m_owner;
    int m_nElement = 0;
    bool m_bElementValid = true;
    std::vector<std::u16string> m_elementTexts;
    // The list's own copies of the definition's items.
    std::vector<std::u16string> m_labels;
    std::vector<std::int32_t> m_values;
    std::vector<LISTA_VISIBILI> m_keyLists;
    // The key lists of the last dependency actions, each item's without the
    // keys a current item before it has shown.
    mutable std::vector<LISTA_VISIBILI> m_actionLists;
};

namespace CUtility {

// The creators of the five categories: the list at its cell as wide as its
// widest item with room for the arrow, its caption in the cell before it,
// the default item current.
bool CreateCtrlCombo(const CTRL_CREATE& args, CCtrlCombo*& control);
bool CreateCtrlDiag(const CTRL_CREATE& args, CCtrlCombo*& control);
bool CreateCtrlDiagBit(const CTRL_CREATE& args, CCtrlCombo*& control);
bool CreateCtrlStato(const CTRL_CREATE& args, CCtrlCombo*& control);
bool CreateCtrlRipr(const CTRL_CREATE& args, CCtrlCombo*& control);

}  // namespace CUtility
