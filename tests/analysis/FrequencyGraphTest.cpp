// The graph's arithmetic on a real analyser run: where bins, bands and levels land, the value
// under the mouse and the export's point list.
#include "FrequencyAnalyzer.h"
#include "SineRun.h"
#include "FrequencyGraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {


GraphState Plot(int left, int top, int right, int bottom)
{
    GraphState state;
    state.plot = {left, top, right, bottom};
    return state;
}

} // namespace

TEST(SpectrumGraphTest, LayoutLeavesRoomForLabelsAndAMouseAreaAboveTheLastLine)
{
    const GraphLayout layout = LayoutGraph({0, 0, 400, 300}, 16, 7);
    EXPECT_EQ(layout.axisX, 42);
    EXPECT_EQ(layout.axisY, 283);
    EXPECT_EQ(layout.plot.left, 43);
    EXPECT_EQ(layout.plot.top, 16);
    EXPECT_EQ(layout.plot.right, 372);
    EXPECT_EQ(layout.plot.bottom, 283);
    EXPECT_EQ(layout.mouseArea.bottom, 267);
}

TEST(SpectrumGraphTest, FrequenciesAndLevelsMapLinearlyOrByDecadesWithTruncation)
{
    SineRun run;
    GraphState linear = Plot(100, 10, 541, 110);
    SpectrumGraph lin(run.a, {0, -100, kAxisLinear, kGraphNarrow}, linear);
    EXPECT_EQ(lin.MinFrequency(), 0.0);
    EXPECT_EQ(lin.FrequencyToX(0), 100);
    EXPECT_EQ(lin.FrequencyToX(11025), 320); // half of 441 pixels, truncated
    EXPECT_EQ(lin.FrequencyToX(22050), 541);
    EXPECT_EQ(lin.LevelToY(0), 10);
    EXPECT_EQ(lin.LevelToY(-20.5), 30);
    EXPECT_EQ(lin.LevelToY(-150), 160); // not clamped
    EXPECT_EQ(lin.XToFrequency(100), 0.0);
    EXPECT_NEAR(lin.XToFrequency(320), 11000, 0.1);

    GraphState log = Plot(0, 0, 300, 100);
    SpectrumGraph lg(run.a, {0, -100, kAxisLog, kGraphNarrow}, log);
    EXPECT_EQ(log.logAxis, 1);
    EXPECT_DOUBLE_EQ(log.minFrequency, 44100.0 / 128);
    EXPECT_EQ(lg.FrequencyToX(100), 0); // below the first bin
    EXPECT_EQ(lg.FrequencyToX(std::sqrt(44100.0 / 128 * 22050)), 150);
    EXPECT_EQ(log.valueRange.right, 22050);
    EXPECT_EQ(log.valueRange.top, 0);
    EXPECT_EQ(log.valueRange.bottom, -100);
}

TEST(SpectrumGraphTest, TheCurveStartsAtBinOneOnALogAxisAndPeaksAtTheSine)
{
    SineRun run;
    for (int axis : {kAxisLog, kAxisLinear}) {
        GraphState state = Plot(0, 0, 640, 200);
        SpectrumGraph graph(run.a, {0, -200, axis, kGraphNarrow}, state);
        const std::vector<GraphPoint> points = graph.CurvePoints();
        ASSERT_EQ(points.size(), axis == kAxisLog ? 64u : 65u);
        const int first = axis == kAxisLog ? 1 : 0;
        size_t peak = 0;
        for (size_t i = 1; i < points.size(); ++i)
            if (points[i].y < points[peak].y)
                peak = i;
        EXPECT_EQ(int(peak) + first, 16);
        EXPECT_EQ(points[peak].x, graph.FrequencyToX(16 * 44100.0 / 128));
        EXPECT_NEAR(points[peak].y, graph.LevelToY(-20.0), 1);
        GraphValue value = {};
        ASSERT_TRUE(graph.ValueAt(points[peak].x, &value));
        EXPECT_EQ(value.index, 16);
        EXPECT_NEAR(value.level, -20.0, 0.1);
        const std::vector<double> list = graph.PointList();
        ASSERT_EQ(list.size(), 2 * points.size());
        // The point of bin 0 reports the left edge's frequency in its place.
        EXPECT_EQ(list[0], axis == kAxisLog ? 44100.0 / 128 : 0.0);
    }
}

TEST(SpectrumGraphTest, OctaveBarsTouchAndTheMouseFindsTheBandUnderIt)
{
    SineRun run;
    GraphState state = Plot(0, 0, 600, 200);
    SpectrumGraph graph(run.a, {0, -200, kAxisLog, kGraphOctave}, state);
    const std::vector<GraphBar> bars = graph.Bars();
    ASSERT_EQ(bars.size(), 6u); // 500 Hz .. 16 kHz
    EXPECT_EQ(bars.front().rect.left, 0);
    for (size_t i = 1; i < bars.size(); ++i) {
        EXPECT_EQ(bars[i].rect.left, bars[i - 1].rect.right - 1);
        EXPECT_EQ(bars[i].rect.bottom, 200);
    }
    EXPECT_EQ(graph.LowLabel(), 500.0);
    EXPECT_EQ(graph.HighLabel(), 16000.0);
    // The sine (5512.5 Hz) is in the 4 kHz band.
    GraphValue value = {};
    ASSERT_TRUE(graph.ValueAt((bars[3].rect.left + bars[3].rect.right) / 2, &value));
    EXPECT_EQ(value.frequency, 4000.0);
    EXPECT_EQ(value.index, 12);
    EXPECT_NEAR(value.level, -20.0, 0.1);
    EXPECT_FALSE(graph.ValueAt(700, &value));
    const std::vector<double> list = graph.PointList();
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list[0], 500.0);
    EXPECT_EQ(list[10], 16000.0);
}

TEST(SpectrumGraphTest, GridLinesFallOnTensDecadesAndThousands)
{
    SineRun run;
    GraphState state = Plot(0, 0, 441, 130);
    SpectrumGraph linear(run.a, {0, -130, kAxisLinear, kGraphNarrow}, state);
    std::vector<int> levels, solid;
    for (const GridLine& line : linear.AmplitudeGrid()) {
        levels.push_back(-line.position);
        if (line.solid)
            solid.push_back(-line.position);
    }
    EXPECT_EQ(levels, (std::vector<int>{0, -10, -20, -30, -40, -50, -60, -70, -80, -90, -100, -110, -120}));
    EXPECT_EQ(solid, (std::vector<int>{0, -50, -100}));
    const std::vector<GridLine> hz = linear.FrequencyGrid();
    ASSERT_EQ(hz.size(), 23u); // 0 .. 22000
    EXPECT_EQ(hz[22].position, 440);
    for (size_t i = 0; i < hz.size(); ++i)
        EXPECT_EQ(hz[i].solid, i % 5 == 0) << i;
    SpectrumGraph log(run.a, {-15, -45, kAxisLog, kGraphNarrow}, state);
    const std::vector<GridLine> decades = log.FrequencyGrid();
    ASSERT_EQ(decades.size(), 9u + 9 + 9 + 9 + 2); // 1 .. 9, 10 .. 90, 100 .. 900, 1000 .. 9000, 10000, 20000
    EXPECT_TRUE(decades[36].solid);
    EXPECT_FALSE(decades[37].solid);
    EXPECT_EQ(log.AmplitudeGrid().size(), 4u); // upper -15 starts at -10: -10 .. -40 lie above -45
}
