#include "NyEffectFrame.h"

#include "EffectIds.h"

IMPLEMENT_DYNCREATE(CNyEffectFrame, CNyMiniFrame)

BOOL CNyEffectFrame::Create(CWnd* parent)
{
    InitCaption(kCaptionFlags);
    CString title;
    title.LoadString(IDS_EFFECT_LAUNCHER);
    return CNyMiniFrame::Create(nullptr, title, kFrameStyle, CRect(0, 0, 0, 0), parent, 0);
}
