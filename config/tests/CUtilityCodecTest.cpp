#include "config/CUtilityCodec.h"

#include "config/ControlCodes.h"
#include "config/IDataCtrl.h"

#include "TestControls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using vexar::testing::DefinitionOnlyCtrl;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char cell[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X ", b);
        text += cell;
    }
    return text;
}

// Applies a masked-write pair the way the ECU does, byte by byte from the
// datum's address: a kept bit stays, every other bit comes from the value.
// The pair's words are read in this machine's memory order.
void ApplyMaskedWrite(Bytes& image, std::size_t offset, std::uint32_t keepMask, std::uint32_t positioned)
{
    std::uint8_t keep[4];
    std::uint8_t bits[4];
    std::memcpy(keep, &keepMask, 4);
    std::memcpy(bits, &positioned, 4);
    for (std::size_t i = 0; i < 4 && offset + i < image.size(); ++i)
        image[offset + i] = static_cast<std::uint8_t>((image[offset + i] & keep[i]) | (bits[i] & ~keep[i]));
}

REC_CONTROLLO Definition(std::int32_t category, std::int32_t type, std::uint32_t mask, std::int32_t address)
{
    REC_CONTROLLO record;
    record.CATEGORIA = category;
    record.TIPO = type;
    record.MASCHERA = mask;
    record.LSB = address;
    return record;
}

}  // namespace

TEST(DatoSizeAndRange, EveryTypeCode)
{
    struct Case {
        std::int32_t type;
        int size;
        double minimum, maximum;
    };
    const Case cases[] = {
        {DATO_FLAG, 1, 0, 1},
        {DATO_UBYTE, 1, 0, 255},
        {DATO_BYTE, 1, -128, 127},
        {DATO_UWORD, 2, 0, 65535},
        {DATO_WORD, 2, -32768, 32767},
        {DATO_LONG, 4, -2147483648.0, 2147483647.0},
        {DATO_ULONG, 4, 0, 4294967295.0},
        {7, 0, 0, 0},
        {-1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CUtility::GetDatoSize(c.type), c.size) << c.type;
        double minimum = 99, maximum = 99;
        CUtility::GetDatoRange(c.type, minimum, maximum);
        EXPECT_EQ(minimum, c.minimum) << c.type;
        EXPECT_EQ(maximum, c.maximum) << c.type;
    }
}

