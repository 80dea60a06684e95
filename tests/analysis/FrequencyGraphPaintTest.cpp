// The graph drawn into memory bitmaps and read back as pixels: grid lines where the levels and
// frequencies fall, solid or dotted, the curve's peak at the sine, the bars of the octave view.
#include "FrequencyAnalyzer.h"
#include "SineRun.h"
#include "SkinFixture.h"
#include "FrequencyGraphPaint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

const COLORREF kData = RGB(255, 0, 0);
const COLORREF kGrey = RGB(192, 192, 192);

using skintest::Canvas;

RECT Client(Canvas& canvas)
{
    return {0, 0, canvas.Width(), canvas.Height()};
}

// Of n pixels from (x, y) along x (dx 1) or y (dy 1): how many have the colour.
int Count(Canvas& canvas, int x, int y, int dx, int dy, int n, COLORREF colour)
{
    int count = 0;
    for (int i = 0; i < n; ++i)
        count += canvas.At(x + i * dx, y + i * dy) == colour;
    return count;
}

// The graph painted into a white canvas, and its arithmetic for the same plot.
struct Painted {
    Canvas canvas;
    GraphState state;
    SpectrumGraph graph;
    Painted(const CSpectrumAnalyzer& a, int width, int height, const GraphSettings& settings, bool data)
        : canvas(width, height), state(Paint(a, canvas, settings, data)), graph(a, settings, state)
    {
    }
    static GraphState Paint(const CSpectrumAnalyzer& a, Canvas& canvas, const GraphSettings& settings, bool data)
    {
        GraphState state;
        PaintSpectrumGraph(canvas.dc()->m_hDC, Client(canvas), a, settings, data, kData, state);
        return state;
    }
};

} // namespace

TEST(SpectrumGraphPaintTest, AmplitudeLinesEveryTenDecibelsSolidAtFifties)
{
    SineRun run;
    Painted p(run.a, 640, 400, {0, -130, kAxisLinear, kGraphNarrow}, false);
    Canvas& canvas = p.canvas;
    const GraphState& state = p.state;
    const SpectrumGraph& graph = p.graph;
    // Between the first two frequency lines, 20 pixels of each level's row.
    const int x = graph.FrequencyToX(200);
    for (int level = 0; level >= -120; level -= 10) {
        const int grey = Count(canvas, x, graph.LevelToY(level), 1, 0, 20, kGrey);
        if (level % 50 == 0)
            EXPECT_EQ(grey, 20) << level << " dB should be solid";
        else
            EXPECT_TRUE(grey > 4 && grey < 16) << level << " dB should be dotted: " << grey;
    }
    EXPECT_EQ(Count(canvas, x, graph.LevelToY(-130), 1, 0, 20, kGrey), 0) << "-130 dB has no line";
    EXPECT_EQ(Count(canvas, x, graph.LevelToY(-125), 1, 0, 20, kGrey), 0);
    // No data without a bound view.
    EXPECT_EQ(Count(canvas, graph.FrequencyToX(5512.5), state.plot.top, 0, 1, state.plot.bottom - state.plot.top, kData), 0);
}

TEST(SpectrumGraphPaintTest, LinearFrequencyLinesRunTo22000HzSolidEvery5000)
{
    SineRun run;
    Painted p(run.a, 900, 300, {0, -135, kAxisLinear, kGraphNarrow}, false);
    Canvas& canvas = p.canvas;
    const GraphState& state = p.state;
    const SpectrumGraph& graph = p.graph;
    const int y = graph.LevelToY(-5) + 1; // between the amplitude lines
    for (int hz = 1000; hz <= 22000; hz += 1000) {
        const int grey = Count(canvas, graph.FrequencyToX(hz), y, 0, 1, 20, kGrey);
        if (hz % 5000 == 0)
            EXPECT_EQ(grey, 20) << hz << " Hz should be solid";
        else
            EXPECT_TRUE(grey > 4 && grey < 16) << hz << " Hz should be dotted: " << grey;
    }
    // Nothing between 22000 Hz and the right edge.
    const int last = graph.FrequencyToX(22000);
    for (int x = last + 2; x < state.plot.right; ++x)
        EXPECT_EQ(Count(canvas, x, y, 0, 1, 20, kGrey), 0) << x;
}

