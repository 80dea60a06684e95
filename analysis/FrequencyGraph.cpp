#include "FrequencyGraph.h"

#include "FrequencyAnalyzer.h"

#include <cmath>
#include <cstdlib>

GraphLayout LayoutGraph(const GraphRect& client, int lineHeight, int charWidth)
{
    GraphLayout layout;
    layout.axisX = client.left + 6 * charWidth;
    layout.axisY = client.bottom - lineHeight - 1;
    layout.plot = {layout.axisX + 1, client.top + lineHeight, client.right - 4 * charWidth, layout.axisY};
    layout.mouseArea = layout.plot;
    layout.mouseArea.bottom = client.bottom - 2 * lineHeight - 1;
    return layout;
}

SpectrumGraph::SpectrumGraph(const CSpectrumAnalyzer& analyzer, const GraphSettings& settings, GraphState& state)
    : m_analyzer(analyzer), m_settings(settings), m_plot(state.plot), m_logAxis(settings.axisType == kAxisLog)
{
    const int rate = analyzer.GetSampleRate(), n = analyzer.GetFftSize();
    const int channels = analyzer.GetChannels() < 1 ? 1 : analyzer.GetChannels();
    const int channel = state.channel >= 0 && state.channel < channels ? state.channel : 0;
    if (Narrow()) {
        m_fmin = m_logAxis ? double(rate) / n : 0.0;
        m_fmax = rate / 2.0;
        if (const double* power = analyzer.GetPowerSpectrum()) {
            m_levels.resize(size_t(n / 2 + 1));
            for (int k = 0; k <= n / 2; ++k)
                m_levels[k] = 10.0 * std::log10(power[size_t(k) * channels + channel]);
        }
    } else {
        const bool octave = settings.graphType == kGraphOctave;
        m_fraction = octave ? 1 : 3;
        m_firstBand = octave ? analyzer.GetOctaveFirst() : analyzer.GetThirdOctaveFirst();
        m_lastBand = octave ? analyzer.GetOctaveLast() : analyzer.GetThirdOctaveLast();
        const double edge = octave ? std::sqrt(2.0) : std::pow(2.0, 1.0 / 6.0);
        m_fmin = CSpectrumAnalyzer::BandCentre(m_firstBand, m_fraction) / edge;
        m_fmax = CSpectrumAnalyzer::BandCentre(m_lastBand, m_fraction) * edge;
        if (const double* bands = octave ? analyzer.GetOctaveBands() : analyzer.GetThirdOctaveBands()) {
            for (int b = m_firstBand; b <= m_lastBand; ++b)
                m_levels.push_back(10.0 * std::log10(bands[size_t(b - m_firstBand) * channels + channel]));
        }
    }
    state.logAxis = m_logAxis ? 1 : 0;
    state.valueRange = {0, settings.ampUpper, int(m_fmax), settings.ampLower};
    state.minFrequency = m_fmin;
}

double SpectrumGraph::BinFrequency(int k) const
{
    return double(k) * m_analyzer.GetSampleRate() / m_analyzer.GetFftSize();
}

double SpectrumGraph::LowLabel() const
{
    return Narrow() ? m_fmin : CSpectrumAnalyzer::BandCentre(m_firstBand, m_fraction);
}

double SpectrumGraph::HighLabel() const
{
    return Narrow() ? m_fmax : CSpectrumAnalyzer::BandCentre(m_lastBand, m_fraction);
}

int SpectrumGraph::FrequencyToX(double hz) const
{
    if (hz <= m_fmin)
        return m_plot.left;
    const double width = std::abs(m_plot.right - m_plot.left);
    double share;
    if (m_logAxis) {
        const double low = m_fmin > 0.0 ? std::log10(m_fmin) : 0.0;
        share = (std::log10(hz) - low) / (std::log10(m_fmax) - low);
    } else {
        share = (hz - m_fmin) / (m_fmax - m_fmin);
    }
    return m_plot.left + int(width * share);
}

