// The reset pulses on a stepped clock: which sources are present, single
// pulses and the chain, a link lost mid-chain, a pulse replaced by another
// or by a reload, and the two write routes of the reset values with the
// bytes the worker is given.
#include "dialogs/core/CResetSequence.h"
#include "dialogs/core/ResetValueWriter.h"

#include "config/CUtilityCodec.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

using namespace vexar;

namespace {

REC_CONTROLLO Source(std::int32_t key, std::int32_t route, std::int32_t type, std::int32_t address, std::uint32_t mask,
                     std::int32_t reset, std::int32_t normal, std::int32_t delay)
{
    REC_CONTROLLO source;
    source.ID_GUI = key;
    source.CATEGORIA = CTRL_RESET;
    source.TIPO = type;
    source.LSB = address;
    source.MASCHERA = mask;
    source.GRAFICA = ResetBlock{route, reset, normal, delay};
    return source;
}

// A port over a clock that the test steps: the timer fires when the clock
// passes its deadline; every write is stamped with the time.
class SteppedPort : public IResetPort {
public:
    struct Write {
        long at;
        std::int32_t key;
        bool active;
        bool operator==(const Write&) const = default;
    };

    bool IsLinked() const override { return linked; }
    void WriteResetValue(const REC_CONTROLLO& source, bool active) override
    {
        writes.push_back({now, source.ID_GUI, active});
    }
    void StartPulseTimer(std::int32_t milliseconds) override { deadline = now + milliseconds; }
    void StopPulseTimer() override { deadline.reset(); }

    void Advance(CResetSequence& sequence, long milliseconds)
    {
        const long end = now + milliseconds;
        while (deadline && *deadline <= end) {
            now = *deadline;
            sequence.OnTimer();
        }
        now = end;
    }

    bool linked = true;
    long now = 0;
    std::optional<long> deadline;
    std::vector<Write> writes;
};

class ResetSequenceTest : public ::testing::Test {
protected:
    void Use(int definitions)
    {
        sequence.SetSources({Source(1, RESET_IN_VAR, DATO_UBYTE, 20, 0xFF, 1, 0, 100),
                             Source(2, RESET_IN_VAR, DATO_UBYTE, 21, 0xFF, 1, 0, 200),
                             Source(3, RESET_IN_PAR, DATO_UBYTE, 57, 0xFF, 255, 0, 300)},
                            definitions);
    }

    SteppedPort port;
    CResetSequence sequence{port};
    using W = SteppedPort::Write;
};

}  // namespace

TEST_F(ResetSequenceTest, SourcesArePresentForOneToThreeDefinitions)
{
    const std::array<std::array<bool, 3>, 5> expected{{{false, false, false},
                                                        {true, false, false},
                                                        {true, true, false},
                                                        {true, true, true},
                                                        {false, false, false}}};
    for (int n = 0; n <= 4; ++n) {
        Use(n);
        EXPECT_EQ(sequence.Presence(), expected[static_cast<std::size_t>(n)]) << n << " definitions";
        EXPECT_EQ(sequence.Pulse(1), n >= 1 && n <= 3) << n << " definitions";
        sequence.Finish();
    }
}

