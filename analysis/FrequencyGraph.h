// The spectrum graph's arithmetic, free of windows: where the plot lies in a client area, how
// frequencies and levels map to pixels, which grid lines are drawn, the narrow-band curve, the
// octave bars, the value under the mouse and the list of points a CSV export writes. The
// analysis window's painter draws what this computes (FrequencyGraphPaint.h).
//
//   GraphState state;                             // the window's, filled at every paint
//   state.plot = LayoutGraph(client, lineHeight, charWidth).plot;
//   SpectrumGraph graph(analyzer, {0, -130, kAxisLinear, kGraphNarrow}, state);
//   for (const GraphPoint& p : graph.CurvePoints()) ...
//
// A level is 10 log10 of a calibrated power (never 0, so always finite).
#pragma once
#include <vector>

class CSpectrumAnalyzer;

struct GraphRect {
    int left, top, right, bottom;
};

struct GraphPoint {
    int x, y;
};

// Axis types and graph types as the settings store them.
constexpr int kAxisLog = 1, kAxisLinear = 2;
constexpr int kGraphNarrow = 1, kGraphOctave = 2, kGraphThirdOctave = 3;

struct GraphSettings {
    int ampUpper; // dB at the top of the plot
    int ampLower; // dB at the bottom
    int axisType;
    int graphType;
};

struct GraphState {
    int logAxis = 0;
    GraphRect plot = {0, 0, 0, 0};
    // left 0, right the upper frequency in Hz; top the upper amplitude, bottom the lower one.
    GraphRect valueRange = {0, 0, 0, 0};
    double minFrequency = 0.0;
    int channel = 0;
};

struct GraphLayout {
    GraphRect plot;      // where the data are drawn (and clipped)
    GraphRect mouseArea; // the part that answers the mouse: plot without its last text line
    int axisX, axisY;    // the vertical axis's x, the horizontal axis's y
};

// lineHeight: text height plus external leading of the system font; charWidth: its average width.
GraphLayout LayoutGraph(const GraphRect& client, int lineHeight, int charWidth);

struct GridLine {
    int position; // x of a frequency line, y of an amplitude line
    bool solid;
};

struct GraphBar {
    GraphRect rect;
};

// The value under the mouse, or a point of the export.
struct GraphValue {
    double frequency;
    double level;
    int index; // bin, or band
};

class SpectrumGraph {
public:
    // state.plot must be set; the constructor fills the rest of state (the channel stays as the
    // caller set it) and copies the channel's levels.
    SpectrumGraph(const CSpectrumAnalyzer& analyzer, const GraphSettings& settings, GraphState& state);

    double MinFrequency() const { return m_fmin; }
    // The frequencies written under the axis: the edges (narrow band) or the first and last
    // nominal centres (octave views).
    double LowLabel() const;
    double HighLabel() const;

    // Truncated pixel positions; not clamped (the painter clips to the plot).
    int FrequencyToX(double hz) const;
    double XToFrequency(int x) const;
    int LevelToY(double level) const;

    std::vector<GridLine> FrequencyGrid() const;
    std::vector<GridLine> AmplitudeGrid() const;
    // Empty without a result to draw.
    std::vector<GraphPoint> CurvePoints() const;
    std::vector<GraphBar> Bars() const;
    // False when x hits nothing.
    bool ValueAt(int x, GraphValue* value) const;
    // From the lowest frequency: frequency, level, frequency, level ...
    std::vector<double> PointList() const;

private:
    bool Narrow() const { return m_settings.graphType != kGraphOctave && m_settings.graphType != kGraphThirdOctave; }
    int FirstBin() const { return m_logAxis ? 1 : 0; }
    double BinFrequency(int k) const;

    const CSpectrumAnalyzer& m_analyzer;
    GraphSettings m_settings;
    GraphRect m_plot;
    bool m_logAxis;
    double m_fmin = 0.0, m_fmax = 1.0;
    int m_fraction = 1, m_firstBand = 0, m_lastBand = -1;
    std::vector<double> m_levels; // bins 0 .. N/2, or bands first .. last, of the channel
};
