// CaptionFrameHelper: a skinned non-client area for a top-level window. The caption band, the
// four borders and the caption buttons are cut from one skin image ("frame"); the helper paints
// them, hit-tests them and moves and sizes the window itself while a press is tracked.
//
//   m_caption = new CaptionFrameHelper;            // in the host's constructor
//   m_caption->SetFrame(this);                     // at WM_CREATE
//   m_caption->Init("frame", kCaptionClose | kCaptionRollUp);
//   // host: WM_NCCALCSIZE, WM_NCPAINT, WM_NCACTIVATE, WM_NCHITTEST, WM_NCLBUTTONDBLCLK go to the
//   // helper's handlers; PreTranslateMessage asks FilterMessage first (TRUE: consumed).
//
// Every button image holds two frames side by side: the normal look on the left, the highlighted
// (hovered or pressed) look on the right.
#pragma once
#include "Framework.h"

#include <memory>

class SkinImage;

// Caption element codes: the index of the element's image part.
enum CaptionButtonCode : int {
    kCaptionTopLeft = 0,
    kCaptionTopRight = 1,
    kCaptionBottomRight = 2,
    kCaptionBottomLeft = 3,
    kCaptionTop = 4,
    kCaptionRight = 5,
    kCaptionBottom = 6,
    kCaptionLeft = 7,
    kCaptionMaximize = 8,
    kCaptionMinimize = 9,
    kCaptionRestore = 10,
    kCaptionClose = 11,
    kCaptionRollUpButton = 12,
    kCaptionLayout1 = 13,
    kCaptionLayout2 = 14,
    kCaptionHelp = 15,
    kCaptionDragArea = 16,
    kCaptionCancel = 19,
    kCaptionNothing = 20,
};

// Which caption buttons exist.
enum CaptionFlags : DWORD {
    kCaptionFlagClose = 1,
    kCaptionFlagCancel = 2,
    kCaptionFlagMaximize = 4,
    kCaptionFlagMinimize = 8,
    kCaptionFlagHelp = 16,
    kCaptionFlagRollUp = 32,
    kCaptionFlagLayout1 = 64,
    kCaptionFlagLayout2 = 128,
};

class CaptionFrameHelper {
public:
    static constexpr int kPartCount = 20;

    CaptionFrameHelper();
    virtual ~CaptionFrameHelper();
    CaptionFrameHelper(const CaptionFrameHelper&) = delete;
    CaptionFrameHelper& operator=(const CaptionFrameHelper&) = delete;

    // Stores the flags, loads the caption image from the images folder, takes the caption font
    // and sets the margins from the parts.
    void Init(const char* name, DWORD flags);
    // The same with the caption image given by its full path without extension.
    void InitFromPath(const char* pathWithoutExtension, DWORD flags);
    // Cuts the parts from the images folder's file of that name (".png", else ".bmp").
    void LoadCaptionImages(const char* name);
    // The same from a full path without extension. A missing file leaves every part empty.
    void LoadCaptionImagesFromPath(const char* pathWithoutExtension);

    SkinImage* GetPart(int n) const;
    CSize GetPartSize(int n) const;
    void GetMargins(POINT* leftTop, POINT* rightBottom) const;

    void SetFrame(CWnd* frame) { m_frame = frame; }
    CWnd* GetFrame() const { return m_frame; }
    void SetFlags(DWORD flags) { m_flags = flags; }
    // Negative maxima mean the work area; a negative minimum means its absolute value and
    // switches off sizing from the left (width) or top (height) edge.
    void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight);
    void GetSizeLimits(SIZE* minimum, SIZE* maximum) const;
    void SetActive(BOOL active) { m_active = active; }
    // Stores the pane and sizes the window to the pane's window rectangle plus the margins.
    void AttachClient(CWnd* pane);
    CWnd* GetClient() const { return m_client; }

    int GetCurrentCode() const { return m_currentCode; }
    int GetPressedCode() const { return m_pressedCode; }
    BOOL IsTracking() const { return m_tracking; }
    BOOL IsRolledUp() const { return m_rolledUp; }
    // The window rectangle taken when it rolled up (empty before the first roll-up).
    RECT GetRestoreRect() const { return m_savedRect; }

    // Non-client messages of the host.
    void OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params);
    BOOL OnNcActivate(BOOL active);
    void OnNcPaint(int highlight);
    LRESULT OnNcHitTest(int x, int y);
    BOOL FilterMessage(const MSG* msg);
    void OnNcLButtonDblClk();
    void ToggleRollUp();
    void SetRolledUp(BOOL rolledUp);

    // The element under a screen point: sets the current code and returns the element's answer.
    int HitTestCaption(int x, int y);
    void TrackButton(int hitCode, int x, int y);
    void DragFrame(int hitCode, int x, int y);
    // FALSE when the host acts on the release itself (layout and help buttons).
    BOOL TrackButtonRelease(int hitCode, int x, int y);

    // Paints the whole non-client picture of a window of this size into dc (the frame pieces,
    // the title and the buttons with the given highlighted code).
    void Render(CDC* dc, int width, int height, int highlight);
    void DrawCaption(CDC* dc, int left, int top, int right, int bottom);
    // The parts of DrawCaption: the bands and corners, and the title over them.
    void DrawFramePieces(CDC* dc, int left, int top, int right, int bottom);
    void DrawTitle(CDC* dc, int left, int top, int right, int bottom);
    void DrawButtons(CDC* dc, int left, int top, int right, int bottom, int highlight);

private:
    struct ButtonSlot {
        int code;
        int part;
        RECT rect; // window coordinates
    };
    // The present buttons in drawing order (right to left) for a window of this width.
    int LayoutButtons(int width, ButtonSlot* slots) const;
    bool CanSizeWidth() const { return m_minWidth != m_maxWidth; }
    bool CanSizeHeight() const { return m_minHeight != m_maxHeight; }
    int MaxWidth() const;
    int MaxHeight() const;
    void Repaint(int highlight);
    void DropFrameCache();
    void DropBandBrushes();
    // Fills the area with band part n repeated from the area's top-left corner.
    void TileBand(CDC* dc, int part, int left, int top, int right, int bottom);
    void SetFocusToClient();

    int m_currentCode = kCaptionNothing;
    int m_pressedCode = kCaptionNothing;
    BOOL m_rolledUp = FALSE;
    DWORD m_flags = 1;
    std::unique_ptr<SkinImage> m_parts[kPartCount];
    int m_topMargin = 0;
    int m_bottomMargin = 0;
    int m_leftMargin = 0;
    int m_rightMargin = 0;
    BOOL m_active = FALSE;
    CFont* m_font = nullptr;
    int m_maxWidth = 0;
    int m_maxHeight = 0;
    int m_minWidth = 128;
    int m_minHeight = 128;
    BOOL m_tracking = FALSE;
    POINT m_pressPoint = {};
    RECT m_pressRect = {};
    int m_pressHitCode = 0;
    POINT m_dragOffset = {};
    RECT m_savedRect = {};
    CWnd* m_frame = nullptr;
    CWnd* m_client = nullptr;
    // The frame pieces of the last size painted: a repaint (hover, activation) only adds the
    // title and the buttons.
    HDC m_cacheDC = nullptr;
    HBITMAP m_cacheBitmap = nullptr;
    HGDIOBJ m_cacheOld = nullptr;
    SIZE m_cacheSize = {};
    COLORREF m_cacheFace = 0;
    // The four band parts as pattern brushes, laid on the button face (they cover only the
    // button face, so this is how the image would blend there anyway).
    HBRUSH m_bandBrushes[4] = {};
    COLORREF m_brushFace = 0;
};