// Each value written at offset 1 of a 6-byte image of 0xAA bytes: the bytes
// it leaves, and what reading them back yields.
TEST(DatoValue, EncodesAndDecodesEveryTypeInBothOrders)
{
    struct Case {
        std::int32_t type;
        std::uint32_t mask;
        bool littleEndian;
        std::int32_t value;
        Bytes image;         // after the write
        std::int32_t readBack;
    };
    const Case cases[] = {
        {DATO_UBYTE, 0, false, 0x1F4, {0xAA, 0xF4, 0xAA, 0xAA, 0xAA, 0xAA}, 0xF4},  // low byte only
        {DATO_UBYTE, 0, true, 200, {0xAA, 0xC8, 0xAA, 0xAA, 0xAA, 0xAA}, 200},
        {DATO_BYTE, 0, false, -2, {0xAA, 0xFE, 0xAA, 0xAA, 0xAA, 0xAA}, -2},
        {DATO_BYTE, 0, true, 127, {0xAA, 0x7F, 0xAA, 0xAA, 0xAA, 0xAA}, 127},
        {DATO_UWORD, 0, false, 0x1234, {0xAA, 0x12, 0x34, 0xAA, 0xAA, 0xAA}, 0x1234},
        {DATO_UWORD, 0, true, 0x1234, {0xAA, 0x34, 0x12, 0xAA, 0xAA, 0xAA}, 0x1234},
        {DATO_UWORD, 0, false, 70000, {0xAA, 0x11, 0x70, 0xAA, 0xAA, 0xAA}, 4464},  // bits above 16 dropped
        {DATO_UWORD, 0, false, -200, {0xAA, 0xFF, 0x38, 0xAA, 0xAA, 0xAA}, 65336},
        {DATO_WORD, 0, false, -200, {0xAA, 0xFF, 0x38, 0xAA, 0xAA, 0xAA}, -200},
        {DATO_WORD, 0, true, -200, {0xAA, 0x38, 0xFF, 0xAA, 0xAA, 0xAA}, -200},
        {DATO_WORD, 0, true, 14591, {0xAA, 0xFF, 0x38, 0xAA, 0xAA, 0xAA}, 14591},
        {DATO_LONG, 0, false, 0x01020304, {0xAA, 0x01, 0x02, 0x03, 0x04, 0xAA}, 0x01020304},
        {DATO_LONG, 0, true, 0x01020304, {0xAA, 0x04, 0x03, 0x02, 0x01, 0xAA}, 0x01020304},
        {DATO_LONG, 0, false, -2, {0xAA, 0xFF, 0xFF, 0xFF, 0xFE, 0xAA}, -2},
        {DATO_ULONG, 0, false, static_cast<std::int32_t>(0xC0000001u), {0xAA, 0xC0, 0x00, 0x00, 0x01, 0xAA},
         static_cast<std::int32_t>(0xC0000001u)},  // reads negative: the 32 bits as stored
        {DATO_ULONG, 0, true, 0x7F000080, {0xAA, 0x80, 0x00, 0x00, 0x7F, 0xAA}, 0x7F000080},
        // Flags: only the bits under the mask change, whatever the order.
        {DATO_FLAG, 0x30, false, 2, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}, 2},
        {DATO_FLAG, 0x30, true, 1, {0xAA, 0x9A, 0xAA, 0xAA, 0xAA, 0xAA}, 1},
        {DATO_FLAG, 0x01, false, 1, {0xAA, 0xAB, 0xAA, 0xAA, 0xAA, 0xAA}, 1},
        {DATO_FLAG, 0x80, false, 0, {0xAA, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA}, 0},
        {DATO_FLAG, 0x0C, false, 7, {0xAA, 0xAE, 0xAA, 0xAA, 0xAA, 0xAA}, 3},   // 7 << 2 cut to the mask
        {DATO_FLAG, 0x100, false, 1, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}, 0},  // no bit in the low byte
        {DATO_FLAG, 0, false, 1, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " value " + std::to_string(c.value) +
                     (c.littleEndian ? " little-endian" : " big-endian"));
        Bytes image(6, 0xAA);
        int written = -1;
        ASSERT_TRUE(CUtility::WriteDatoValue(image, 1, c.value, written, c.type, c.mask, c.littleEndian));
        EXPECT_EQ(written, CUtility::GetDatoSize(c.type));
        EXPECT_EQ(Hex(image), Hex(c.image));

        std::int32_t value = 0x5A5A5A5A;
        int read = -1;
        ASSERT_TRUE(CUtility::ReadDatoValue(image, 1, value, read, c.type, c.mask, c.littleEndian));
        EXPECT_EQ(read, CUtility::GetDatoSize(c.type));
        EXPECT_EQ(value, c.readBack);
    }
}

TEST(DatoValue, FlagWithMaskThirtyKeepsTheOtherBits)
{
    for (int before = 0; before < 256; ++before) {
        Bytes image{static_cast<std::uint8_t>(before)};
        int count = 0;
        ASSERT_TRUE(CUtility::WriteDatoValue(image, 0, 2, count, DATO_FLAG, 0x30, false));
        EXPECT_EQ(image[0], (before & 0xCF) | 0x20) << before;
        std::int32_t value = 0;
        ASSERT_TRUE(CUtility::ReadDatoValue(image, 0, value, count, DATO_FLAG, 0x30, false));
        EXPECT_EQ(value, 2);
    }
}

TEST(DatoValue, UnknownTypeTouchesNothing)
{
    Bytes image(8, 0x11);
    int count = 42;
    std::int32_t value = 42;
    std::uint32_t keep = 42, positioned = 42;
    EXPECT_FALSE(CUtility::WriteDatoValue(image, 0, 0x7777, count, 7, 0xFF, false));
    EXPECT_FALSE(CUtility::ReadDatoValue(image, 0, value, count, 7, 0xFF, false));
    EXPECT_FALSE(CUtility::GetDatoMask(7, 0xFF, 0x7777, false, keep, positioned));
    EXPECT_EQ(image, Bytes(8, 0x11));
    EXPECT_EQ(count, 42);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(keep, 42u);
    EXPECT_EQ(positioned, 42u);
}

