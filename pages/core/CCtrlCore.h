#pragma once

// The contract that every data-bound control keeps with the rest of the
// system, in one place: the copy of its definition and its conversion, the
// controls linked to it, its visibility conditions, the undo pair, the
// calibration and export lines, and what it does on each control message
// (refresh, store and write, store, enable, default, sample, undo).
//
// A control class adds only hooks: how its shown value comes from a raw
// value and goes back, its value text and its parser, its dependency
// lists, and whether the operator profile touches it. The window itself
// stays behind three window hooks, so the contract runs without a screen
// (the Qt base and the tests' controls both derive from this).
//
// Everything runs on the user-interface thread. The image locks are held
// only for the byte copies between master and working image.

#include "config/CConversione.h"
#include "config/CModifica.h"
#include "config/CtrlWnd.h"
#include "config/IDataCtrl.h"
#include "config/RecControllo.h"

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

class CStdioFileEx;
class CVEXARPages;
struct ACQ_SAMPLE;
struct REC_PALLINO;

namespace vexar::link {
struct LinkPayload;
}

// One visibility condition: the key of a controlling control and whether
// it currently lets this control show.
struct REC_VIS {
    std::int32_t key = 0;
    std::int32_t visible = 0;
};

// The value a control shows, as the undo pair keeps it: a number, or a
// text for the controls that show one.
struct ShownValue {
    double number = 0.0;
    std::u16string text;
    friend bool operator==(const ShownValue&, const ShownValue&) = default;
};

// The keys a controlling control names for one of its states, and whether
// that state is the current one.
struct DependencyState {
    const LISTA_VISIBILI* keys = nullptr;
    bool current = false;
};

class CCtrlCore : public IDataCtrl {
public:
    // `hidden`: the control starts hidden by its conditions.
    CCtrlCore(CVEXARPages& app, REC_CONTROLLO definition, bool hidden);
    ~CCtrlCore() override;
    CCtrlCore(const CCtrlCore&) = delete;
    CCtrlCore& operator=(const CCtrlCore&) = delete;

    // ---- What the files and conversions use ----
    const REC_CONTROLLO& GetDefinition() const override { return m_definition; }
    bool SaveParam(CCriptFile& file, CModifica& history) override;
    bool LoadParam(std::u16string line) override;
    using IDataCtrl::LoadParam;

    // ---- Visibility ----
    void AddVisKey(std::int32_t key);
    // Returns whether the condition-hidden flag changed.
    bool SetVisKey(std::int32_t key, bool hide);
    void ShowCtrl(bool show);
    bool IsCondHidden() const { return m_bCondHidden; }
    const std::vector<REC_VIS>& Conditions() const { return m_conditions; }
    int MetConditions() const;
    // The window's own shown state, whatever its page or host shows.
    bool IsShown() const { return IsWindowShown(); }

    // ---- Enabling ----
    void EnableForLevel(std::int32_t profile);
    // The creator's decision for the profile it was made under.
    void SetProfileEnabled(bool enable);
    // WM_CTRL_ENABLE: the link state's say. The window accepts input only
    // while both the profile and the link state allow it, so a link that
    // comes up never opens a control the profile keeps closed.
    void EnableForLink(bool enable);

    // ---- Values ----
    virtual void WriteValue(bool post, bool force);
    // Copies the datum from the variable master image and decodes it,
    // unconverted; 0 without images.
    std::int32_t ReadRawValue();
    double ReadImageValue();
    // A shown value as the datum's raw integer: through the conversion,
    // where the class converts.
    virtual std::int32_t ValueToRaw(double physical) const { return m_conversion.ToRaw(physical); }
    // The export (checklist) line; a map writes one per cell.
    virtual void ExportText(CStdioFileEx& file) const;
    // Sets the value as a load or a program does: no user edit, no write.
    void Refresh(std::uintptr_t wParam, bool force);
    void Store();
    void SetDefault();
    void Undo();
    // The user changed the shown value: store it, write it, run the
    // actions and hand it on, and keep it for undo.
    void UserEdit();

    // ---- Dependencies ----
    bool HasDependencyLists() const { return !DependencyStates().empty(); }
    void RunActions(std::uintptr_t storeWParam, bool refresh);
    void ApplyLinks();
    CTRL_TABLE& LinkedCtrls() { return m_linked; }
    // The conversions whose operands make this control depend on others:
    // its own, and those a class holds besides (a map's axes).
    virtual std::vector<CConversione*> Conversions() { return {&m_conversion}; }
    // A computed control's own formula over other controls; none here.
    virtual const FormulaOperands* OwnFormula() const { return nullptr; }
    // A computed control resolves its formula's operands; true elsewhere.
    virtual bool ResolveFormula() { return true; }
    // A computed control recalculates and stores its value; nothing here.
    virtual void RecalcAndStore() {}
    // The first store of a configuration load, without a write request:
    // the shown value into the images. An array datum stores every element.
    virtual void StoreAtLoad() { WriteValue(false, false); }
    // The operating-point links of a live control that can drive a map's
    // marker; none for the other controls.
    virtual std::vector<REC_PALLINO>* GridCursors() { return nullptr; }

