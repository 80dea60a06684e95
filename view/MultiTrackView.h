// CNyMultiTrackView: the view of a multitrack document. It paints nothing itself: it owns
// fifteen child windows (ids 101-115), lays them out, holds the state they share (zoom,
// positions, edit mode) and answers their geometry questions. Channel rows are one per channel
// of each track, in track order. Every row is the channel height c followed by a 1-pixel line;
// the first row of a track also carries the 8-pixel title strip, the marker area (20 pixels
// when markers are shown) and a 1-pixel gap:
//
//   track top -> title (8) | markers (m) | channel 0 (c) | line | channel 1 (c) | line | gap
//
// The class is split by topic:
//   MultiTrackView_Geometry.cpp   rows, rectangles, conversions, position setters
//   MultiTrackView_Layout.cpp     creation, children, layout, focus, activation, border
//   MultiTrackView_Zoom.cpp       zoom, fit, horizontal and vertical scrolling
//   MultiTrackView_Keys.cpp       keys, wheel, one-key shortcuts, display options
//   MultiTrackView_Drop.cpp       dropped files and the private clipboard format
//   MultiTrackView_Transport.cpp  transport commands, play timer, controller callbacks
//   MultiTrackView_Commands.cpp   markers, go-to searches, status texts, context menu
//   MultiTrackView_Panes.cpp      the link the tool panes drive the view through
//   MultiTrackView_EditMode.cpp   the fade and envelope handle modes: menus, commands
// The window-free arithmetic is in ViewCore.h. Without a window (tests of the geometry) the
// owner gives the sizes with SetPaneSizes.
#pragma once
#include "BaseWin.h"
#include "CornerPanes.h"
#include "FwView.h"
#include "HandleEditView.h"
#include "OverviewBar.h"
#include "ScrollBar64.h"
#include "SplitterBar.h"
#include "TransportBits.h"
#include "ViewCore.h"
#include "ViewGeometry.h"
#include "ViewPaneLink.h"
#include "ViewPanes.h"
#include "ZoomButton.h"

#include <cstdint>
#include <functional>
#include <vector>

class CNyMultiTrackDoc;
class CSelectionModel;
class IViewController;

constexpr UINT_PTR kPlayTimerId = 450;