TEST(SpectrumGraphPaintTest, LogFrequencyLinesMarkDecadesSolidAndTheirStepsDotted)
{
    SineRun run;
    Painted p(run.a, 900, 300, {0, -135, kAxisLog, kGraphNarrow}, false);
    Canvas& canvas = p.canvas;
    const SpectrumGraph& graph = p.graph;
    const int y = graph.LevelToY(-5) + 1;
    EXPECT_EQ(Count(canvas, graph.FrequencyToX(1000), y, 0, 1, 20, kGrey), 20);
    EXPECT_EQ(Count(canvas, graph.FrequencyToX(10000), y, 0, 1, 20, kGrey), 20);
    for (int hz : {400, 600, 2000, 5000, 9000, 20000}) {
        const int grey = Count(canvas, graph.FrequencyToX(hz), y, 0, 1, 20, kGrey);
        EXPECT_TRUE(grey > 4 && grey < 16) << hz << " Hz should be dotted: " << grey;
    }
    // The spacing of a decade: 2 kHz sits log10(2) of the way from 1 to 10 kHz.
    const int x1 = graph.FrequencyToX(1000), x10 = graph.FrequencyToX(10000), x2 = graph.FrequencyToX(2000);
    EXPECT_NEAR(x2 - x1, 0.30103 * (x10 - x1), 1.0);
}

TEST(SpectrumGraphPaintTest, TheCurvePeaksAtTheSinesFrequencyAndLevel)
{
    SineRun run;
    Painted p(run.a, 700, 360, {0, -140, kAxisLinear, kGraphNarrow}, true);
    Canvas& canvas = p.canvas;
    const GraphState& state = p.state;
    const SpectrumGraph& graph = p.graph;
    int topX = -1, topY = 1 << 30;
    for (int x = state.plot.left; x < state.plot.right; ++x)
        for (int y = state.plot.top; y < state.plot.bottom; ++y)
            if (canvas.At(x, y) == kData && y < topY) {
                topY = y;
                topX = x;
            }
    EXPECT_EQ(topX, graph.FrequencyToX(5512.5));
    EXPECT_NEAR(topY, graph.LevelToY(-20.0), 1);
    // Nothing of the data outside the plot.
    for (int x = 0; x < 700; ++x)
        EXPECT_NE(canvas.At(x, state.plot.top - 1), kData);
}

TEST(SpectrumGraphPaintTest, OctaveBarsStandFromTheirLevelToTheBottom)
{
    SineRun run;
    Painted p(run.a, 700, 360, {0, -140, kAxisLog, kGraphOctave}, true);
    Canvas& canvas = p.canvas;
    const GraphState& state = p.state;
    const SpectrumGraph& graph = p.graph;
    const std::vector<GraphBar> bars = graph.Bars();
    ASSERT_EQ(bars.size(), 6u);
    // The 4 kHz band holds the sine: its bar's top edge at -20 dB, its sides down to the plot bottom.
    const GraphRect& bar = bars[3].rect;
    EXPECT_NEAR(bar.top, graph.LevelToY(-20.0), 1);
    EXPECT_GT(Count(canvas, bar.left + 1, bar.top, 1, 0, bar.right - bar.left - 2, kData), bar.right - bar.left - 4);
    EXPECT_GT(Count(canvas, bar.left, bar.top + 1, 0, 1, state.plot.bottom - bar.top - 2, kData),
              state.plot.bottom - bar.top - 4);
    // Hollow: nothing of the data inside.
    EXPECT_EQ(Count(canvas, bar.left + 2, (bar.top + state.plot.bottom) / 2, 1, 0, bar.right - bar.left - 4, kData), 0);
}
