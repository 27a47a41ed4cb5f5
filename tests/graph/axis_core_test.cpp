// Tick steps and label formats of the axes, the ticks of the start-up view,
// and ranges that would run a naive loop away.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "graph/axis_core.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(AxisCore, TickStepsAndLabelFormats) {
  struct Case {
    double span;  // value span of the axis
    int len, minSpacing;  // pixels of the axis, least pixels between ticks
    double step, coarse;  // the tick step and the labelled step expected
    int decimals;  // decimals of the labels expected
    const char* format;  // the left axis' label format for these decimals
  };
  const Case cases[] = {
      {2, 400, 20, 0.1, 0.5, 1, "%.1lf"},       // start-up view -1 .. 1
      {100, 500, 20, 5, 20, 1, "%.1lf"},        // a step of 5 still counts one decimal
      {0.03, 20, 20, 0.05, 0.2, 2, "%.2lf"},
      {1, 1000, 20, 0.02, 0.1, 2, "%.2lf"},
      {1, 20, 20, 1, 5, 0, "%lg"},
      {0, 300, 20, 0.0001, 0.0005, 4, "%.4lf"},  // a zero span counts as 0.001
      {0.0001, 300, 20, 0.0001, 0.0005, 4, "%.4lf"},
      {-2, 400, 20, 0.1, 0.5, 1, "%.1lf"},      // the sign of the span does not matter
      {2, 0, 20, 50, 200, 1, "%.1lf"},          // a length below 1 counts as 1
      {2, 100, 4, 0.2, 1, 1, "%.1lf"},          // spacing 4 becomes 10: L = 0.2
      {2, 100, 5, 0.1, 0.5, 1, "%.1lf"},        // spacing 5 stays: L = 0.1
      {0.001, 2857, 20, 1e-5, 5e-5, 5, "%.5lf"},
      {0.001, 28571, 20, 1e-6, 5e-6, 6, "%lg"},  // six decimals and more print as %lg
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "span " << c.span << " len " << c.len << " spacing " << c.minSpacing);
    double step = 0, coarse = 0;
    int decimals = -1;
    Axis_TickStep(c.span, c.len, c.minSpacing, &step, &coarse, &decimals);
    EXPECT_NEAR(step, c.step, c.step * 1e-9);
    EXPECT_NEAR(coarse, c.coarse, c.coarse * 1e-9);
    EXPECT_EQ(decimals, c.decimals);
    GraphAxis axis;
    Axis_Init(&axis, AXIS_KIND_LEFT, 0, 0, 10, 100, 0, 1);
    EXPECT_STREQ(axis.szFormat, "%lg");
    Axis_SetDecimals(&axis, decimals);
    EXPECT_STREQ(axis.szFormat, c.format);
  }
  // Out arguments are optional; hostile spans give a positive finite step or a
  // bounded infinite one, never a hang.
  Axis_TickStep(1, 100, 20, nullptr, nullptr, nullptr);
  for (double span : {kNaN, kInf, -kInf, 1e308}) {
    double step = 0;
    Axis_TickStep(span, 400, 20, &step, nullptr, nullptr);
    EXPECT_GT(step, 0.0) << span;
  }
}

TEST(AxisCore, LeftAxisTicksOfTheStartUpView) {
  GraphAxis axis;
  ASSERT_EQ(Axis_Init(&axis, AXIS_KIND_LEFT, 0, 20, 40, 420, -1.0, 1.0), 1);
  EXPECT_EQ(axis.iPixLo, 20);
  EXPECT_EQ(axis.iPixHi, 420);
  EXPECT_EQ(axis.iMinTickSpacing, GRAPH_MIN_TICK_SPACING);
  AxisTick ticks[GRAPH_MAX_TICKS];
  int n = Axis_ComputeTicks(&axis, ticks, GRAPH_MAX_TICKS);
  // fmod(-1, 0.1) is a little less than 0.1 in magnitude: the first tick is -0.9.
  ASSERT_EQ(n, 20);
  EXPECT_NEAR(ticks[0].dValue, -0.9, 1e-12);
  EXPECT_NEAR(ticks[0].iPix, 400, 1);
  EXPECT_NEAR(ticks[n - 1].dValue, 1.0, 1e-9);
  EXPECT_NEAR(ticks[n - 1].iPix, 20, 1);
  // The tick near zero shows as zero with one decimal.
  Axis_SetDecimals(&axis, 1);
  char label[AXIS_LABEL_LEN];
  Axis_FormatLabel(&axis, Axis_LabelValue(ticks[9].dValue, 0.1), label, sizeof label);
  EXPECT_NEAR(ticks[9].dValue, 0.0, 1e-12);
  EXPECT_STREQ(label, "0.0");
  EXPECT_EQ(Axis_LabelValue(-0.3, 0.1), -0.3);

  // A positive minimum that is not a multiple of the step: the first tick lies
  // below it, outside the strip.
  Axis_Init(&axis, AXIS_KIND_LEFT, 0, 20, 40, 420, 0.03, 1.03);
  n = Axis_ComputeTicks(&axis, ticks, GRAPH_MAX_TICKS);
  ASSERT_GT(n, 1);
  EXPECT_GT(ticks[0].iPix, 420);
  EXPECT_LE(ticks[1].iPix, 420);
  // No value span: nothing to walk on the left axis.
  Axis_Init(&axis, AXIS_KIND_LEFT, 0, 20, 40, 420, 3.0, 3.0);
  EXPECT_EQ(Axis_ComputeTicks(&axis, ticks, GRAPH_MAX_TICKS), 0);
}

