#include "RecordStrip.h"

#include "ErrorText.h"
#include "StripParts.h"
#include "MixerLevelText.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"
#include "NyControlView.h"
#include "Settings.h"
#include "SkinTables.h"

namespace {
constexpr int kMeterTop = 132;
constexpr int kMeterOffset = 9;
constexpr HRESULT kErrArmedChannels = static_cast<HRESULT>(0x83E80843);
} // namespace

CRecordStrip::CRecordStrip(CMixerView* view, int image) : CMixerCtrl(view, image)
{
    m_dblClickNeedsFlags = true;
}

void CRecordStrip::SetUp()
{
    CWnd* owner = ViewWindow();
    PlaceChannelLabels(owner, m_image, 7, m_peaks, m_names);
    struct Place {
        int image, x, y, part;
    };
    const Place places[3] = {{70, 9, 44, kStereo}, {69, 9, 67, kMono}, {73, 10, 360, kMonitor}};
    for (int i = 0; i < 3; ++i) {
        m_buttons[i].SetOwner(owner);
        m_buttons[i].SetSkinImage(places[i].image, 4);
        m_buttons[i].Place(places[i].part, 0, 0, places[i].x, places[i].y);
        m_buttons[i].SetBackground(m_image);
    }
    m_fader.Place(owner, 0, 0, 60, 129, 15, 204);
    m_fader.SetRange(0, 10000, 10000);
    m_fader.SetKnob(kSkinThumbV, 0, 9, 186);
    m_fader.SetBackground(m_image);
    m_parts = {&m_peaks[0], &m_peaks[1],   &m_buttons[0], &m_buttons[1],
               &m_fader,    &m_buttons[2], &m_names[0],   &m_names[1]};
}

void CRecordStrip::Refresh()
{
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    const bool hasVolume = controller && controller->HasRecordVolume();
    if (hasVolume) {
        m_fader.SetRange(0, 10000, 10000);
        m_fader.SetKnob(kSkinThumbV, -1, -1, -1);
    } else {
        m_fader.SetRange(0, 0, 10000);
        m_fader.SetKnob(kSkinThumbVDim, -1, -1, -1);
    }
    m_fader.SetEnabled(hasVolume);
    m_fader.SetValue(controller ? controller->GetRecordVolume() : 10000);
    InvalidatePart(kFader);
}

bool CRecordStrip::IsPartAllowed(int part)
{
    if (part == kPeakLeft || part == kPeakRight)
        return true;
    CElementBase* element = Part(part);
    return element && element->IsVisible() && element->IsEnabled();
}

int CRecordStrip::RecordChannels()
{
    if (m_document && m_document->GetTrackSet()) {
        WORD channels = 2;
        if (SUCCEEDED(m_document->GetTrackSet()->GetRecordChannels(&channels)))
            return channels;
        return 2;
    }
    return GetSettingInt("Settings", "DefaultRecChannels", 2);
}

void CRecordStrip::DrawContent(CDC* dc, const RECT& clip)
{
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    const int channels = RecordChannels();
    const bool lit[3] = {channels == 2, channels == 1, controller && controller->IsMonitoring()};
    const int parts[3] = {kStereo, kMono, kMonitor};
    for (int i = 0; i < 3; ++i) {
        const bool over = m_pressed == parts[i] && m_hovered == parts[i];
        m_buttons[i].SetFrame((lit[i] ? 4 : 0) + (over ? 2 : 0));
    }
    DrawParts(dc, clip);
    DrawChannelMeters(dc, m_meters, m_names, kMeterOffset, m_origin.y, kMeterTop);
}

UINT CRecordStrip::GetTipId(int part)
{
    switch (part) {
    case kPeakLeft:
    case kPeakRight:
        return 22022;
    case kStereo:
        return 22023;
    case kMono:
        return 22024;
    case kMonitor:
        return 22025;
    default:
        return 0;
    }
}

void CRecordStrip::SetLevel(int value)
{
    if (!m_fader.SetValue(value))
        return;
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    if (controller)
        controller->SetRecordVolume(m_fader.GetValue());
    m_fader.Draw(nullptr);
}

