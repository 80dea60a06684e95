// Parts the mixer strips share: the peak and channel-name labels of the master and recording
// strips with their meters, and the dB label under a fader.
#pragma once
#include "TextElement.h"

// Channel c's peak label and name label of a strip whose first column lies at x0.
void PlaceChannelLabels(CWnd* owner, int image, int x0, CTextElement peaks[2], CTextElement names[2]);
// A fader's dB label: in-place editor, program font 0, skin colour 16; it tells target with id.
void SetUpLevelLabel(CTextElement& label, CWnd* owner, int x, int y, int image, IElementNotify* target, int id);
// The two meter bars (image 76, lit from the bottom by level / 32767) at barOffset right of each
// channel's name label, top pixels below the strip's origin.
void DrawChannelMeters(CDC* dc, const int meters[2], CTextElement names[2], int barOffset, int originY, int top);
// One meter tick: the meters follow the peaks, the peak labels only rise, the bars are drawn;
// true when both meters are at 0.
bool TickChannelMeters(CDC* dc, const int peaks[2], int meters[2], CTextElement peakLabels[2], CTextElement names[2],
                       int barOffset, int originY, int top);
