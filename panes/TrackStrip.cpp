#include "TrackStrip.h"

#include "FontSet.h"
#include "MixerLevelText.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "SelectionModel.h"
#include "SkinTables.h"
#include "StripLevelTarget.h"
#include "StripParts.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kImageCollapsed = 61;
constexpr DWORD kFlagCollapsed = 32;
constexpr UINT kNameFormat = 0x18824; // vcentre, single line, no prefix, end ellipsis, modify string

} // namespace

CTrackStrip::CTrackStrip(CMixerView* view, int image, IMtTrack* track, int index)
    : CMixerCtrl(view, image), m_track(ComRef<IMtTrack>::Share(track)), m_index(index)
{
}

void CTrackStrip::SetUp()
{
    CWnd* owner = ViewWindow();
    struct ButtonPlace {
        int image, frames, x, y;
    };
    const ButtonPlace places[6] = {{87, 2, 4, 6}, {71, 4, 8, 51}, {72, 4, 8, 68},
                                   {8, 4, 6, 96}, {9, 4, 26, 96}, {10, 4, 46, 96}};
    for (int i = 0; i < 6; ++i) {
        m_buttons[i].SetOwner(owner);
        m_buttons[i].SetSkinImage(places[i].image, places[i].frames);
        m_buttons[i].Place(i == 0 ? kCollapse : i + 1, 0, 0, places[i].x, places[i].y);
        m_buttons[i].SetBackground(m_image);
    }
    m_name.Place(owner, 0, 0, 7, 31, 58, 14);
    m_name.SetEditMode(1);
    m_name.SetFormat(kNameFormat);
    m_name.SetFont(FontSet::Get(0));
    m_name.SetColor(SkinColorAt(39));
    m_name.SetBackground(m_image);
    m_name.SetNotify(this, kName);

    m_pan.Place(owner, 0, 0, 5, 134, 61, 15);
    m_pan.SetOrientation(1);
    m_pan.SetRange(-10000, 10000, 0);
    m_pan.SetKnob(kSkinThumbH, 10, 0, 44);
    m_pan.SetBackground(m_image);

    m_fader.Place(owner, 0, 0, 30, 156, 15, 176);
    m_fader.SetRange(0, 15000, 10000);
    m_fader.SetKnob(kSkinThumbV, 0, 9, 159);
    m_fader.SetBackground(m_image);

    SetUpLevelLabel(m_volumeText, owner, 15, 339, m_image, this, kVolumeText);

    m_parts = {&m_buttons[0], &m_name,       &m_buttons[1], &m_buttons[2], &m_buttons[3],
               &m_buttons[4], &m_buttons[5], &m_pan,        &m_fader,      &m_volumeText};
}

bool CTrackStrip::IsCollapsed()
{
    return m_document && m_document->GetTrackFlag(m_index, kFlagCollapsed);
}

CSize CTrackStrip::GetSize()
{
    return GetSkinImageSize(IsCollapsed() ? kImageCollapsed : m_image);
}

bool CTrackStrip::IsPartAllowed(int part)
{
    if (part < 0 || !m_document)
        return false;
    if (IsCollapsed() && part != kCollapse)
        return false;
    if (part == kSolo)
        return m_document->HasMultipleGroups() != FALSE;
    if (part == kRecord)
        return m_document->IsEditable() != FALSE;
    return true;
}

int64_t CTrackStrip::LevelPosition()
{
    return m_view ? m_view->LevelPosition() : -1;
}

void CTrackStrip::SetVolumeText(int value)
{
    m_volumeText.SetText(LevelText(value));
}

void CTrackStrip::RefreshVolume()
{
    if (!m_document)
        return;
    if (m_pressed == kFader) {
        SetVolumeText(m_fader.GetValue());
        return;
    }
    if (m_pressed >= 0)
        return;
    const int64_t position = LevelPosition();
    if (position < 0)
        return;
    const int before = m_fader.GetValue();
    const std::string beforeText = m_volumeText.GetText();
    try {
        if (m_document->GetTrackFlag(m_index, kMtFlagWriteEnvelopes))
            if (StripLevelTarget* target = m_view->GetLevelTarget())
                target->DeleteEnvelopePoint(m_index, 0, position);
        m_fader.SetValue(int(m_document->GetTrackLevel(m_index, 0, position) * 10000.0f));
    } catch (...) {
        return;
    }
    SetVolumeText(m_fader.GetValue());
    // Called on every tick of the play timer: what did not move is not drawn again.
    if (m_view && m_view->IsStripOnScreen(this)) {
        if (m_fader.GetValue() != before)
            m_fader.Draw(nullptr);
        if (m_volumeText.GetText() != beforeText)
            m_volumeText.Draw(nullptr);
    }
}

