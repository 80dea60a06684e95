#include "MasterStrip.h"

#include "ChangeMasterVolumeCommand.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "DocumentHost.h"
#include "FontSet.h"
#include "MixerLevelText.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "NyControlView.h"
#include "SkinTables.h"
#include "StripParts.h"

#include <algorithm>

namespace {
constexpr int kMeterTop = 132;
constexpr int kMeterOffset = 7;
} // namespace

CMasterStrip::CMasterStrip(CMixerView* view, int image) : CMixerCtrl(view, image)
{
    m_dblClickNeedsFlags = true;
}

void CMasterStrip::SetUp()
{
    CWnd* owner = ViewWindow();
    PlaceChannelLabels(owner, m_image, 18, m_peaks, m_names);
    m_grouping.SetOwner(owner);
    m_grouping.SetSkinImage(68, 4);
    m_grouping.Place(kGrouping, 0, 0, 10, 56);
    m_grouping.SetBackground(m_image);
    m_fader.Place(owner, 0, 0, 77, 129, 15, 204);
    m_fader.SetRange(0, 10000, 10000);
    m_fader.SetKnob(kSkinThumbV, 0, 9, 186);
    m_fader.SetBackground(m_image);
    SetUpLevelLabel(m_levelText, owner, 61, 339, m_image, this, kLevelText);
    m_parts = {&m_peaks[0], &m_peaks[1], &m_grouping, &m_fader, &m_levelText, &m_names[0], &m_names[1]};
}

void CMasterStrip::Refresh()
{
    if (!m_document)
        return;
    m_fader.SetValue(m_document->GetMasterVolume());
    m_levelText.SetText(LevelText(m_fader.GetValue()));
    InvalidatePart(kFader);
    InvalidatePart(kLevelText);
    m_meterChannels = m_document->IsMultichannel() ? 6 : 2;
}

void CMasterStrip::DrawContent(CDC* dc, const RECT& clip)
{
    const bool over = m_pressed == kGrouping && m_hovered == kGrouping;
    const bool lit = m_document && m_document->IsGroupingOn();
    m_grouping.SetFrame((lit ? 4 : 0) + (over ? 2 : 0) + (m_document ? 0 : 1));
    DrawParts(dc, clip);
    DrawChannelMeters(dc, m_meters, m_names, kMeterOffset, m_origin.y, kMeterTop);
}

UINT CMasterStrip::GetTipId(int part)
{
    if (part == kPeakLeft || part == kPeakRight)
        return 22022;
    return part == kGrouping ? 22021 : 0;
}

void CMasterStrip::UpdateMasterLive()
{
    m_levelText.SetText(LevelText(m_fader.GetValue()));
    m_levelText.Draw(nullptr);
    if (m_document)
        m_document->SetMasterVolume(m_fader.GetValue());
}

void CMasterStrip::RecordMasterVolume(int newVolume, int oldVolume, bool run)
{
    if (!m_document || !m_document->GetHistory())
        return;
    auto* command = NewCommand<ChangeMasterVolumeCommand>("Master Volume", m_document, newVolume, oldVolume);
    ComRef<IEditCommand> held(command);
    const HRESULT hr = run ? m_document->GetHistory()->Do(command, TRUE) : m_document->GetHistory()->Add(command, TRUE);
    if (FAILED(hr))
        GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION);
}

void CMasterStrip::OnPartDown(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    if (m_pressed == kFader && m_document)
        m_volumeAtPress = m_document->GetMasterVolume();
}

void CMasterStrip::OnPartDrag(UINT flags, int x, int y)
{
    if (m_pressed == kFader) {
        m_fader.OnMouseMove(flags, x, y);
        UpdateMasterLive();
    } else if (m_pressed == kGrouping) {
        InvalidatePart(kGrouping);
    }
}

void CMasterStrip::OnPartUp(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    switch (m_pressed) {
    case kPeakLeft:
    case kPeakRight:
        ClearPeaks();
        break;
    case kGrouping:
        if (m_hovered == kGrouping && m_document) {
            m_document->EnableGrouping(!m_document->IsGroupingOn());
            InvalidatePart(kGrouping);
        }
        break;
    case kFader:
        UpdateMasterLive();
        if (m_fader.GetValue() != m_volumeAtPress)
            RecordMasterVolume(m_fader.GetValue(), m_volumeAtPress, false);
        break;
    default:
        break;
    }
}

void CMasterStrip::ClearPeaks()
{
    for (int c = 0; c < 2; ++c) {
        m_peaks[c].SetText("-inf.");
        InvalidatePart(c);
    }
}

void CMasterStrip::ApplyText(int part)
{
    if (part != kLevelText || !m_document)
        return;
    const int level = std::max(0, std::min(LevelFromDbText(m_levelText.GetText().c_str()), 10000));
    RecordMasterVolume(level, m_document->GetMasterVolume(), true);
    Refresh();
}

bool CMasterStrip::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_ESCAPE && m_pressed == kFader) {
        m_fader.CancelDrag();
        m_pressed = m_hovered = -1;
        ::ReleaseCapture();
        UpdateMasterLive();
        if (m_view && m_view->m_hWnd)
            ::PostMessageA(m_view->m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_view->m_hWnd), HTCLIENT);
        return true;
    }
    if (!CMixerCtrl::OnKeyDown(key, repeat, flags))
        return false;
    if (m_focused == kFader)
        UpdateMasterLive();
    else if (key == VK_SPACE && m_focused == kGrouping && m_document)
        m_document->EnableGrouping(!m_document->IsGroupingOn());
    return true;
}

void CMasterStrip::CancelDrag()
{
    if (m_pressed != kFader)
        return;
    UpdateMasterLive();
    if (m_fader.GetValue() != m_volumeAtPress)
        RecordMasterVolume(m_fader.GetValue(), m_volumeAtPress, false);
    m_fader.OnLButtonUp(0, 0, 0);
    m_pressed = -1;
}

bool CMasterStrip::DrawMeters(CDC* dc, bool active)
{
    DWORD packed = 0;
    CNyControlView* controller = m_view ? m_view->GetController() : nullptr;
    if (controller)
        controller->GetPlayLevels(&packed);
    const int peaks[2] = {int(packed & 0xFFFF), int(packed >> 16)};
    const bool zero = TickChannelMeters(dc, peaks, m_meters, m_peaks, m_names, kMeterOffset, m_origin.y, kMeterTop);
    m_settled = zero && !active ? 1 : 0;
    return m_settled != 0;
}
