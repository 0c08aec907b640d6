// The ECU test's list: which definitions it takes, how many bytes each
// spans, and the comparison of the two images, whole bytes or masked bits.
#include "shell/core/CTestList.h"

#include "config/ControlCodes.h"

#include <gtest/gtest.h>

#include <vector>

using vexar::shell::CTestList;

namespace {

REC_CONTROLLO Record(std::int32_t category, std::int32_t type, std::int32_t lsb, std::uint32_t mask,
                     CategoryBlock block = {})
{
    REC_CONTROLLO r;
    r.CATEGORIA = category;
    r.TIPO = type;
    r.LSB = lsb;
    r.MASCHERA = mask;
    r.GRAFICA = std::move(block);
    return r;
}

}  // namespace

TEST(TestList, ADatumSpansItsTypeTimesItsElements)
{
    EditBlock edit;
    edit.NUM_BYTES = 12;
    GridBlock grid;
    grid.NUM_RIGHE = 4;
    grid.NUM_COLONNE = 5;
    RiprBlock ripr;
    ripr.NUM_ERRORI = 6;
    const struct {
        REC_CONTROLLO record;
        std::int32_t span;
    } cases[] = {
        {Record(CTRL_EDIT, DATO_UBYTE, 0, 0, edit), 12},
        {Record(CTRL_GRID, DATO_UWORD, 0, 0, grid), 40},
        {Record(CTRL_RIPR, DATO_BYTE, 0, 0, ripr), 6},
        {Record(CTRL_NUMEDIT, DATO_ULONG, 0, 0), 4},
        {Record(CTRL_CHECK, DATO_FLAG, 0, 0), 1},
        {Record(CTRL_RESET, DATO_WORD, 0, 0), 2},
        {Record(11, DATO_UBYTE, 0, 0), 0},
        {Record(22, DATO_UBYTE, 0, 0), 0},
        {Record(CTRL_KNOB, 9, 0, 0), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CTestList::DatumByteSpan(c.record), c.span) << c.record.CATEGORIA;
}

// A check box, button or list not bound to a parameter is never compared;
// every other parameter is, and of the diagnosis only the recovery-action
// lists.
TEST(TestList, TheListTakesBoundParametersAndRecoveryActions)
{
    CheckBlock unbound;
    unbound.PARAM = PAR_NO;
    ComboBlock bound;
    RiprBlock ripr;
    ripr.NUM_ERRORI = 3;
    const std::vector<REC_CONTROLLO> params{
        Record(CTRL_CHECK, DATO_FLAG, 1, 0x04, unbound),
        Record(CTRL_COMBO, DATO_UBYTE, 2, 0xFFFFFFFF, bound),
        Record(CTRL_NUMEDIT, DATO_UWORD, 4, 0xFFFFFFFF),
    };
    const std::vector<REC_CONTROLLO> diag{
        Record(CTRL_DIAG, DATO_UBYTE, 0, 0xFFFFFFFF),
        Record(CTRL_RIPR, DATO_UBYTE, 10, 0xFFFFFFFF, ripr),
    };
    CTestList list;
    list.BuildTestList(params, diag);
    ASSERT_EQ(list.Entries().size(), 3u);
    EXPECT_EQ(list.Entries()[0].position, 2);
    EXPECT_EQ(list.Entries()[1].position, 4);
    EXPECT_EQ(list.Entries()[1].count, 2);
    EXPECT_EQ(list.Entries()[2].position, 10);
    EXPECT_EQ(list.Entries()[2].count, 3);
}

TEST(TestList, TheImagesAreComparedWholeOrUnderTheMask)
{
    const std::vector<REC_CONTROLLO> params{
        Record(CTRL_NUMEDIT, DATO_UWORD, 0, 0xFFFFFFFF),
        Record(CTRL_CHECK, DATO_FLAG, 4, 0x04, CheckBlock{}),
    };
    CTestList list;
    list.BuildTestList(params, {});
    const std::vector<std::uint8_t> master{0x12, 0x34, 0x00, 0x00, 0b0000'0100, 0x00};
    const struct {
        std::size_t at;
        std::uint8_t value;
        bool passes;
    } cases[] = {
        {0, 0x12, true},         // nothing differs
        {1, 0x35, false},        // a byte of the word
        {2, 0xFF, true},         // no entry covers it
        {4, 0b1111'1100, true},  // other bits of the flag's byte
        {4, 0b0000'0000, false}, // the flag itself
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> work = master;
        work[c.at] = c.value;
        EXPECT_EQ(list.CompareTestParameters(master, work), c.passes) << c.at << " " << int(c.value);
    }
    EXPECT_TRUE(CTestList{}.CompareTestParameters({}, {}));
    // An entry beyond the images is a difference, never a read past them.
    EXPECT_FALSE(list.CompareTestParameters(std::span(master).first(3), std::span(master).first(3)));
}
