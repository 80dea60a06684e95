// CAmplitudeScalePane: the view's child 105, the strip between the track headers and the
// track area. Per track a scale with marks per channel row, the envelope scales when those
// envelopes are shown, and a readout per row of the sample value at the play or edit
// position. It also owns the mixer's live volume and pan changes: one begin, any number of
// sets, one end (or a cancel), recorded as one undoable step; grouped tracks follow.
#pragma once
#include "AmplitudeScaleCore.h"
#include "BaseWin.h"
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "EnvelopeEditor.h"
#include "MemoryDC.h"

#include <cstdint>
#include <memory>
#include <vector>

class CNyMultiTrackView;
class CNyMultiTrackDoc;

class CAmplitudeScalePane : public CBaseWin {
public:
    CAmplitudeScalePane() = default;
    ~CAmplitudeScalePane() override;
    BOOL Create(CWnd* parent, UINT id);
    void Attach();

    // Units word (only its amplitude byte counts); hint < 0 signed display on, > 0 off.
    void SetUnits(uint32_t units, int signHint);
    void CalcWidth();
    int GetLabelAreaWidth() const { return m_readoutWidth + 10; }
    int GetUnitInfo(int32_t* offset, int64_t* range) const;
    const AmplitudeUnits& Units() const { return m_units; }
    // The readout box of one channel row (dc null: the pane's own).
    void FormatScaleLabel(HDC dc, int row);
    RECT GetTrackRect(int track);

    // Live changes of the mixer's strips. Bounds come back in 1/10000 of unity.
    void BeginVolumeChange(int track, int* lower, int* upper);
    int SetTrackVolume(int track, float value);
    void EndVolumeChange(int track);
    void BeginPanChange(int track);
    int SetTrackPan(int track, float value);
    void EndPanChange(int track);
    // Brings the track and its group back and leaves nothing in the history.
    void CancelLiveChange();
    // While a change writes a track's envelope (track flag 128): the points of the kind that
    // playback passed since the last call go into the open step. Thrown as E_FAIL when they
    // cannot go.
    void DeleteEnvelopePoint(int track, int kind, int64_t position);
    float GetUpperBound() const { return m_upper; }

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

private:
    bool Bind();
    void DrawTrackScale(HDC dc, int track);
    void Begin(int track, int mode, const char* name);
    int SetLiveValue(int mode, int track, float value);
    void End(int track);
    void SnapshotValues();
    void Apply(int track, float value);
    void ApplyToGroup();
    std::vector<int> GroupMembers(int track);
    float ReadValue(int track);
    bool WritesEnvelope(int track);
    // The position a written value lands on: playback's, else the end of the selection.
    int64_t WritePosition();
    bool BeginEnvelopeEdit(int track, int kind);
    void EndEnvelopeEdit(int track, int kind);
    // The live editors closed and track flag 64 given back, after an end or a cancel.
    void FinishEnvelopeWrite(int track);
    // Before a gesture's first point on a track, a point just ahead of where the gesture began
    // that keeps the level the track had there.
    void HoldLevelBeforeGesture(int track, CEnvelopeEditor& editor, ICommandList* step);

    std::vector<float> m_startValues;
    float m_currentValue = 0;
    float m_startValue = 0;
    float m_upper = 0;
    float m_lower = 0;
    AmplitudeUnits m_units;
    int m_restoreFlag = 0;
    int m_idleAtStart = 0;
    uint32_t m_unitWord = 0x100;
    short m_readoutHeight = 0;
    short m_readoutWidth = 0;
    // One buffer for the readouts, drawn again for every row at every tick of playback.
    MemoryDC m_readoutBuffer;
    SIZE m_readoutBufferSize{0, 0};
    int m_changeMode = 0;
    int m_changedTrack = -1;
    CNyMultiTrackView* m_view = nullptr;
    CNyMultiTrackDoc* m_doc = nullptr;
    ComRef<ICommandList> m_transaction;
    std::unique_ptr<CEnvelopeEditor> m_liveEditors[5];
    // Where playback was when the gesture began (-1 when stopped), each track's level there,
    // and whether its hold point is written.
    int64_t m_holdPosition = -1;
    std::vector<float> m_holdValues;
    std::vector<char> m_held;

    DECLARE_MESSAGE_MAP()
};
