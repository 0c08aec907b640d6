// The maintenance page's rules without a widget: sizes, addresses and
// values by address, the variable lists, a variable's raw range and its
// masked write.
#include "dialogs/core/MaintRules.h"

#include "config/CUtilityCodec.h"
#include "config/ControlCodes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace MaintRules;
using vexar::link::MEMORY_REQUEST;

namespace {

REC_CONTROLLO Definition(std::u16string identifier, std::int32_t lsb, std::int32_t type = DATO_UBYTE,
                         std::uint32_t mask = 0xFF, std::int32_t category = CTRL_NUMERIC)
{
    REC_CONTROLLO definition;
    definition.IDENTIFICATORE = std::move(identifier);
    definition.LSB = lsb;
    definition.TIPO = type;
    definition.MASCHERA = mask;
    definition.CATEGORIA = category;
    return definition;
}

std::array<std::uint8_t, 4> MemoryBytes(std::uint32_t word)
{
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &word, sizeof word);
    return bytes;
}

TEST(MaintRules, SizesByTheListText)
{
    EXPECT_EQ(SizeOfText(u"BYTE"), 1);
    EXPECT_EQ(SizeOfText(u"WORD"), 2);
    EXPECT_EQ(SizeOfText(u"LONG"), 4);
    EXPECT_EQ(SizeOfText(u""), 0);
    EXPECT_EQ(SizeOfText(u"byte"), 0);
}

TEST(MaintRules, AddressesAreCutTowardZeroToSixteenBits)
{
    const struct {
        double field;
        std::uint16_t address;
    } cases[] = {{0, 0}, {4660.9, 4660}, {65535, 65535}, {65536, 0}, {65537.5, 1}, {0x12345, 0x2345},
                 {-0.5, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(AddressOf(c.field), c.address) << c.field;
}

// Values by address stand most significant byte first in the ECU's memory,
// whatever the configuration's byte order.
TEST(MaintRules, ValuesByAddressAreBigEndian)
{
    const struct {
        int size;
        std::array<std::uint8_t, 4> bytes;
        std::uint32_t value;
    } cases[] = {{1, {0xFF, 0x12, 0x34, 0x56}, 255},
                 {2, {0x12, 0x34, 0xAA, 0xBB}, 4660},
                 {4, {0x12, 0x34, 0x56, 0x78}, 0x12345678},
                 {4, {0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFF},
                 {0, {0x12, 0x34, 0x56, 0x78}, 0}};
    for (const auto& c : cases) {
        MEMORY_REQUEST read;
        read.size = c.size;
        read.value = c.bytes;
        EXPECT_EQ(ValueOf(read), c.value) << c.size;
    }

    MEMORY_REQUEST write;
    write.size = 2;
    PutValue(write, 4660);
    EXPECT_EQ(write.value, (std::array<std::uint8_t, 4>{0x12, 0x34, 0, 0}));
    write.size = 1;
    PutValue(write, 0x1FF);
    EXPECT_EQ(write.value, (std::array<std::uint8_t, 4>{0xFF, 0, 0, 0}));
    write.size = 4;
    PutValue(write, 0x12345678);
    EXPECT_EQ(write.value, (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
}

// The variables of both tables, each text once, none without a definition.
TEST(MaintRules, VariableListsHoldEachTextOnce)
{
    const std::vector<std::optional<REC_CONTROLLO>> definitions{
        Definition(u"Temperatura_Gas", 0x14),
        std::nullopt,
        Definition(u"Giri", 0x2A0),
        Definition(u"Temperatura_Gas", 0x14),   // the same variable in the diagnosis table
        Definition(u"Temperatura_Gas", 0x15),   // another address: another text
    };
    const std::vector<ListItem> items = VariableItems(definitions);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, u"Temperatura_Gas [0x00000014]");
    EXPECT_EQ(items[0].entry, 0u);
    EXPECT_EQ(items[1].text, u"Giri [0x000002a0]");
    EXPECT_EQ(items[1].entry, 2u);
    EXPECT_EQ(items[2].text, u"Temperatura_Gas [0x00000015]");
    EXPECT_EQ(items[2].entry, 4u);
}

// A falling conversion turns MIN's raw value into the larger one; the
// field's minimum is still the smaller, its value the raw MIN.
TEST(MaintRules, RawRangeTakesTheSmallerAsMinimum)
{
    const RawRange rising = RangeOf(0, 100);
    EXPECT_EQ(rising.minimum, 0);
    EXPECT_EQ(rising.maximum, 100);
    EXPECT_EQ(rising.value, 0);
    const RawRange falling = RangeOf(200, 40);
    EXPECT_EQ(falling.minimum, 40);
    EXPECT_EQ(falling.maximum, 200);
    EXPECT_EQ(falling.value, 200);
}

// The pair comes from the definition's type and mask for every variable,
// the computed ones included: the generic control pair of those (keep
// nothing, write FF everywhere) would overwrite up to four bytes.
TEST(MaintRules, AVariableWriteChangesOnlyItsOwnBits)
{
    const REC_CONTROLLO ratio = Definition(u"Rapporto_Tempi", 0x30, DATO_UWORD, 0xFFFF, CTRL_NUMCALC);
    const std::optional<vexar::link::VARIABLE_WRITE> word = VariableWrite(ratio, 4660, false);
    ASSERT_TRUE(word);
    EXPECT_EQ(word->address, 0x30);
    EXPECT_EQ(word->size, 2);
    EXPECT_EQ(word->engValue, 4660);
    EXPECT_EQ(MemoryBytes(word->value)[0], 0x12);
    EXPECT_EQ(MemoryBytes(word->value)[1], 0x34);
    EXPECT_EQ(MemoryBytes(word->mask), (std::array<std::uint8_t, 4>{0x00, 0x00, 0xFF, 0xFF}));
    EXPECT_NE(word->value, 0xFFFFFFFFu);

    // The same through the codec's own pair, as the page would send it.
    std::uint32_t keep = 0;
    std::uint32_t positioned = 0;
    ASSERT_TRUE(CUtility::GetDatoMask(DATO_UWORD, 0xFFFF, 4660, false, keep, positioned));
    EXPECT_EQ(word->mask, keep);
    EXPECT_EQ(word->value, positioned);

    const REC_CONTROLLO flag = Definition(u"Stato_Elettrovalvola", 0x40, DATO_FLAG, 0x10, CTRL_LED);
    const std::optional<vexar::link::VARIABLE_WRITE> bit = VariableWrite(flag, 1, false);
    ASSERT_TRUE(bit);
    EXPECT_EQ(MemoryBytes(bit->mask)[0], 0xEF);
    EXPECT_EQ(MemoryBytes(bit->value)[0], 0x10);

    EXPECT_FALSE(VariableWrite(Definition(u"Sconosciuto", 0, 99), 1, false)) << "an unknown type sends nothing";
}

}  // namespace
