#include "StripParts.h"

#include "FontSet.h"
#include "MixerLevelText.h"
#include "SkinTables.h"

#include <algorithm>

namespace {

constexpr int kMeterImage = 76;

void DrawMeterBar(CDC* dc, int x, int y, int level)
{
    const CSize image = GetSkinImageSize(kMeterImage);
    const int width = image.cx / 2 - 1;
    level = std::max(0, std::min(level, 32767));
    const int lit = int(image.cy * double(level) * (1.0 / 32767.0));
    const int unlit = image.cy - lit;
    DrawSkinImagePart(dc, kMeterImage, x, y, image.cx / 2, 0, width, unlit);
    DrawSkinImagePart(dc, kMeterImage, x, y + unlit, 0, unlit, width, lit);
}

} // namespace

void PlaceChannelLabels(CWnd* owner, int image, int x0, CTextElement peaks[2], CTextElement names[2])
{
    for (int c = 0; c < 2; ++c) {
        const int x = x0 + 20 * c;
        peaks[c].Place(owner, 0, 0, c == 0 ? x - 3 : x - 5, c == 0 ? 333 : 344, 26, 12);
        peaks[c].SetFont(FontSet::Get(3));
        peaks[c].SetFormat(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        peaks[c].SetText("-inf.");
        names[c].Place(owner, 0, 0, x, 112, 20, 16);
        names[c].SetFont(FontSet::Get(6));
        names[c].SetFormat(DT_CENTER);
        names[c].SetText(c == 0 ? "L" : "R");
        for (CTextElement* label : {&peaks[c], &names[c]}) {
            label->SetColor(SkinColorAt(54));
            label->SetBackground(image);
            label->SetReadOnly(true);
            label->SetEditMode(1);
        }
    }
}

void SetUpLevelLabel(CTextElement& label, CWnd* owner, int x, int y, int image, IElementNotify* target, int id)
{
    label.Place(owner, 0, 0, x, y, 43, 14);
    label.SetEditMode(0);
    label.SetFont(FontSet::Get(0));
    label.SetColor(SkinColorAt(16));
    label.SetBackground(image);
    label.SetNotify(target, id);
}

void DrawChannelMeters(CDC* dc, const int meters[2], CTextElement names[2], int barOffset, int originY, int top)
{
    if (!dc)
        return;
    for (int c = 0; c < 2; ++c)
        DrawMeterBar(dc, names[c].ScreenRect().left + barOffset, originY + top, meters[c]);
}

bool TickChannelMeters(CDC* dc, const int peaks[2], int meters[2], CTextElement peakLabels[2], CTextElement names[2],
                       int barOffset, int originY, int top)
{
    for (int c = 0; c < 2; ++c) {
        meters[c] = NextMeterValue(meters[c], peaks[c]);
        std::string text = peakLabels[c].GetText();
        if (RaisePeakText(text, meters[c])) {
            peakLabels[c].SetText(text);
            if (dc)
                peakLabels[c].Draw(dc);
        }
    }
    DrawChannelMeters(dc, meters, names, barOffset, originY, top);
    return meters[0] == 0 && meters[1] == 0;
}