TEST(DatoValue, AccessOutsideTheImageIsRefused)
{
    struct Case {
        std::size_t imageSize;
        std::int32_t offset;
        std::int32_t type;
    };
    const Case cases[] = {
        {4, -1, DATO_UBYTE},
        {4, 4, DATO_FLAG},
        {4, 3, DATO_WORD},
        {4, 1, DATO_LONG},
        {0, 0, DATO_BYTE},
        {4, std::numeric_limits<std::int32_t>::max(), DATO_ULONG},
        {4, std::numeric_limits<std::int32_t>::min(), DATO_UWORD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.imageSize) + " offset " + std::to_string(c.offset));
        Bytes image(c.imageSize, 0x33);
        int count = 42;
        std::int32_t value = 42;
        EXPECT_FALSE(CUtility::WriteDatoValue(image, c.offset, -1, count, c.type, 0xFF, false));
        EXPECT_FALSE(CUtility::ReadDatoValue(image, c.offset, value, count, c.type, 0xFF, true));
        EXPECT_EQ(image, Bytes(c.imageSize, 0x33));
        EXPECT_EQ(count, 42);
        EXPECT_EQ(value, 42);
    }
    // The last datum that fits is served.
    Bytes image(4, 0);
    int count = 0;
    EXPECT_TRUE(CUtility::WriteDatoValue(image, 2, 0x0102, count, DATO_WORD, 0, false));
    EXPECT_EQ(Hex(image), Hex({0, 0, 1, 2}));
    EXPECT_TRUE(CUtility::WriteDatoValue(image, 0, 0x0A0B0C0D, count, DATO_LONG, 0, true));
    EXPECT_EQ(Hex(image), Hex({0x0D, 0x0C, 0x0B, 0x0A}));
}

TEST(DatoMask, PairsInMemoryOrder)
{
    struct Case {
        std::int32_t type;
        std::uint32_t mask;
        bool littleEndian;
        std::int32_t value;
        Bytes keep;        // the keep-mask's bytes, first byte first
        Bytes positioned;  // the positioned value's bytes
    };
    const Case cases[] = {
        {DATO_FLAG, 0x30, false, 2, {0xCF, 0xFF, 0xFF, 0xFF}, {0x20, 0, 0, 0}},
        {DATO_FLAG, 0x30, true, 3, {0xCF, 0xFF, 0xFF, 0xFF}, {0x30, 0, 0, 0}},
        {DATO_FLAG, 0, false, 1, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0}},
        {DATO_UBYTE, 0, false, 0x1AB, {0, 0xFF, 0xFF, 0xFF}, {0xAB, 0, 0, 0}},
        {DATO_BYTE, 0, true, -1, {0, 0xFF, 0xFF, 0xFF}, {0xFF, 0, 0, 0}},
        {DATO_UWORD, 0, false, 0x1234, {0, 0, 0xFF, 0xFF}, {0x12, 0x34, 0, 0}},
        {DATO_UWORD, 0, true, 0x1234, {0, 0, 0xFF, 0xFF}, {0x34, 0x12, 0, 0}},
        {DATO_WORD, 0, false, -200, {0, 0, 0xFF, 0xFF}, {0xFF, 0x38, 0, 0}},
        {DATO_LONG, 0, false, 0x01020304, {0, 0, 0, 0}, {1, 2, 3, 4}},
        {DATO_ULONG, 0, true, 0x01020304, {0, 0, 0, 0}, {4, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " value " + std::to_string(c.value));
        std::uint32_t keep = 0, positioned = 0;
        ASSERT_TRUE(CUtility::GetDatoMask(c.type, c.mask, c.value, c.littleEndian, keep, positioned));
        Bytes keepBytes(4), valueBytes(4);
        std::memcpy(keepBytes.data(), &keep, 4);
        std::memcpy(valueBytes.data(), &positioned, 4);
        EXPECT_EQ(Hex(keepBytes), Hex(c.keep));
        EXPECT_EQ(Hex(valueBytes), Hex(c.positioned));
    }
}

// A masked write applied byte by byte to an image must leave exactly what
// the encoder leaves, for every type, both orders and many values, masks
// and surrounding bytes.
TEST(DatoMask, MaskedWriteAgreesWithTheEncoder)
{
    std::mt19937 random(20240611);
    const std::uint32_t masks[] = {0x01, 0x30, 0x80, 0xF0, 0x0E, 0xFF, 0x00, 0x130, 0xFFFFFF40};
    for (std::int32_t type = DATO_FLAG; type <= DATO_ULONG; ++type) {
        for (bool littleEndian : {false, true}) {
            for (int round = 0; round < 200; ++round) {
                Bytes image(8);
                for (auto& b : image)
                    b = static_cast<std::uint8_t>(random());
                const auto value = static_cast<std::int32_t>(random());
                const std::uint32_t mask = masks[round % std::size(masks)];
                const std::size_t offset = round % 5;

                Bytes encoded = image;
                int count = 0;
                ASSERT_TRUE(CUtility::WriteDatoValue(encoded, static_cast<std::int32_t>(offset), value, count, type,
                                                     mask, littleEndian));
                std::uint32_t keep = 0, positioned = 0;
                ASSERT_TRUE(CUtility::GetDatoMask(type, mask, value, littleEndian, keep, positioned));
                Bytes masked = image;
                ApplyMaskedWrite(masked, offset, keep, positioned);
                ASSERT_EQ(Hex(masked), Hex(encoded))
                    << "type " << type << " mask " << mask << " value " << value << " offset " << offset
                    << (littleEndian ? " little-endian" : " big-endian");
            }
        }
    }
}