double SpectrumGraph::XToFrequency(int x) const
{
    if (x <= m_plot.left)
        return 0.0;
    const double share = double(x - m_plot.left) / std::abs(m_plot.right - m_plot.left);
    if (m_logAxis) {
        const double low = m_fmin > 0.0 ? std::log10(m_fmin) : 0.0;
        return std::pow(10.0, low + share * (std::log10(m_fmax) - low));
    }
    return m_fmin + share * (m_fmax - m_fmin);
}

int SpectrumGraph::LevelToY(double level) const
{
    const int span = std::abs(m_settings.ampLower - m_settings.ampUpper);
    return m_plot.top + int((m_settings.ampUpper - level) * std::abs(m_plot.bottom - m_plot.top) / (span ? span : 1));
}

std::vector<GridLine> SpectrumGraph::FrequencyGrid() const
{
    std::vector<GridLine> lines;
    const double nyquist = m_analyzer.GetSampleRate() / 2.0;
    if (m_logAxis) {
        for (double decade = 1.0; decade < nyquist; decade *= 10.0)
            for (int step = 1; step < 10 && step * decade < nyquist; ++step)
                lines.push_back({FrequencyToX(step * decade), step == 1});
    } else {
        for (int hz = 0; hz < nyquist; hz += 1000)
            lines.push_back({FrequencyToX(hz), hz % 5000 == 0});
    }
    return lines;
}

std::vector<GridLine> SpectrumGraph::AmplitudeGrid() const
{
    std::vector<GridLine> lines;
    for (int g = m_settings.ampUpper / 10 * 10; g > m_settings.ampLower; g -= 10)
        lines.push_back({LevelToY(g), g % 50 == 0});
    return lines;
}

std::vector<GraphPoint> SpectrumGraph::CurvePoints() const
{
    std::vector<GraphPoint> points;
    if (!Narrow())
        return points;
    for (int k = FirstBin(); k < int(m_levels.size()); ++k)
        points.push_back({FrequencyToX(BinFrequency(k)), LevelToY(m_levels[k])});
    return points;
}

std::vector<GraphBar> SpectrumGraph::Bars() const
{
    std::vector<GraphBar> bars;
    if (Narrow())
        return bars;
    const double edge = m_fraction == 1 ? std::sqrt(2.0) : std::pow(2.0, 1.0 / 6.0);
    int left = FrequencyToX(CSpectrumAnalyzer::BandCentre(m_firstBand, m_fraction) / edge);
    for (size_t i = 0; i < m_levels.size(); ++i) {
        int right = FrequencyToX(CSpectrumAnalyzer::BandCentre(m_firstBand + int(i), m_fraction) * edge);
        if (right == left)
            ++right;
        bars.push_back({{left, LevelToY(m_levels[i]), right, m_plot.bottom}});
        left = right - 1;
    }
    return bars;
}

bool SpectrumGraph::ValueAt(int x, GraphValue* value) const
{
    if (Narrow()) {
        int previous = 0;
        for (int k = FirstBin(); k < int(m_levels.size()); ++k) {
            const int at = FrequencyToX(BinFrequency(k));
            if (at >= x && previous < x) {
                const double hz = BinFrequency(k);
                *value = {hz == 0.0 ? m_fmin : hz, m_levels[k], k};
                return true;
            }
            previous = at;
        }
        return false;
    }
    const std::vector<GraphBar> bars = Bars();
    for (size_t i = 0; i < bars.size(); ++i)
        if (bars[i].rect.left <= x && x < bars[i].rect.right) {
            const int band = m_firstBand + int(i);
            *value = {CSpectrumAnalyzer::BandCentre(band, m_fraction), m_levels[i], band};
            return true;
        }
    return false;
}

std::vector<double> SpectrumGraph::PointList() const
{
    std::vector<double> list;
    if (Narrow()) {
        for (int k = FirstBin(); k < int(m_levels.size()); ++k) {
            const double hz = BinFrequency(k);
            list.push_back(hz == 0.0 ? m_fmin : hz);
            list.push_back(m_levels[k]);
        }
    } else {
        for (size_t i = 0; i < m_levels.size(); ++i) {
            list.push_back(CSpectrumAnalyzer::BandCentre(m_firstBand + int(i), m_fraction));
            list.push_back(m_levels[i]);
        }
    }
    return list;
}