void CTrackStrip::SyncToPosition(int64_t position)
{
    if (!m_document || m_pressed >= 0 || position < 0)
        return;
    const int before = m_pan.GetValue();
    try {
        m_pan.SetValue(int(m_document->GetTrackLevel(m_index, 1, position) * 10000.0f));
    } catch (...) {
        return;
    }
    if (m_pan.GetValue() != before && m_view && m_view->IsStripOnScreen(this))
        m_pan.Draw(nullptr);
}

void CTrackStrip::RefreshName()
{
    if (!m_document)
        return;
    LabelRecord record{};
    m_document->GetLabels().GetTrackLabel(m_index, &record);
    record.name[sizeof record.name - 1] = 0;
    m_name.SetText(record.name);
}

void CTrackStrip::Refresh()
{
    RefreshName();
    RefreshVolume();
    SyncToPosition(LevelPosition());
    if (m_document)
        m_channels = m_document->GetTrackChannels(m_index);
}

int CTrackStrip::ButtonFrame(int part)
{
    const bool over = m_pressed == part && m_hovered == part;
    if (part == kCollapse)
        return (over ? 1 : 0) + (IsCollapsed() ? 2 : 0);
    bool lit = false;
    bool disabled = !IsPartAllowed(part);
    switch (part) {
    case kMute:
        lit = m_document->GetTrackFlag(m_index, kMtFlagMute);
        break;
    case kSolo:
        lit = m_document->GetTrackFlag(m_index, kMtFlagSolo);
        disabled = disabled || m_document->GetTrackCount() < 2;
        break;
    case kRecord:
        lit = m_document->GetTrackFlag(m_index, kMtFlagRecord);
        break;
    case kLead:
        lit = m_document->GetLeadTrack() == m_index;
        break;
    case kGroup:
        lit = m_document->GetTrackGroup(m_index) == m_document->GetTrackGroup(m_document->GetLeadTrack());
        break;
    default:
        break;
    }
    return (lit ? 4 : 0) + (over ? 2 : 0) + (disabled ? 1 : 0);
}

