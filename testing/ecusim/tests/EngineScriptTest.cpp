// The demonstration engine's script, read back as the simulator reads it
// and played over a variable image: what the screens will show, moment by
// moment, follows a car on the bench and the calibration's changeover.
#include "testing/ecusim/EngineScript.h"
#include "testing/ecusim/VariableScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

using namespace vexar::ecusim;
using namespace std::chrono_literals;

namespace {

// The variable image after each step time of one loop, decoded.
struct Moment {
    std::chrono::milliseconds at;
    double rpm, bar, tempC, gasMs, volts, petrolMs;
    bool valves, reserve;
    int state, lambda, sensorError, injectorErrors;
};

std::vector<Moment> Play(const VariableScript& script)
{
    std::array<std::uint8_t, 32> image{};
    std::vector<Moment> moments;
    for (std::size_t i = 0; i < script.steps.size(); ++i) {
        const VariableStep& step = script.steps[i];
        std::copy(step.bytes.begin(), step.bytes.end(), image.begin() + step.address);
        if (i + 1 < script.steps.size() && script.steps[i + 1].at == step.at)
            continue;
        auto word = [&](int at) { return image[at] * 256 + image[at + 1]; };
        moments.push_back({step.at, static_cast<double>(word(0)), (image[2] - 26) * 2.4 / 204, image[3] - 40.0,
                           word(4) * 0.004, image[6] * 0.1, word(10) * 0.004, (image[7] & 1) != 0,
                           (image[7] & 2) != 0, image[8], static_cast<std::int8_t>(image[9]), image[16],
                           word(18) & 0x0F});
    }
    return moments;
}

class EngineScriptPlayed : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(ParseVariableScript(MakeEngineScript(), script, error)) << error;
        moments = Play(script);
        ASSERT_EQ(moments.size(), static_cast<std::size_t>(kEngineLoop / kEngineStep));
    }
    VariableScript script;
    std::vector<Moment> moments;
};

}  // namespace

TEST_F(EngineScriptPlayed, LoopsEveryMinuteAndAHalfAndStartsFromAStillEngine)
{
    EXPECT_EQ(script.loop, 90000ms);
    EXPECT_EQ(script.steps.front().at, 0ms);
    EXPECT_EQ(moments.front().rpm, 0);
    EXPECT_EQ(moments.back().rpm, 0) << "the key is off before the loop starts again";
    EXPECT_EQ(moments.front().injectorErrors, 0);
    EXPECT_EQ(moments.front().sensorError, 0);
}

// Waiting for the reducer on petrol, the changeover only once the
// calibration's 40 degrees and 2200 rpm are reached, its 5 s delay with
// the valves open, then gas; the key off ends on petrol.
TEST_F(EngineScriptPlayed, ChangesOverOnceTheReducerIsWarmAndTheSpeedReached)
{
    std::vector<int> states;
    std::chrono::milliseconds changeover{-1}, gas{-1};
    for (const Moment& m : moments) {
        if (states.empty() || states.back() != m.state)
            states.push_back(m.state);
        if (m.state == 2 && changeover < 0ms) {
            changeover = m.at;
            EXPECT_GE(m.tempC, 40);
            EXPECT_GE(m.rpm, 2200);
        }
        if (m.state == 7 && gas < 0ms)
            gas = m.at;
        EXPECT_EQ(m.valves, m.state == 2 || m.state == 7) << m.at.count();
        if (m.state == 1) {
            EXPECT_LT(m.tempC, 40) << m.at.count();
        }
        EXPECT_EQ(m.gasMs > 0, m.state == 7) << m.at.count();
        EXPECT_EQ(m.lambda != 0 && m.state != 7, false) << m.at.count();
    }
    EXPECT_EQ(states, (std::vector<int>{0, 1, 0, 2, 7, 0}));
    EXPECT_GE(gas - changeover, 4800ms);
    EXPECT_LE(gas - changeover, 5200ms);
}

// On gas the engine revs between idle and 5500 rpm; the reducer pressure
// crosses both rows of the correction map (0.9 and 1.7 bar); injection
// times and lambda move; the battery stays near 13.8 V while it runs.
TEST_F(EngineScriptPlayed, RevsUpAndDownWithEverythingMoving)
{
    double minRpm = 1e9, maxRpm = 0, minBar = 9, maxBar = -9, minGas = 99, maxGas = 0;
    int minLambda = 99, maxLambda = -99;
    for (const Moment& m : moments) {
        if (m.rpm >= 600) {
            EXPECT_GE(m.volts, 13.65) << m.at.count();
            EXPECT_LE(m.volts, 13.95) << m.at.count();
            EXPECT_GT(m.petrolMs, 2) << m.at.count();
            EXPECT_LT(m.petrolMs, 12) << m.at.count();
        }
        if (m.state != 7)
            continue;
        minRpm = std::min(minRpm, m.rpm);
        maxRpm = std::max(maxRpm, m.rpm);
        minBar = std::min(minBar, m.bar);
        maxBar = std::max(maxBar, m.bar);
        minGas = std::min(minGas, m.gasMs);
        maxGas = std::max(maxGas, m.gasMs);
        minLambda = std::min(minLambda, m.lambda);
        maxLambda = std::max(maxLambda, m.lambda);
    }
    EXPECT_LT(minRpm, 950);
    EXPECT_GT(maxRpm, 5400);
    EXPECT_LT(maxRpm, 6000);
    EXPECT_LT(minBar, 1.0);
    EXPECT_GT(maxBar, 1.7);
    EXPECT_LT(minGas, 4);
    EXPECT_GT(maxGas, 8);
    EXPECT_LE(minLambda, -3);
    EXPECT_GE(maxLambda, 3);
    EXPECT_LE(maxLambda, 25);
}

// Within any two seconds of the running engine its speed shows a change.
TEST_F(EngineScriptPlayed, TheEngineSpeedChangesWithinTwoSecondsWhileItRuns)
{
    for (std::size_t i = 0; i + 10 < moments.size(); ++i) {
        if (moments[i].rpm == 0 || moments[i + 10].rpm == 0)
            continue;
        bool changed = false;
        for (std::size_t j = i + 1; j <= i + 10; ++j)
            changed = changed || moments[j].rpm != moments[i].rpm;
        EXPECT_TRUE(changed) << moments[i].at.count();
    }
}

// An injector's open circuit raised while driving and cleared later; the
// reserve lamp lit near the end of the drive.
TEST_F(EngineScriptPlayed, AFaultComesAndGoes)
{
    auto raised = std::find_if(moments.begin(), moments.end(), [](const Moment& m) { return m.injectorErrors != 0; });
    ASSERT_NE(raised, moments.end());
    EXPECT_EQ(raised->injectorErrors, 0x04);
    EXPECT_EQ(raised->state, 7);
    auto cleared = std::find_if(raised, moments.end(), [](const Moment& m) { return m.injectorErrors == 0; });
    ASSERT_NE(cleared, moments.end());
    EXPECT_GE(cleared->at - raised->at, 5000ms);
    EXPECT_TRUE(std::any_of(moments.begin(), moments.end(), [](const Moment& m) { return m.reserve; }));
}
