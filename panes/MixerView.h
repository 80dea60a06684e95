// CMixerView: the Mixer pane's view: one strip per track of the attached document, the master
// strip and the recording strip, side by side from the left and scrolled a strip at a time.
// It routes the mouse and keys to the strips, keeps a keyboard focus walking from strip to
// strip, and runs the 33 ms meter timer, which stops by itself once the meters have fallen and
// neither playback nor recording runs.
//
//   CMixerView* mixer = CreateMixerPane(mainFrame)->GetMixerView();
//   mixer->SetController(controller);   mixer->SetView(&link);
#pragma once
#include "Framework.h"
#include "SkinPaneWnd.h"

#include <cstdint>
#include <memory>
#include <vector>

class CMixerCtrl;
class CTrackStrip;
class CMasterStrip;
class CRecordStrip;
class CNyControlView;
class CNyMultiTrackDoc;
class ControllerViewLink;
class StripLevelTarget;
class DocumentLevelTarget;
struct IMtTrack;

constexpr int kStripMaster = -1;
constexpr int kStripRecord = -2;
constexpr int kStripNone = -100;

class CMixerView : public CView {
public:
    CMixerView();
    ~CMixerView() override;

    BOOL CreatePane(CWnd* frame);
    // Attaches the view (null: none) and builds its strips.
    ControllerViewLink* SetView(ControllerViewLink* view);
    ControllerViewLink* GetView() const { return m_view; }
    CNyMultiTrackDoc* GetDocument() const;
    void SetController(CNyControlView* controller) { m_controller = controller; }
    CNyControlView* GetController() const { return m_controller; }
    // Null: the document's own (changes recorded as "Volume" and "Pan" steps).
    StripLevelTarget* GetLevelTarget();

    // Builds the strips again when the document's tracks are no longer those they were built
    // for; otherwise refreshes and lays out the strips there are, keeping a drag in progress.
    void Rebuild();
    void InvalidateAll();
    void RefreshStripValues(int track);
    void SyncStripsToPosition(int track);
    // Under Write Automation, for each strip (-1: all) whose track writes its envelopes: the
    // points of the kind (0 volume, 1 pan) that playback passed while its fader is held go.
    void WriteStripAutomation(int kind, int track);
    // Where the strips read their values: playback's position, else the selection's end.
    int64_t LevelPosition();
    void UpdateMaster();
    void RefreshRecordStrip();
    void SetRecordLevel(int level);
    void StartMeterTimer();
    bool IsMeterTimerRunning() const { return m_meterTimer != 0; }
    // One meter tick; true when every strip has settled.
    bool DrawMeters(CDC* dc);
    void ToggleTrackCollapse(int track);
    void RenameTrack(int track, const char* name);
    // The tool tip of a strip's part (rectangle in the view; id 0: none).
    void SetPartTip(const RECT& rect, UINT textId);

    int GetTrackStripCount() const { return int(m_strips.size()); }
    CTrackStrip* GetTrackStrip(int index) const;
    CMasterStrip* GetMasterStrip() const { return m_master.get(); }
    CRecordStrip* GetRecordStrip() const { return m_record.get(); }
    CMixerCtrl* GetStripCtrl(int code) const;
    POINT GetStripOrigin(int code) const;
    int HitTestStrip(int x, int y) const;
    bool IsStripFocusable(int code) const;
    bool IsStripOnScreen(CMixerCtrl* strip) const;
    void FocusNextStrip(bool backwards);
    // The whole view drawn into dc (client coordinates).
    void DrawAll(CDC* dc, const RECT& update);

    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnKeyDownToFocus(UINT key, UINT repeat, UINT flags);
    bool OnKeyUpToFocus(UINT key, UINT repeat, UINT flags);

private:
    void BuildStrips(ControllerViewLink* view);
    // The view's document and its tracks, in order, are those the strips were built for.
    bool StripsFitTracks(ControllerViewLink* view) const;
    // Scroll bar, frame limits, strip places and scroll range after the strips or their sizes changed.
    void ArrangeStrips();
    void ClearStrips();
    // Calls the action on the record and master strips and every track strip.
    void ForEachControl(void (CMixerCtrl::*action)());
    void LayoutStrips();
    void UpdateScrollRange();
    void ShowFocus();
    void HideFocus();
    void PlaceScrollBar(int width, int height);
    void ScrollStrips(UINT code, int position);
    void MeterTick();
    void RouteMouse(UINT message, UINT flags, CPoint point);
    bool WheelToStrips(UINT flags, short delta, CPoint screen);

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnHScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnTimer(UINT_PTR id);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnKillFocus(CWnd* newWnd);
    void OnDestroy();
    int StripsWidth() const;
    // The frame's limits for the strips built (fixed height, at least one track strip wide),
    // widened to show every strip when their number changed.
    void FitFrame();

    ControllerViewLink* m_view = nullptr;
    CNyControlView* m_controller = nullptr;
    StripLevelTarget* m_levelTarget = nullptr;
    std::unique_ptr<DocumentLevelTarget> m_ownTarget;
    CNyMultiTrackDoc* m_ownTargetDocument = nullptr;
    std::vector<std::unique_ptr<CTrackStrip>> m_strips;
    // What the strips were built for (the strips hold the tracks).
    CNyMultiTrackDoc* m_stripsDocument = nullptr;
    std::vector<IMtTrack*> m_stripsTracks;
    std::unique_ptr<CMasterStrip> m_master;
    std::unique_ptr<CRecordStrip> m_record;
    bool m_built = false;
    int m_focusedStrip = kStripNone;
    int m_hotStrip = kStripNone;
    int m_captureButton = 0;
    SkinPaneWnd m_scrollBar;
    int m_scrollPosition = 0;
    UINT_PTR m_meterTimer = 0;
    HWND m_tip = nullptr;
    int m_meterTicks = 0;
    int m_fittedStrips = -1;
    DECLARE_MESSAGE_MAP()
};
