#include "FrequencyGraphPaint.h"

#include "FrequencyAnalyzer.h"

#include <cstdio>
#include <vector>

namespace {

const COLORREF kGridColour = RGB(192, 192, 192);

class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectedObject() { ::SelectObject(m_dc, m_old); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

class Pen {
public:
    Pen(int style, COLORREF colour) : m_pen(::CreatePen(style, 1, colour)) {}
    ~Pen() { ::DeleteObject(m_pen); }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;
    HPEN Get() const { return m_pen; }

private:
    HPEN m_pen;
};

SIZE TextSize(HDC dc, const char* text)
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(dc, text, int(strlen(text)), &size);
    return size;
}

void TextAt(HDC dc, int x, int y, const char* text)
{
    ::TextOutA(dc, x, y, text, int(strlen(text)));
}

} // namespace

GraphMetrics SystemFontMetrics(HDC dc)
{
    SelectedObject font(dc, ::GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    return {int(metrics.tmHeight + metrics.tmExternalLeading), int(metrics.tmAveCharWidth)};
}

void PaintSpectrumGraph(HDC dc, const RECT& client, const CSpectrumAnalyzer& analyzer, const GraphSettings& settings,
                        bool drawData, COLORREF dataColour, GraphState& state)
{
    const GraphMetrics metrics = SystemFontMetrics(dc);
    const GraphLayout layout =
        LayoutGraph({client.left, client.top, client.right, client.bottom}, metrics.lineHeight, metrics.charWidth);
    state.plot = layout.plot;
    const SpectrumGraph graph(analyzer, settings, state);
    const RECT plot = {layout.plot.left, layout.plot.top, layout.plot.right, layout.plot.bottom};

    // Grid first, then the axes over it.
    {
        Pen solid(PS_SOLID, kGridColour), dotted(PS_DOT, kGridColour);
        SelectedObject keep(dc, solid.Get());
        ::SetBkMode(dc, TRANSPARENT);
        for (const GridLine& line : graph.FrequencyGrid()) {
            ::SelectObject(dc, line.solid ? solid.Get() : dotted.Get());
            ::MoveToEx(dc, line.position, plot.top, nullptr);
            ::LineTo(dc, line.position, plot.bottom);
        }
        for (const GridLine& line : graph.AmplitudeGrid()) {
            ::SelectObject(dc, line.solid ? solid.Get() : dotted.Get());
            ::MoveToEx(dc, plot.left, line.position, nullptr);
            ::LineTo(dc, plot.right, line.position);
        }
    }
    {
        SelectedObject pen(dc, ::GetStockObject(BLACK_PEN));
        ::MoveToEx(dc, layout.axisX, plot.top, nullptr);
        ::LineTo(dc, layout.axisX, layout.axisY);
        ::LineTo(dc, plot.right, layout.axisY);
    }

    SelectedObject font(dc, ::GetStockObject(SYSTEM_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    char text[64];
    const int labelRight = layout.axisX - metrics.charWidth / 2;
    const int textHeight = TextSize(dc, "dB").cy;
    auto rightAligned = [&](const char* label, int centreY) {
        TextAt(dc, labelRight - TextSize(dc, label).cx, centreY - textHeight / 2, label);
    };
    rightAligned("dB", (plot.top + plot.bottom) / 2);
    std::snprintf(text, sizeof text, "%d", settings.ampUpper);
    rightAligned(text, plot.top);
    std::snprintf(text, sizeof text, "%d", settings.ampLower);
    rightAligned(text, plot.bottom);
    const int labelTop = layout.axisY + 1;
    std::snprintf(text, sizeof text, "%.2f", graph.LowLabel());
    TextAt(dc, layout.axisX, labelTop, text);
    std::snprintf(text, sizeof text, "%.2f", graph.HighLabel());
    TextAt(dc, plot.right - 2 * TextSize(dc, text).cx / 3, labelTop, text);
    TextAt(dc, (layout.axisX + plot.right - TextSize(dc, "Hz").cx) / 2, labelTop, "Hz");

    if (!drawData)
        return;
    HRGN clip = ::CreateRectRgnIndirect(&plot);
    ::SelectClipRgn(dc, clip);
    Pen data(PS_SOLID, dataColour);
    SelectedObject pen(dc, data.Get());
    const std::vector<GraphPoint> points = graph.CurvePoints();
    if (points.size() > 1) {
        std::vector<POINT> line(points.size());
        for (size_t i = 0; i < points.size(); ++i)
            line[i] = {points[i].x, points[i].y};
        ::Polyline(dc, line.data(), int(line.size()));
    }
    SelectedObject brush(dc, ::GetStockObject(NULL_BRUSH));
    for (const GraphBar& bar : graph.Bars())
        ::Rectangle(dc, bar.rect.left, bar.rect.top, bar.rect.right, bar.rect.bottom);
    ::SelectClipRgn(dc, nullptr);
    ::DeleteObject(clip);
}