TEST(AxisCore, BottomAxisTicksAndLabelRow) {
  GraphAxis axis;
  Axis_Init(&axis, AXIS_KIND_BOTTOM, 100, 400, 600, 430, 0.0, 100.0);
  AxisTick ticks[GRAPH_MAX_TICKS];
  int n = Axis_ComputeTicks(&axis, ticks, GRAPH_MAX_TICKS);
  ASSERT_EQ(n, 21);  // step 5, ticks 25 pixels apart
  for (int k = 0; k < n; ++k) EXPECT_EQ(ticks[k].iPix, 100 + 25 * k);
  char label[AXIS_LABEL_LEN];
  EXPECT_EQ(Axis_FormatLabel(&axis, ticks[20].dValue, label, sizeof label), 3);
  EXPECT_STREQ(label, "100");
  // A label that does not fit is cut, and the length says so.
  EXPECT_EQ(Axis_FormatLabel(&axis, 123456.0, label, 4), 3);
  EXPECT_STREQ(label, "123");

  // Label row of a strip from the x axis line (h - hQ - 7) to the area's
  // bottom h: ticks 5 pixels long, label tops at h - hQ - 2.
  const int h = 500, hQ = 15;
  Axis_Init(&axis, AXIS_KIND_BOTTOM, 0, h - hQ - 7, 400, h, 0, 1);
  int top = 0, end = 0;
  Axis_BottomRow(&axis, hQ, &top, &end);
  EXPECT_EQ(top, h - hQ - 7);
  EXPECT_EQ(end, h - hQ - 2);
  // A strip thinner than the font still gets ticks inside it.
  Axis_Init(&axis, AXIS_KIND_BOTTOM, 0, 100, 400, 103, 0, 1);
  Axis_BottomRow(&axis, hQ, &top, &end);
  EXPECT_EQ(top, 100);
  EXPECT_EQ(end, 103);

  // A zero span on the bottom axis still walks (it counts as 1).
  Axis_Init(&axis, AXIS_KIND_BOTTOM, 0, 0, 500, 20, 7.0, 7.0);
  EXPECT_GE(Axis_ComputeTicks(&axis, ticks, GRAPH_MAX_TICKS), 1);
}

TEST(AxisCore, HostileRangesStayBounded) {
  const double values[] = {kNaN, kInf, -kInf, 1e300, -1e300, 0.0, 1e-300};
  AxisTick ticks[GRAPH_MAX_TICKS];
  char label[AXIS_LABEL_LEN];
  for (int kind : {AXIS_KIND_LEFT, AXIS_KIND_BOTTOM}) {
    for (double lo : values) {
      for (double hi : values) {
        GraphAxis axis;
        Axis_Init(&axis, kind, 0, 0, 300, 300, lo, hi);
        int n = Axis_ComputeTicks(&axis, ticks, GRAPH_MAX_TICKS);
        EXPECT_LE(n, GRAPH_MAX_TICKS);
        int decimals = 0;
        Axis_Step(&axis, &decimals);
        Axis_SetDecimals(&axis, decimals);
        for (int k = 0; k < n; ++k) {
          int len = Axis_FormatLabel(&axis, ticks[k].dValue, label, sizeof label);
          EXPECT_EQ(len, static_cast<int>(std::strlen(label)));
          EXPECT_LT(len, AXIS_LABEL_LEN);
        }
      }
    }
  }
  // Long labels of huge values with fixed decimals are cut at 83 characters.
  GraphAxis axis;
  Axis_Init(&axis, AXIS_KIND_LEFT, 0, 0, 300, 300, 0, 1);
  Axis_SetDecimals(&axis, 3);
  EXPECT_EQ(Axis_FormatLabel(&axis, 1e200, label, sizeof label), AXIS_LABEL_LEN - 1);
}

}  // namespace
