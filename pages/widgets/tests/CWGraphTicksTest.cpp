#include "pages/widgets/CWGraphTicks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <utility>

namespace {

struct TickCase {
    double minimum, maximum;
    int count;
    double step;
    double firstMajor, lastMajor;
    const char* firstLabel;
    const char* lastLabel;
};

void PrintTo(const TickCase& c, std::ostream* out)
{
    *out << "[" << c.minimum << ", " << c.maximum << "] in " << c.count;
}

class GraphTicksTable : public ::testing::TestWithParam<TickCase> {};

TEST_P(GraphTicksTable, RoundStepsWithinTheRangeAndTheirLabels)
{
    const TickCase& c = GetParam();
    const CWGraphTicks ticks = MakeGraphTicks(c.minimum, c.maximum, c.count);
    ASSERT_FALSE(ticks.major.empty());
    EXPECT_DOUBLE_EQ(ticks.step, c.step);
    EXPECT_DOUBLE_EQ(ticks.major.front(), c.firstMajor);
    EXPECT_DOUBLE_EQ(ticks.major.back(), c.lastMajor);
    EXPECT_LE(static_cast<int>(ticks.major.size()), c.count + 1);
    EXPECT_EQ(FormatGraphTick(ticks.major.front(), ticks).toStdString(), c.firstLabel);
    EXPECT_EQ(FormatGraphTick(ticks.major.back(), ticks).toStdString(), c.lastLabel);
    for (double v : ticks.minor) {
        EXPECT_GE(v, c.minimum);
        EXPECT_LE(v, c.maximum);
        EXPECT_GT(std::fabs(std::remainder(v, ticks.step)), ticks.step * 1e-6) << "minor tick on a major one";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, GraphTicksTable,
    ::testing::Values(TickCase{0, 120, 6, 20, 0, 120, "0", "120"},
                      TickCase{0, 1, 5, 0.2, 0, 1, "0.0", "1.0"},
                      TickCase{-120, 240, 8, 50, -100, 200, "-100", "200"},
                      // a step of 0.1 from -0.3: the tick at zero reads "0.0", never "-0.0"
                      TickCase{-0.3, 0.25, 6, 0.1, -0.3, 0.2, "-0.3", "0.2"},
                      TickCase{12.0, 12.004, 4, 0.001, 12.0, 12.004, "12.000", "12.004"},
                      TickCase{0, 4e10, 4, 1e10, 0, 4e10, "0", "4e+10"}));

TEST(CWGraphTicks, ZeroIsWrittenWithoutSign)
{
    const CWGraphTicks ticks = MakeGraphTicks(-0.3, 0.25, 6);
    bool sawZero = false;
    for (double v : ticks.major) {
        const QString label = FormatGraphTick(v, ticks);
        EXPECT_FALSE(label.startsWith(QLatin1String("-0.0"))) << label.toStdString();
        sawZero = sawZero || label == QLatin1String("0.0");
    }
    EXPECT_TRUE(sawZero);
}

TEST(CWGraphTicks, RangesWithoutTicks)
{
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    const std::pair<double, double> ranges[] = {{1.0, 1.0}, {2.0, 1.0}, {nan, 1.0}, {0.0, inf}, {-1e308, 1e308}};
    for (auto [lo, hi] : ranges)
        EXPECT_TRUE(MakeGraphTicks(lo, hi, 5).major.empty()) << lo << " " << hi;
    EXPECT_TRUE(MakeGraphTicks(0, 1, 0).major.empty());
}

}  // namespace