TEST(LimitValue, TextsAndTypeBounds)
{
    struct Case {
        std::u16string text;
        int which;
        std::int32_t type;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {u"-12.5", 0, DATO_BYTE, true, -12.5},
        {u"+7", 2, DATO_UBYTE, true, 7.0},
        {u"300", 1, DATO_UBYTE, true, 300.0},  // an explicit number is not bound by the type
        {u"1-2", 0, DATO_WORD, false, 0.0},
        {u"12+", 0, DATO_WORD, false, 0.0},
        {u"+-1", 0, DATO_WORD, false, 0.0},
        {u"1e3", 0, DATO_WORD, false, 0.0},
        {u" 5", 0, DATO_WORD, false, 0.0},  // the text is taken as it stands
        {u"1,5", 0, DATO_WORD, false, 0.0},
        {u".", 2, DATO_WORD, false, 0.0},   // no digit: no limit at all
        {u"-", 2, DATO_WORD, false, 0.0},
        {u"+", 1, DATO_WORD, false, 0.0},
        {u"-.5", 1, DATO_WORD, true, -0.5},
        {u"3.", 2, DATO_WORD, true, 3.0},
        // Read only in part, or beyond a double's range: no limit either,
        // never 1.2 or 0.
        {u"1.2.3", 2, DATO_WORD, false, 0.0},
        {u"1" + std::u16string(400, u'0'), 2, DATO_WORD, false, 0.0},
        {u"-" + std::u16string(400, u'9'), 1, DATO_WORD, false, 0.0},
        {u"", 2, DATO_BYTE, true, 127.0},
        {u"", 1, DATO_BYTE, true, -128.0},
        {u"", 0, DATO_BYTE, true, 0.0},
        {u"", 3, DATO_BYTE, true, 0.0},
        {u"", 2, DATO_ULONG, true, 4294967295.0},
        {u"", 1, DATO_LONG, true, -2147483648.0},
        {u"", 2, DATO_FLAG, true, 1.0},
        {u"", 2, 9, true, 0.0},
    };
    for (const Case& c : cases) {
        double value = 99.0;
        EXPECT_EQ(CUtility::GetLimitValue(c.text, value, c.which, c.type), c.ok)
            << std::string(c.text.begin(), c.text.end()).substr(0, 20) << " which " << c.which;
        EXPECT_EQ(value, c.value) << std::string(c.text.begin(), c.text.end()).substr(0, 20) << " which " << c.which;
    }
}

TEST(UploadPairs, MissingMeansNoPairWithBothAddressAndLength)
{
    const std::vector<REC_UPLD_SV> pairs{{10, 2}, {20, 1}};
    EXPECT_FALSE(CUtility::IsPairMissing(10, 2, pairs));
    EXPECT_TRUE(CUtility::IsPairMissing(10, 1, pairs));
    EXPECT_TRUE(CUtility::IsPairMissing(20, 2, pairs));
    EXPECT_TRUE(CUtility::IsPairMissing(2, 10, pairs));
    EXPECT_TRUE(CUtility::IsPairMissing(0, 0, {}));
}