class CNyMultiTrackView : public CView,
                          public ViewGeometry,
                          public IPaneParent,
                          public ICornerPaneHost,
                          public HandleEditView {
    DECLARE_DYNCREATE(CNyMultiTrackView)
public:
    CNyMultiTrackView();
    ~CNyMultiTrackView() override;

    CNyMultiTrackDoc* GetMultiTrackDoc() const;
    CSelectionModel* GetSelection() const;

    // ViewGeometry
    int GetRowCount() override;
    int GetTrackRow(int track, int last) override;
    int GetRowOfChannel(int track, int channel) override;
    int TrackFromRow(int row, int extend) override;
    int TrackFromY(int y, int bounded) override;
    RECT GetChannelRect(int a, int channel) override;
    RECT GetTrackWaveRect(int track) override;
    double GetSamplesPerPixel(int raw) override;
    double SampleToPixel(int64_t samples) override;
    int64_t PixelToSample(double pixels) override;
    int64_t XToSample(int x) override;
    int64_t GetFirstVisibleSample() override { return m_firstVisibleSample; }
    int GetEditMode() override { return m_editMode; }
    void InvalidateTrackArea(const RECT& area) override;
    void RepaintTracks() override;
    void SelectionChanged() override;
    int64_t GetPlayPositionNow() override;

    // Geometry
    // 32 x amplitude zoom + 5; 37 for a track with state flag 32.
    int GetChannelHeight(int track);
    int GetDefaultChannelHeight() const { return 32 * m_amplitudeZoom + 5; }
    int GetSpectrumHeight();
    int GetMarkerAreaHeight();
    int GetTrackTitleHeight() const { return 8; }
    int GetRowChannelHeight(int row) { return GetChannelHeight(TrackFromRow(row, 0)); }
    int GetRowHeight(int row);
    int GetFirstVisibleRow() const { return m_firstVisibleRow; }
    RECT GetTrackRect(int track);
    RECT GetVisibleTrackRect(int track);
    RECT GetTracksRect();
    RECT GetTrackTitleRect(int track);
    RECT GetTrackMarkerRect(int track);
    RECT GetTrackSpectrumRect(int track);
    int RowFromY(int y, int withTitle);

    // The video track pane (child 102).
    CVideoTrackPane& GetVideoTrackPane() { return m_video; }
    // Time axis (ViewCore's TimeAxis at the current zoom and the document's rate).
    TimeAxis Axis();
    double GetAmplitudeZoom() const { return m_amplitudeZoom * 0.25; }
    double SamplesToTime(int64_t samples) { return Axis().SamplesToTime(samples); }
    int64_t TimeToSamples(double time) { return Axis().TimeToSamples(time); }
    double PixelsToTime(int64_t pixels) { return Axis().PixelsToTime(pixels); }
    int64_t TimeToPixels(double time) { return Axis().TimeToPixels(time); }
    int64_t PixelsToSamplesViaTime(int64_t pixels) { return Axis().PixelsToSamplesViaTime(pixels); }
    int64_t SamplesToPixelsViaTime(int64_t samples) { return Axis().SamplesToPixelsViaTime(samples); }
    // last - first.
    int64_t GetVisibleRange(int64_t* first, int64_t* last);
    int64_t GetSelectionEnd();

    // The view's client width and the track area's client size (set by the layout).
    void SetPaneSizes(int viewWidth, int trackAreaWidth, int trackAreaHeight);
    // Samples per pixel x 64, a power of two.
    void SetTimeZoom(int64_t zoom) { m_timeZoom = zoom; }
    int64_t GetTimeZoom() const { return m_timeZoom; }
    void SetAmplitudeZoom(int zoom) { m_amplitudeZoom = zoom; }
    int GetWaveMagnification() const { return m_magnification; }
    // One sample spans at least 5 pixels: rows show squares instead of lines.
    bool IsSampleWide() const { return m_sampleWide != 0; }
    bool IsCaretEnabled() const { return m_caretEnabled != 0; }
    // A writable in-place edit window (the label editor) is open.
    bool InPlaceEditWritable() const;
    void SetFirstVisibleRow(int row) { m_firstVisibleRow = row; }
    // Snapped down to a whole pixel when a pixel holds more than one sample; never negative.
    int64_t SetFirstVisibleSample(int64_t position);
    // Moves the ruler's position mark; renews the position text while nothing plays.
    void SetEditPosition(int64_t position) override;
    int64_t GetEditPosition() const { return m_editPosition; }
    int64_t SetPlayPosition(int64_t position);
    int64_t GetPlayPosition() const { return m_playPosition; }
    int64_t GetSavedPlayStart() const { return m_savedPlayStart; }
    void SetSavedPlayStart(int64_t position) { m_savedPlayStart = position; }
    DWORD& TransportFlags() { return m_transportFlags; }

    // Repaints
    void InvalidateSampleRange(int64_t start, int64_t end, int firstRow, int lastRow);
    void InvalidateTrack(int64_t start, int64_t end, int firstTrack, int lastTrack);
    void RefreshView();
    void InvalidateTimeline();

    // Layout
    void RecalcLayout();
    ViewLayoutInput LayoutInput();

    // Zoom and scrolling
    int64_t ZoomToFit(int mode, int computeOnly);
    void UpdateScrollBars();
    void UpdateHorzScrollBar();
    void UpdateVertScrollBar();
    void ScrollToSample(ScrollInfo64& info, int64_t position);
    // Scrolls so that position shows. paintNow false (the play timer's ticks): the ruler and the
    // overview bar are drawn with the next paint instead of at once.
    int EnsureSampleVisible(int64_t position, bool paintNow = true);
    void ChangeWaveMagnification(int direction);

    // The modal drag of a track by its header or amplitude scale from a press at x of the
    // view's client and y of the track rows (the panes share them): move, copy with Ctrl,
    // delete outside the view (MultiTrackView_TrackDrag.cpp).
    void DragTrack(int x, int y);

    // Transport
    bool IsPlaying();
    bool IsRecording();
    bool IsSelectionPlayable();
    // The selection lies wholly before or after the data of the selected tracks.
    bool IsSelectionOutsideData();
    int OnPlayStarted(int unused);
    void OnPlayStopped(int64_t position);
    void UpdatePlayPosition(int noMixer);
    void SyncMixerAutomation();
    void AttachToolWindows(int refresh);
    void SetEngineLoop(LONG value);
    static void SetReadAutomation(LONG value);
    static void SetWriteAutomation(LONG value);

    // Status bar
    int SetStatusPaneText(int pane, const char* text);
    void UpdateStatusText();
    void UpdatePositionText(int64_t position);
    void ShowTrackName(int track);

    // Searches (also run by the commands 1031 and 1032)
    int64_t FindZeroCrossing(bool forward, int64_t from, int64_t to, int row, void* buffer, uint32_t frames);
    int64_t FindMaximumPoint(int64_t from, int64_t to, int row, void* buffer, uint32_t frames);

    // Children (null before creation)
    COverviewBar& GetOverviewBar() { return m_overview; }
    CTrackAreaPane& GetTrackArea() { return m_trackArea; }
    CTimeRulerPane& GetTimeRuler() { return m_ruler; }
    CAmplitudeScalePane& GetAmplitudeScale() { return m_scale; }
    CScrollBar64& GetHorzScrollBar() { return m_horzScroll; }

    // What the tool panes drive the view through (MultiTrackView_Panes.cpp).
    ControllerViewLink* GetPaneLink() { return &m_paneLink; }

    // The window message "NyTracksStopPlay", registered once.
    static UINT RegisterTracksStopPlayMessage();

    // IPaneParent
    bool HasSelection() const override;
    // ICornerPaneHost
    bool IsTransportIdle() const override;
    int GetEditMode() const override { return m_editMode; }
    int GetMultiIcon() const override;
    bool IsGroupingEnabled() const override;
    void EnableGrouping(bool enable) override;
    void RepaintTrackHeader() override;
    bool HasTimeRange() const override { return HasSelection(); }
    bool IsAllTracksMode() const override;
    void SetAllTracksMode(bool allTracks) override;
    void GetPreviousRowRange(int* first, int* last) const override;
    void SetRowRange(int first, int last, int current) override;
    void SetTimeRange(int64_t start, int64_t end) override;
    void InvalidateCaret(int show) override;
    void RedrawSelectionArea(int track) override;
    CWnd* GetViewWindow() override { return this; }

    // Framework
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void CalcWindowRect(RECT* rect, UINT adjustType = 0) override;
    BOOL OnCmdMsg(kvfw::CmdRequest& request) override;
    void OnDraw(CDC* dc) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override;

    // Messages
    int OnCreate(LPCREATESTRUCTA cs);
    void OnSize(UINT type, int cx, int cy);
    void OnHScroll(UINT code, UINT position, CWnd* bar);
    void OnVScroll(UINT code, UINT position, CWnd* bar);
    void OnTimer(UINT_PTR id);
    void OnSetFocus(CWnd* old);
    void OnKillFocus(CWnd* next);
    void OnDestroyClipboard();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    BOOL OnMouseWheel(UINT flags, short distance, CPoint point);
    void OnNcPaint();
    void OnDropFiles(HDROP drop);
    void OnDestroy();
    void OnContextMenu(CWnd* wnd, CPoint point);
    LRESULT OnTracksStopPlay(WPARAM code, LPARAM);

    // Commands
    void OnZoomIn();
    void OnZoomOut();
    void OnFitToWindow();
    void OnZoomInAmplitude();
    void OnZoomOutAmplitude();
    void OnUpdateTimeZoom(CCmdUI* ui);
    void OnUpdateAmplitudeZoom(CCmdUI* ui);
    void OnVideoTrack();
    void OnUpdateVideoTrack(CCmdUI* ui);
    void OnSpectrum();
    void OnUpdateSpectrum(CCmdUI* ui);
    void OnTimeRuler();
    void OnUpdateTimeRuler(CCmdUI* ui);
    void OnMarkers();
    void OnUpdateMarkers(CCmdUI* ui);
    void OnShowVolumeEnvelopes();
    void OnUpdateShowVolumeEnvelopes(CCmdUI* ui);
    void OnShowPanEnvelopes(UINT id);
    void OnUpdateShowPanEnvelopes(CCmdUI* ui);
    void OnUpdateKeepEnabled(CCmdUI* ui);
    void OnPlayStop();
    void OnUpdatePlayStop(CCmdUI* ui);
    void OnRecord();
    void OnUpdateRecord(CCmdUI* ui);
    void OnPause();
    void OnUpdatePause(CCmdUI* ui);
    void OnMovePlayCursorToStart();
    void OnUpdateMovePlayCursorToStart(CCmdUI* ui);
    void OnLoop();
    void OnUpdateLoop(CCmdUI* ui);
    void OnRecordWhilePlaying();
    void OnUpdateRecordWhilePlaying(CCmdUI* ui);
    void OnReadAutomation();
    void OnUpdateReadAutomation(CCmdUI* ui);
    void OnWriteAutomation();
    void OnUpdateWriteAutomation(CCmdUI* ui);
    void OnRecordingTimer();
    void OnUpdateRecordingTimer(CCmdUI* ui);
    void OnDeleteMarker();
    void OnUpdateDeleteMarker(CCmdUI* ui);
    void OnEditMarker();
    void OnUpdateEditMarker(CCmdUI* ui);
    void OnPreviousMarker();
    void OnNextMarker();
    void OnUpdatePrevNextMarker(CCmdUI* ui);
    void OnGoToZeroCrossing();
    void OnGoToMaximumPoint();
    void OnUpdateGoToPoint(CCmdUI* ui);
    void OnGoToSelection();
    void OnUpdateGoToSelection(CCmdUI* ui);
    void OnProperties();
    // The document's Ruler Units command (1015), run here until the document routes it.
    void OnRulerUnits();
    void OnUpdateProperties(CCmdUI* ui);

    // Handle edit modes (MultiTrackView_EditMode.cpp)
    int SetEditMode(int mode) override;
    void ShowEditMode(int toolMode, BOOL entering) override;
    // Installs the main menu of the current mode (403, 423 or 424).
    void UpdateMenuForEditMode();
    void OnFadeExecute();
    void OnFadeCancel();
    void OnResetHandles();
    void OnFadePreview();
    void OnFadeIn();
    void OnFadeOut();
    void OnSine();
    void OnLinear();
    void OnUpdateFadeEditCommand(CCmdUI* ui);
    void OnUpdateFadePreview(CCmdUI* ui);
    void OnUpdateFadeIn(CCmdUI* ui);
    void OnUpdateFadeOut(CCmdUI* ui);
    void OnUpdateSine(CCmdUI* ui);
    void OnUpdateLinear(CCmdUI* ui);

private:
    // On activation: other documents' previews stop and this view's menu is installed.
    void ActivateEditMode();
    void SetFadeShape(int direction, int curve);
    // y of a row's top, counted from the first visible row at the track area's top.
    int RowTop(int row);
    std::vector<int> RowHeights();
    std::vector<int> TrackChannels();
    void ToggleOption(int id);
    void KeyAction(UINT key, UINT repeat, bool shift, bool ctrl);
    void MoveCaretTo(int64_t caret, bool shift);
    void ScrollRowsTo(int top);
    std::vector<int64_t> Stops(bool ends);
    bool IsTransportBusy() const;
    void EndInPlaceEdit();
    // Does nothing while another edit runs; shows a failing code.
    void RunGuarded(const std::function<void(IViewController*)>& action);
    void PlayStopAction(IViewController* c);
    void RecordAction(IViewController* c);
    void PauseAction(IViewController* c);
    // A one-second (or shorter) buffer for the searches, with two smaller fall-backs.
    bool AllocateSearchBuffer(std::vector<char>& buffer, uint32_t* frames, int row);
    void ShowError(HRESULT code);
    void UpdateNow();

    // Children, in declaration order.
    CTrackAreaPane m_trackArea;
    CTrackHeaderPane m_header;
    CTimeRulerPane m_ruler;
    CAmplitudeScalePane m_scale;
    CVideoTrackPane m_video;
    VideoTrackLink m_videoLink{this};
    CSplitterBar m_splitter;
    COverviewBar m_overview;
    CZoomButton m_amplitudeZoomButton;
    CScrollBar m_vertScroll;
    CZoomButton m_timeZoomButton;
    CScrollBar64 m_horzScroll;
    CaptionButtonStrip m_captionStrip;
    CGroupButtonPane m_groupButton;
    CSkinStatic m_sizeBox;
    CSkinPushButton m_selectAll;

    DWORD m_transportFlags = kTransportNotPlayable;
    int m_immediateRepaint = 1;
    int m_deferredUpdate = 0;
    int m_editMode = 0;
    int m_sampleWide = 0;
    int64_t m_timeZoom = -1;
    int m_amplitudeZoom = 4;
    int m_magnification = 1;
    int m_caretEnabled = 1;
    UINT_PTR m_playTimer = 0;
    int64_t m_editPosition = -1;
    int64_t m_playPosition = -1;
    int64_t m_firstVisibleSample = 0;
    int64_t m_savedPlayStart = -1;
    int64_t m_savedPlayEnd = -1;
    int m_rememberedRow = 0;
    int m_pivotRow = 0;
    int m_noIntermediateRepaint = 0;
    int m_videoUpdate = 1;
    DWORD m_viewFlags = 0;
    friend class ViewPaneLink;
    ViewPaneLink m_paneLink{this};

    int m_firstVisibleRow = 0;
    int m_viewWidth = 0;
    RECT m_trackAreaRect{0, 0, 0, 0};

    DECLARE_MESSAGE_MAP()
};