void CTrackStrip::DrawContent(CDC* dc, const RECT& clip)
{
    if (!m_document)
        return;
    if (IsCollapsed()) {
        DrawSkinImage(dc, kImageCollapsed, m_origin.x, m_origin.y);
        m_buttons[0].SetFrame(ButtonFrame(kCollapse));
        m_buttons[0].DrawFrame(dc, kImageCollapsed, m_buttons[0].GetFrame());
        return;
    }
    for (int part : {kCollapse, kLead, kGroup, kMute, kSolo, kRecord})
        static_cast<CPanelElement*>(m_parts[size_t(part)])->SetFrame(ButtonFrame(part));
    DrawParts(dc, clip);
    char number[16];
    std::snprintf(number, sizeof number, "%d", m_index + 1);
    const CSize size = GetSize();
    const int saved = dc->SaveDC();
    if (CFont* font = FontSet::Get(1))
        dc->SelectObject(font->m_hObject);
    dc->SetBkMode(TRANSPARENT);
    CRect top(m_origin.x, m_origin.y, m_origin.x + size.cx, m_origin.y + 22);
    dc->SetTextColor(SkinColorAt(41));
    dc->DrawText(number, -1, &top, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    top.OffsetRect(-1, -1);
    dc->SetTextColor(SkinColorAt(15));
    dc->DrawText(number, -1, &top, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->RestoreDC(saved);
}

UINT CTrackStrip::GetTipId(int part)
{
    switch (part) {
    case kCollapse:
        return 22013;
    case kLead:
        return 22019;
    case kGroup:
        return 22012;
    case kMute:
        return 22014;
    case kSolo:
        return 22015;
    case kRecord:
        return 22016;
    default:
        return 0;
    }
}

void CTrackStrip::OnPartDown(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    StripLevelTarget* target = m_view ? m_view->GetLevelTarget() : nullptr;
    if (m_pressed == kFader && target) {
        int minimum = 0, maximum = 15000;
        target->BeginVolumeChange(m_index, &minimum, &maximum);
        m_fader.SetLimits(minimum, maximum);
        target->SetTrackVolume(m_index, m_fader.GetValue() * 0.0001);
        SetVolumeText(m_fader.GetValue());
        m_volumeText.Draw(nullptr);
    } else if (m_pressed == kPan && target) {
        target->BeginPanChange(m_index);
        target->SetTrackPan(m_index, m_pan.GetValue() * 0.0001);
    } else if ((m_pressed == kLead || m_pressed == kGroup) && m_document->GetLeadTrack() == m_index) {
        m_pressed = -1;
    }
}

void CTrackStrip::OnPartDrag(UINT flags, int x, int y)
{
    StripLevelTarget* target = m_view ? m_view->GetLevelTarget() : nullptr;
    if (m_pressed == kFader) {
        m_fader.OnMouseMove(flags, x, y);
        if (target)
            target->SetTrackVolume(m_index, m_fader.GetValue() * 0.0001);
        SetVolumeText(m_fader.GetValue());
        m_volumeText.Draw(nullptr);
    } else if (m_pressed == kPan) {
        m_pan.OnMouseMove(flags, x, y);
        if (target)
            target->SetTrackPan(m_index, m_pan.GetValue() * 0.0001);
    } else if (m_pressed >= 0) {
        InvalidatePart(m_pressed);
    }
}

void CTrackStrip::ButtonAction(int part, bool shift)
{
    switch (part) {
    case kCollapse:
        if (m_view)
            m_view->ToggleTrackCollapse(m_index);
        break;
    case kLead:
        m_document->SetLeadTrack(m_index);
        break;
    case kGroup: {
        const int lead = m_document->GetLeadTrack();
        m_document->AssignGroupToLeadTrack(m_index,
                                           m_document->GetTrackGroup(lead) != m_document->GetTrackGroup(m_index));
        break;
    }
    case kMute:
        m_document->SetTrackMute(shift ? -1 : m_index, !m_document->GetTrackFlag(m_index, kMtFlagMute));
        break;
    case kSolo:
        m_document->SetTrackSolo(m_index, !m_document->GetTrackFlag(m_index, kMtFlagSolo));
        break;
    case kRecord:
        m_document->SetTrackRecord(m_index, !m_document->GetTrackFlag(m_index, kMtFlagRecord));
        break;
    default:
        break;
    }
    if (m_view)
        m_view->InvalidateAll();
}

void CTrackStrip::OnPartUp(UINT flags, int x, int y)
{
    (void)x, (void)y;
    StripLevelTarget* target = m_view ? m_view->GetLevelTarget() : nullptr;
    if (m_pressed == kFader) {
        if (target) {
            target->SetTrackVolume(m_index, m_fader.GetValue() * 0.0001);
            target->EndVolumeChange(m_index);
        }
        m_fader.ResetLimits();
        return;
    }
    if (m_pressed == kPan) {
        if (target) {
            target->SetTrackPan(m_index, m_pan.GetValue() * 0.0001);
            target->EndPanChange(m_index);
        }
        return;
    }
    if (m_pressed >= 0 && m_pressed == m_hovered && m_pressed != kName && m_pressed != kVolumeText)
        ButtonAction(m_pressed, (flags & MK_SHIFT) != 0);
}

void CTrackStrip::CancelDrag()
{
    StripLevelTarget* target = m_view ? m_view->GetLevelTarget() : nullptr;
    if (m_pressed == kPan) {
        if (target)
            target->EndPanChange(m_index);
    } else if (m_pressed == kFader) {
        if (target)
            target->EndVolumeChange(m_index);
    } else {
        return;
    }
    POINT cursor{0, 0};
    m_parts[size_t(m_pressed)]->OnLButtonUp(0, cursor.x, cursor.y);
    m_pressed = -1;
    m_hovered = -1;
}

bool CTrackStrip::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    StripLevelTarget* target = m_view ? m_view->GetLevelTarget() : nullptr;
    if (key == VK_ESCAPE && (m_pressed == kFader || m_pressed == kPan)) {
        // A drag given up: the track goes back to the value it had at the press.
        if (target)
            target->CancelLiveChange(m_index);
        CSliderElement& slider = m_pressed == kFader ? m_fader : m_pan;
        slider.CancelDrag();
        slider.ResetLimits();
        if (m_pressed == kFader) {
            SetVolumeText(m_fader.GetValue());
            m_volumeText.Draw(nullptr);
        }
        ::ReleaseCapture();
        m_pressed = -1;
        m_hovered = -1;
        if (m_view && m_view->m_hWnd)
            ::PostMessageA(m_view->m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_view->m_hWnd), HTCLIENT);
        return true;
    }
    if (key == VK_SPACE && (m_focused == kMute || m_focused == kSolo || m_focused == kRecord) &&
        !IsPartAllowed(m_focused))
        return true;
    if (!CMixerCtrl::OnKeyDown(key, repeat, flags))
        return false;
    if (key == VK_SPACE && m_focused >= 0) {
        if (m_focused == kCollapse) {
            m_document->SetTrackFlag(m_index, kFlagCollapsed, !IsCollapsed());
            m_document->UpdateMixer();
        } else if (m_focused >= kLead && m_focused <= kRecord) {
            ButtonAction(m_focused, false);
        }
    }
    if (target && m_focused == kFader && key != VK_SPACE) {
        if (!m_pendingVolume) {
            int minimum = 0, maximum = 15000;
            target->BeginVolumeChange(m_index, &minimum, &maximum);
            m_pendingVolume = true;
        }
        target->SetTrackVolume(m_index, m_fader.GetValue() * 0.0001);
        SetVolumeText(m_fader.GetValue());
        m_volumeText.Draw(nullptr);
        m_fader.ResetLimits();
    } else if (target && m_focused == kPan && key != VK_SPACE) {
        if (!m_pendingPan) {
            target->BeginPanChange(m_index);
            m_pendingPan = true;
        }
        target->SetTrackPan(m_index, m_pan.GetValue() * 0.0001);
    }
    return true;
}