TEST(UploadBlocks, SortsAndJoinsWithinTheProtocolsBound)
{
    struct Case {
        const char* name;
        int protocol;
        std::vector<REC_UPLD_SV> pairs;
        std::vector<REC_UPLD_SV> sorted;
        std::vector<REC_UPLD_SV> blocks;
    };
    const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const Case cases[] = {
        {"four pairs, first protocol", 0, {{10, 2}, {4, 2}, {6, 4}, {12, 1}}, {{4, 2}, {6, 4}, {10, 2}, {12, 1}},
         {{4, 9}}},
        {"a fifth pair would pass 11 bytes", 0, {{10, 2}, {4, 2}, {6, 4}, {12, 1}, {13, 3}},
         {{4, 2}, {6, 4}, {10, 2}, {12, 1}, {13, 3}}, {{4, 9}, {13, 3}}},
        {"the same five, second protocol", 1, {{10, 2}, {4, 2}, {6, 4}, {12, 1}, {13, 3}},
         {{4, 2}, {6, 4}, {10, 2}, {12, 1}, {13, 3}}, {{4, 12}}},
        {"exactly 11 joins", 0, {{0, 5}, {5, 6}}, {{0, 5}, {5, 6}}, {{0, 11}}},
        {"exactly 256 joins, 257 does not", 2, {{0, 200}, {200, 56}, {256, 1}}, {{0, 200}, {200, 56}, {256, 1}},
         {{0, 256}, {256, 1}}},
        {"a long pair stays whole", 0, {{30, 20}}, {{30, 20}}, {{30, 20}}},
        {"a gap and an overlap close the block", 0, {{0, 2}, {3, 1}, {3, 2}}, {{0, 2}, {3, 1}, {3, 2}},
         {{0, 2}, {3, 1}, {3, 2}}},
        {"equal pairs are never joined", 0, {{20, 2}, {20, 2}}, {{20, 2}, {20, 2}}, {{20, 2}, {20, 2}}},
        // The exchange sort's order among equal addresses.
        {"equal addresses keep the exchange order", 1, {{20, 3}, {20, 2}, {10, 1}}, {{10, 1}, {20, 2}, {20, 3}},
         {{10, 1}, {20, 2}, {20, 3}}},
        {"negative addresses sort first", 0, {{5, 1}, {-3, 2}}, {{-3, 2}, {5, 1}}, {{-3, 2}, {5, 1}}},
        {"no overflow at the top of the range", 1, {{kMax, 1}, {kMax - 1, 1}}, {{kMax - 1, 1}, {kMax, 1}},
         {{kMax - 1, 2}}},
        {"nothing in, nothing out", 0, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<REC_UPLD_SV> pairs = c.pairs;
        std::vector<REC_UPLD_SV> blocks{{99, 1}};  // blocks are appended to what is there
        CUtility::BuildUploadBlocks(c.protocol, pairs, blocks);
        EXPECT_EQ(pairs, c.sorted);
        std::vector<REC_UPLD_SV> expected{{99, 1}};
        expected.insert(expected.end(), c.blocks.begin(), c.blocks.end());
        EXPECT_EQ(blocks, expected);
    }
}

TEST(CtrlDatum, WriteMaskOnlyForLiveValueCategories)
{
    struct Case {
        std::int32_t category;
        bool withControl;
        bool masked;  // the flag's pair, else the initial 0 and 0xFFFFFFFF
    };
    const Case cases[] = {
        {CTRL_LED, true, true},     {CTRL_DIAG_BIT, true, true}, {CTRL_VMETER, true, true},
        {CTRL_NUMERIC, true, true}, {CTRL_BAR, true, true},      {CTRL_KNOB, true, false},
        {CTRL_CHECK, true, false},  {CTRL_LED, false, false},
    };
    for (const Case& c : cases) {
        DefinitionOnlyCtrl control(Definition(c.category, DATO_FLAG, 0x30, 7));
        CTRL_WND entry;
        entry.category = c.category;
        entry.wnd = c.withControl ? &control : nullptr;
        std::uint32_t keep = 42, positioned = 42;
        CUtility::GetCtrlWriteMask(entry, 2, false, keep, positioned);
        Bytes keepBytes(4), valueBytes(4);
        std::memcpy(keepBytes.data(), &keep, 4);
        std::memcpy(valueBytes.data(), &positioned, 4);
        SCOPED_TRACE("category " + std::to_string(c.category));
        if (c.masked) {
            EXPECT_EQ(Hex(keepBytes), Hex({0xCF, 0xFF, 0xFF, 0xFF}));
            EXPECT_EQ(Hex(valueBytes), Hex({0x20, 0, 0, 0}));
        } else {
            EXPECT_EQ(keep, 0u);
            EXPECT_EQ(positioned, 0xFFFFFFFFu);
        }
    }
}

TEST(CtrlDatum, AddressAndSizeFromTheDefinition)
{
    DefinitionOnlyCtrl word(Definition(CTRL_NUMERIC, DATO_WORD, 0, 0x120));
    DefinitionOnlyCtrl unknownType(Definition(CTRL_NUMERIC, 9, 0, 8));
    struct Case {
        IDataCtrl* control;
        std::int32_t category;
        std::int32_t address, size;
    };
    const Case cases[] = {
        {&word, CTRL_NUMERIC, 0x120, 2},
        {&unknownType, CTRL_NUMERIC, 8, 0},
        {nullptr, CTRL_NUMERIC, -1, -1},
        {&word, 11, -1, -1},  // no control class has category 11
    };
    for (const Case& c : cases) {
        CTRL_WND entry;
        entry.category = c.category;
        entry.wnd = c.control;
        std::int32_t address = 42, size = 42;
        CUtility::GetCtrlAddress(entry, address, size);
        EXPECT_EQ(address, c.address);
        EXPECT_EQ(size, c.size);
    }
}