TEST_F(ResetSequenceTest, AChainPulsesEachPresentSourceInTurnThenStops)
{
    Use(2);
    sequence.StartChain();
    EXPECT_EQ(sequence.ChainStep(), 1);
    port.Advance(sequence, 100);
    EXPECT_EQ(sequence.ChainStep(), 2);
    port.Advance(sequence, 1000);
    EXPECT_EQ(sequence.ChainStep(), 0);
    EXPECT_EQ(port.writes, (std::vector<W>{{0, 1, true}, {100, 1, false}, {100, 2, true}, {300, 2, false}}));

    port.writes.clear();
    Use(3);
    const long start = port.now;
    sequence.StartChain();
    port.Advance(sequence, 1000);
    EXPECT_EQ(port.writes.size(), 6u);
    EXPECT_EQ(port.writes.back(), (W{start + 600, 3, false}));
    EXPECT_EQ(sequence.ChainStep(), 0);

    // Without source 1 no chain starts.
    port.writes.clear();
    Use(0);
    sequence.StartChain();
    EXPECT_EQ(sequence.ChainStep(), 0);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(ResetSequenceTest, AButtonPulsesOnceAndNeverWithoutTheLink)
{
    Use(3);
    EXPECT_TRUE(sequence.Pulse(2));
    port.Advance(sequence, 1000);
    EXPECT_EQ(port.writes, (std::vector<W>{{0, 2, true}, {200, 2, false}}));
    EXPECT_EQ(sequence.ChainStep(), 0);

    port.writes.clear();
    port.linked = false;
    EXPECT_FALSE(sequence.Pulse(1));
    sequence.StartChain();
    port.Advance(sequence, 1000);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(ResetSequenceTest, ALinkLostMidChainKeepsTheStep)
{
    Use(3);
    sequence.StartChain();
    port.linked = false;
    port.Advance(sequence, 1000);
    // The running pulse still ends; the next one cannot start.
    EXPECT_EQ(port.writes, (std::vector<W>{{0, 1, true}, {100, 1, false}}));
    EXPECT_EQ(sequence.ChainStep(), 2);
}

// A pulse replaced by another source first writes its own idle value.
TEST_F(ResetSequenceTest, ANewPulseEndsTheRunningOneFirst)
{
    Use(3);
    sequence.Pulse(1);
    port.Advance(sequence, 50);
    sequence.Pulse(2);
    port.Advance(sequence, 1000);
    EXPECT_EQ(port.writes, (std::vector<W>{{0, 1, true}, {50, 1, false}, {50, 2, true}, {250, 2, false}}));
}

// A reload writes its own idle value and lets the running pulse end with
// its own.
TEST_F(ResetSequenceTest, AReloadDuringAPulseLetsThePulseEnd)
{
    Use(3);
    sequence.Pulse(1);
    sequence.Reload(2);
    port.Advance(sequence, 1000);
    EXPECT_EQ(port.writes, (std::vector<W>{{0, 1, true}, {0, 2, false}, {100, 1, false}}));

    // Without a pulse a reload is one idle write, with or without the link.
    port.writes.clear();
    port.linked = false;
    sequence.Reload(3);
    sequence.Reload(4);
    EXPECT_EQ(port.writes, (std::vector<W>{{1000, 3, false}}));
}

// The owner closing mid-pulse writes the idle value at once.
TEST_F(ResetSequenceTest, FinishingMidPulseWritesTheIdleValue)
{
    Use(2);
    sequence.StartChain();
    port.Advance(sequence, 30);
    sequence.Finish();
    EXPECT_FALSE(port.deadline);
    EXPECT_EQ(sequence.ChainStep(), 0);
    port.Advance(sequence, 1000);
    EXPECT_EQ(port.writes, (std::vector<W>{{0, 1, true}, {30, 1, false}}));
}

// ---- The reset values through the writer ----------------------------------------------------

namespace {

// Keeps the requests instead of handing them to a worker.
class RecordingApp : public link::CVEXARLink {
public:
    struct Request {
        unsigned id;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::optional<link::VARIABLE_WRITE> variable;
    };

    bool PostLinkRequest(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                         std::unique_ptr<link::LinkPayload> payload) override
    {
        Request request{id, wParam, lParam, std::nullopt};
        if (const auto* write = dynamic_cast<const link::VARIABLE_WRITE*>(payload.get()))
            request.variable = *write;
        requests.push_back(request);
        return true;
    }

    std::vector<Request> requests;
};

// A port whose writes go through the writer, stamped on the stepped clock.
class WriterPort : public SteppedPort {
public:
    explicit WriterPort(RecordingApp& app) : m_app(app) {}
    void WriteResetValue(const REC_CONTROLLO& source, bool active) override
    {
        SteppedPort::WriteResetValue(source, active);
        ResetValue::Write(m_app, source, active);
        stamps.push_back(now);
    }
    std::vector<long> stamps;

private:
    RecordingApp& m_app;
};

std::array<std::uint8_t, 4> Bytes(std::uint32_t word)
{
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &word, 4);
    return bytes;
}

}  // namespace

// A "VAR" word: two masked writes DELAY apart, each keeping the two bytes
// past the datum, in either byte order.
TEST(ResetValues, AVariableWordIsTwoMaskedWritesDelayApart)
{
    for (const bool little : {false, true}) {
        RecordingApp app;
        app.m_bLittleEndian = little ? 1 : 0;
        WriterPort port(app);
        CResetSequence sequence(port);
        sequence.SetSources({Source(1, RESET_IN_VAR, DATO_UWORD, 0x1234, 0xFFFF, 0x0102, 0x0304, 500), {}, {}}, 1);
        sequence.Pulse(1);
        port.Advance(sequence, 2000);
        ASSERT_EQ(app.requests.size(), 2u);
        EXPECT_EQ(port.stamps[1] - port.stamps[0], 500);
        const std::array<std::uint8_t, 4> keep{0x00, 0x00, 0xFF, 0xFF};
        const std::array<std::array<std::uint8_t, 4>, 2> values =
            little ? std::array<std::array<std::uint8_t, 4>, 2>{{{0x02, 0x01, 0, 0}, {0x04, 0x03, 0, 0}}}
                   : std::array<std::array<std::uint8_t, 4>, 2>{{{0x01, 0x02, 0, 0}, {0x03, 0x04, 0, 0}}};
        for (std::size_t i = 0; i < 2; ++i) {
            const auto& request = app.requests[i];
            EXPECT_EQ(request.id, link::WM_LINK_WRITE_VARIABLE);
            ASSERT_TRUE(request.variable);
            EXPECT_EQ(request.variable->address, 0x1234);
            EXPECT_EQ(request.variable->size, 2);
            EXPECT_EQ(Bytes(request.variable->mask), keep) << "little " << little;
            EXPECT_EQ(Bytes(request.variable->value), values[i]) << "little " << little;
        }
    }
}

// A "PAR" flag changes only its bits in both images and writes one byte.
TEST(ResetValues, AParameterFlagChangesOnlyItsBitsInBothImages)
{
    RecordingApp app;
    app.ResizeImages(64, 32);
    app.m_pParWork[57] = 0xA3;  // bit 2 clear
    app.m_pParMaster[57] = 0xA3;
    const REC_CONTROLLO source = Source(6, RESET_IN_PAR, DATO_FLAG, 57, 0x04, 1, 0, 10);
    ASSERT_TRUE(ResetValue::Write(app, source, true));
    EXPECT_EQ(app.m_pParWork[57], 0xA7);
    EXPECT_EQ(app.m_pParMaster[57], 0xA7);
    ASSERT_TRUE(ResetValue::Write(app, source, false));
    EXPECT_EQ(app.m_pParWork[57], 0xA3);
    EXPECT_EQ(app.m_pParMaster[57], 0xA3);
    ASSERT_EQ(app.requests.size(), 2u);
    for (const auto& request : app.requests) {
        EXPECT_EQ(request.id, link::WM_LINK_WRITE_RANGE);
        EXPECT_EQ(request.wParam, 57u);
        EXPECT_EQ(request.lParam, 1);
    }
}

TEST(ResetValues, NothingIsWrittenForADatumOutsideTheImageOrANonResetDefinition)
{
    RecordingApp app;
    app.ResizeImages(16, 16);
    EXPECT_FALSE(ResetValue::Write(app, Source(1, RESET_IN_PAR, DATO_UWORD, 15, 0xFFFF, 1, 0, 10), true));
    REC_CONTROLLO other = Source(1, RESET_IN_VAR, DATO_UBYTE, 1, 0xFF, 1, 0, 10);
    other.CATEGORIA = CTRL_DIAG;
    EXPECT_FALSE(ResetValue::Write(app, other, true));
    EXPECT_FALSE(ResetValue::Write(app, Source(1, RESET_IN_VAR, 99, 1, 0xFF, 1, 0, 10), true));
    EXPECT_TRUE(app.requests.empty());
}