    // ---- Messages ----
    // The contract's messages (refresh, store and write, store, enable,
    // default, sample); false for any other message.
    bool HandleMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                       const vexar::link::LinkPayload* payload);

    CConversione& Conversion() { return m_conversion; }
    CVEXARPages& App() const { return m_app; }
    // The table entry of this control as the tables hold it.
    CTRL_WND Entry() const;
    virtual bool UsesVariableImages() const;
    const std::u16string& LastSavedText() const { return m_lastSaved; }
    const ShownValue& PreviousValue() const { return m_previous; }
    const ShownValue& CurrentValue() const { return m_current; }

protected:
    // ---- Class hooks ----
    // A control with a datum of its own; an unbound one never reads or
    // writes the images.
    virtual bool IsBound() const { return true; }
    // Shows the value decoded from the image.
    virtual void ShowRaw(std::int32_t raw) = 0;
    // The raw value of what is shown.
    virtual std::int32_t RawFromShown() const = 0;
    virtual ShownValue Shown() const = 0;
    virtual void PutShown(const ShownValue& value) = 0;
    // The value text of the calibration and export lines.
    virtual std::u16string ValueText() const = 0;
    // Parses a line's value field (trimmed in place) and shows it; false,
    // nothing changed, when it does not parse.
    virtual bool LoadValueText(std::u16string& text) = 0;
    // Shows the definition's DEFAULT.
    virtual void ShowDefault() = 0;
    // The control records a change history in calibration files.
    virtual bool KeepsHistory() const = 0;
    // The value text a calibration save compares with the last one loaded
    // or saved and records in the history; the line's value text here. A
    // control that writes its value decorated (a quoted text) compares it
    // bare.
    virtual std::u16string HistoryValueText() const { return ValueText(); }
    // Whether the control writes an export line, and its value text there:
    // a bound control, with the calibration line's value text, here.
    virtual bool HasExportLine() const { return IsBound(); }
    virtual std::u16string ExportValueText() const { return ValueText(); }
    // The states that name dependent controls, in the order their actions
    // run; none for a control without dependency lists.
    virtual std::vector<DependencyState> DependencyStates() const { return {}; }
    // Whether the operator profile enables and disables this category, and
    // the ABILITATO of its block.
    virtual bool TakesProfileEnable() const = 0;
    virtual std::int32_t Abilitato() const { return ABIL_SI; }
    // The datum's byte count; an array's is larger.
    virtual int DatumSize() const;
    // Encodes the shown value into the working image; the byte count, 0
    // when nothing was encoded.
    virtual int EncodeValue(std::span<std::uint8_t> work, bool force);
    // Asks the worker to write the bytes just stored.
    virtual void PostWriteRequest(int byteCount);
    // Takes one recording sample (live classes).
    virtual void OnAcqSample(const ACQ_SAMPLE& sample);
    virtual bool RecordsSamples() const;
    // Whether a value text differs from the last one loaded or saved, so
    // that the next calibration save records a change; as texts here. A
    // control that writes numbers compares them as numbers.
    virtual bool DiffersFromSaved(const std::u16string& saved, const std::u16string& now) const
    {
        return saved != now;
    }
    // Where the profile's and the link's say reach the window: by default
    // the window takes input only while both allow it. A control whose
    // widget has an input switch of its own keeps the two apart.
    virtual void ShowEnabled(bool profileEnabled, bool linkEnabled) { EnableWindow(profileEnabled && linkEnabled); }

    // ---- Window hooks ----
    virtual void ShowWindow(bool show) = 0;
    virtual bool IsWindowShown() const = 0;
    virtual void EnableWindow(bool enable) = 0;

    // The shown value moved by the program: the undo pair follows it.
    template <class Show>
    void MoveShown(Show&& show)
    {
        const ShownValue before = Shown();
        show();
        m_previous = before;
        m_current = Shown();
    }
    void SetUndoPair(const ShownValue& previous, const ShownValue& current)
    {
        m_previous = previous;
        m_current = current;
    }
    void SetLastSavedText(std::u16string text) { m_lastSaved = std::move(text); }
    void CommitEdit();

    CVEXARPages& m_app;
    REC_CONTROLLO m_definition;
    CConversione m_conversion;

private:
    struct Family {
        std::mutex* lock = nullptr;
        std::uint8_t* master = nullptr;
        std::uint8_t* work = nullptr;
        int size = 0;
    };
    Family ImageFamily() const;
    bool DatumInside(const Family& family, int bytes) const;
    void ShowValue(std::uintptr_t wParam, bool force, const Family& family);
    void CopyMasterToWork(const Family& family);
    int EncodeOverMaster(const Family& family, bool force);
    void NotifyLinked(std::uintptr_t refreshWParam, std::uintptr_t storeWParam);
    bool ProfileShows() const;
    void ApplyEnabled();

    CTRL_TABLE m_linked;
    std::vector<REC_VIS> m_conditions;
    bool m_bCondHidden;
    ShownValue m_previous;
    ShownValue m_current;
    std::u16string m_lastSaved;
    MODIFICA m_modifica;
    bool m_bLinkEnabled = true;
    bool m_bProfileEnabled = true;
};
