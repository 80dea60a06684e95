// Draws the spectrum graph into a device context: white ground with a sunken edge, the axes and
// their labels in the system font, the light grey grid, and (when drawData) the channel's curve
// or bars in dataColour, clipped to the plot.
#pragma once
#include "FrequencyGraph.h"

#include <windows.h>

struct GraphMetrics {
    int lineHeight; // text height plus external leading of the system font
    int charWidth;  // its average character width
};
GraphMetrics SystemFontMetrics(HDC dc);

// state.channel chooses the channel; the rest of state is filled.
void PaintSpectrumGraph(HDC dc, const RECT& client, const CSpectrumAnalyzer& analyzer, const GraphSettings& settings,
                        bool drawData, COLORREF dataColour, GraphState& state);
