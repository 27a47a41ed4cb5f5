#pragma once
// A record for the portable graph tests: start defaults, channels of a given
// capacity, a plot rectangle and the x and value views of channel 0, freed at
// the end of each test.  No window: the arithmetic needs none.

#include <gtest/gtest.h>

#include <limits>

#include "graph/graph.h"
#include "shell/app_state.h"

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct PlotRecordTest : ::testing::Test {
  AppState app;  // cleared to the start values by Prepare

  // Sets the record up; the x view is x0 .. x1, channel 0's value view v0 .. v1.
  void Prepare(int capacity, RECT plot, double x0, double x1, double v0, double v1) {
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, capacity);
    app.Graph.rcPlot = plot;
    app.Channels.dXViewMin = x0;
    app.Channels.dXViewMax = x1;
    app.Channels.Channel[0].dViewMin = v0;
    app.Channels.Channel[0].dViewMax = v1;
  }
  void TearDown() override { ChannelSet_FreeAll(&app.Channels); }
};