bool CTrackStrip::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    StripLevelTarget* target = m_view ? m_view->GetLevelTarget() : nullptr;
    if (target && (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN)) {
        if (m_pendingVolume)
            target->EndVolumeChange(m_index);
        if (m_pendingPan)
            target->EndPanChange(m_index);
        m_pendingVolume = m_pendingPan = false;
    }
    return CMixerCtrl::OnKeyUp(key, repeat, flags);
}

void CTrackStrip::ApplyText(int part)
{
    if (!m_document)
        return;
    StripLevelTarget* target = m_view ? m_view->GetLevelTarget() : nullptr;
    if (part == kVolumeText && target) {
        int minimum = 0, maximum = 15000;
        target->BeginVolumeChange(m_index, &minimum, &maximum);
        int level = LevelFromDbText(m_volumeText.GetText().c_str());
        level = std::max(minimum, std::min(level, maximum));
        target->SetTrackVolume(m_index, level * 0.0001);
        target->EndVolumeChange(m_index);
        m_fader.SetValue(level);
        SetVolumeText(level);
        if (m_view && m_view->m_hWnd)
            ::InvalidateRect(m_view->m_hWnd, nullptr, FALSE);
    } else if (part == kName) {
        if (m_view)
            m_view->RenameTrack(m_index, m_name.GetText().c_str());
        RefreshName();
        if (m_view && m_view->m_hWnd)
            ::InvalidateRect(m_view->m_hWnd, nullptr, FALSE);
    }
}

bool CTrackStrip::SetCursor(CWnd* window, UINT hitTest, UINT message)
{
    (void)window, (void)hitTest, (void)message;
    const char* name = nullptr;
    if (m_hovered == kFader)
        name = m_hitKind == 1 ? "CUR_SLIDE_HD_V" : "CUR_SLIDE_AV";
    else if (m_hovered == kPan)
        name = m_hitKind == 1 ? "CUR_SLIDE_HD_H" : "CUR_SLIDE_AR";
    if (!name)
        return false;
    HCURSOR cursor = ::LoadCursorA(::GetModuleHandleA(nullptr), name);
    if (!cursor)
        return false;
    ::SetCursor(cursor);
    return true;
}