void CRecordStrip::SetRecordChannels(int channels)
{
    if (RecordChannels() == channels)
        return;
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    if (m_document && m_document->GetTrackSet()) {
        for (int i = 0; i < m_document->GetTrackCount(); ++i) {
            if (m_document->GetTrackFlag(i, kMtFlagRecord) && m_document->GetTrackExtent(i, 0) != 0 &&
                m_document->GetTrackChannels(i) != channels) {
                ErrorText text(GetResourceModule());
                ::MessageBoxA(m_view ? m_view->m_hWnd : nullptr, text.GetText(kErrArmedChannels), nullptr,
                              MB_OK | MB_ICONEXCLAMATION);
                return;
            }
        }
        m_document->GetTrackSet()->SetRecordChannels(WORD(channels));
        m_document->RefreshController();
    } else {
        SetSettingInt("Settings", "DefaultRecChannels", channels);
    }
    if (controller) {
        controller->CheckRecordFormat();
        controller->UpdateDisplay();
    }
    InvalidatePart(kStereo);
    InvalidatePart(kMono);
}

void CRecordStrip::OnPartDown(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    if (m_pressed == kFader) {
        SetLevel(m_fader.GetValue());
    } else if ((m_pressed == kStereo || m_pressed == kMono) && controller && controller->IsRecording()) {
        m_pressed = m_hovered = m_focused = -1;
    }
}

void CRecordStrip::OnPartDrag(UINT flags, int x, int y)
{
    if (m_pressed == kFader) {
        m_fader.OnMouseMove(flags, x, y);
        SetLevel(m_fader.GetValue());
    } else if (m_pressed == kStereo || m_pressed == kMono) {
        InvalidatePart(m_pressed);
    }
}

void CRecordStrip::OnPartUp(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    switch (m_pressed) {
    case kPeakLeft:
    case kPeakRight:
        for (int c = 0; c < 2; ++c) {
            m_peaks[c].SetText("-inf.");
            InvalidatePart(c);
        }
        break;
    case kStereo:
        SetRecordChannels(2);
        break;
    case kMono:
        SetRecordChannels(1);
        break;
    case kFader:
        SetLevel(m_fader.GetValue());
        break;
    case kMonitor:
        if (controller) {
            controller->SetupMonitoring();
            InvalidatePart(kMonitor);
        }
        break;
    default:
        break;
    }
}

void CRecordStrip::OnRButtonUp(UINT flags, int x, int y)
{
    int part = -1;
    HitTest(POINT{x, y}, &part);
    if (part == kFader)
        m_fader.OnLButtonDblClk(flags, x, y);
}

bool CRecordStrip::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_ESCAPE && m_pressed == kFader) {
        m_fader.CancelDrag();
        m_pressed = m_hovered = -1;
        ::ReleaseCapture();
        return true;
    }
    if (!CMixerCtrl::OnKeyDown(key, repeat, flags))
        return false;
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    if (m_focused == kFader) {
        SetLevel(m_fader.GetValue());
    } else if (key == VK_SPACE && (m_focused == kStereo || m_focused == kMono)) {
        if (!controller || !controller->IsRecording())
            SetRecordChannels(RecordChannels() == 1 ? 2 : 1);
    } else if (key == VK_SPACE && m_focused == kMonitor && controller) {
        controller->SetupMonitoring();
        InvalidatePart(kMonitor);
    }
    return true;
}

void CRecordStrip::CancelDrag()
{
    if (m_pressed != kFader)
        return;
    SetLevel(m_fader.GetValue());
    m_fader.OnLButtonUp(0, 0, 0);
    m_pressed = -1;
}

bool CRecordStrip::DrawMeters(CDC* dc, bool active)
{
    LONG peaks[2] = {0, 0};
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    if (controller)
        controller->GetRecordLevels(&peaks[0], &peaks[1]);
    const int levels[2] = {int(peaks[0]), int(peaks[1])};
    const bool zero = TickChannelMeters(dc, levels, m_meters, m_peaks, m_names, kMeterOffset, m_origin.y, kMeterTop);
    m_settled = zero && !active ? 1 : 0;
    return m_settled != 0;
}
