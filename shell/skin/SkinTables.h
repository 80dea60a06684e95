// The process-wide skin: 116 images by number and 56 colours, loaded once before the main frame
// and read-only afterwards. All skinned drawing goes through the free functions below.
//
//   CSkinColorTable colors; colors.InitSkinColors();
//   CSkinImageTable images;
//   if (!images.Load()) return FALSE;              // showed "ImageFile Not Found:\n<path>"
//   DrawSkinImage(&dc, kSkinGroupBtn, x, y);
//   dc.FillSolidRect(r, SkinColorAt(kSkinColorPaneBack));
//   ...
//   images.Free();
//
// An id outside 0..115 or an index outside 0..55 is not an error to crash on: the draws do
// nothing, sizes are (0, 0), images and brushes null and colours 0 (black).
#pragma once
#include "Framework.h"

class SkinImage;

constexpr int kSkinImageCount = 116;
constexpr int kSkinColorCount = 56;

// Image ids (the name is the file name without extension).
enum SkinImageId : int {
    kSkinGroupBtn = 0,      // group_btn: 8 frames side by side
    kSkinZoomIn = 1,        // ZoomI16
    kSkinZoomOut = 2,       // ZoomO16
    kSkinMarkCue = 3,       // mark_q
    kSkinMarkStart = 4,     // mark_s
    kSkinMarkEnd = 5,       // mark_e
    kSkinLoopStart = 6,     // loop_s
    kSkinLoopEnd = 7,       // loop_e
    kSkinTrackMuteBtn = 8,  // track_mute_btn
    kSkinTrackSoloBtn = 9,  // track_solo_btn
    kSkinTrackRecBtn = 10,  // track_rec_btn
    kSkinTrackBg = 11,      // track_bg
    kSkinTrackNumber = 12,  // track_number
    kSkinTrackName = 13,    // track_name
    kSkinInfoBtn = 14,      // info_btn
    kSkinSplitBtn = 15,     // split_btn
    kSkinMixBtn = 16,       // mix_btn
    kSkinLine1 = 17,        // line_1
    kSkinLine2 = 18,        // line_2
    kSkinFadeIn = 19,       // fade_in
    kSkinFadeOut = 20,      // fade_out
    kSkinViewTopLeft = 21,  // view_topleft
    kSkinViewTop = 22,      // view_top
    kSkinViewLeft = 23,     // view_left
    kSkinViewRuler = 24,    // view_ruler (also a pattern brush)
    kSkinViewRuler2 = 25,   // view_ruler2
    kSkinCtrlBase = 26,     // ctrl_* 26-41: the controller's normal set
    kSkinCtrlNumBig = 40,   // ctrl_num_big
    kSkinCtrlNumSmall = 41, // ctrl_num_small
    kSkinBctrlBase = 42,    // bctrl_* 42-57: its second set, same order
    kSkinBctrlNumBig = 56,
    kSkinBctrlNumSmall = 57,
    kSkinMixerRecBg = 58, // mixer_* 58-77: the mixer strips
    kSkinMixerResize = 77,
    kSkinThumbH = 78,      // thumb_h
    kSkinThumbV = 79,      // thumb_v
    kSkinThumbHDim = 80,   // thumb_h_dim
    kSkinThumbVDim = 81,   // thumb_v_dim
    kSkinNaviBg = 82,      // navi_bg (also a pattern brush)
    kSkinCueLine = 83,     // cue_line
    kSkinLoopLine = 84,    // loop_line
    kSkinSecLine = 85,     // sec_line
    kSkinFoldVert = 86,    // fold_vert
    kSkinFoldHorz = 87,    // fold_horz
    kSkinTrackBar = 88,    // track_bar (also a pattern brush)
    kSkinScrlLeftBtn = 89, // scrl_* 89-102: the skinned scroll bars
    kSkinScrlRightBtn = 90,
    kSkinScrlNobRlLeft = 91,
    kSkinScrlNobRlCenter = 92,
    kSkinScrlNobRlRight = 93,
    kSkinScrlLineRl = 94,
    kSkinScrlBgRlCenter = 95,
    kSkinScrlUpBtn = 96,
    kSkinScrlDownBtn = 97,
    kSkinScrlNobUdTop = 98,
    kSkinScrlNobUdCenter = 99,
    kSkinScrlNobUdBottom = 100,
    kSkinScrlLineUd = 101,
    kSkinScrlBgUdCenter = 102,
    kSkinElBaseTop = 103, // el_*, effect_*, preset* 103-114: the effect launcher
    kSkinElBaseBottom = 104,
    kSkinElResize = 105,
    kSkinEffectBg = 106,
    kSkinEffectBtnU = 107,
    kSkinEffectBtnD = 108,
    kSkinMultiIcon = 115, // multi_icon
};

// Colour indices with a fixed meaning.
enum SkinColorIndex : int {
    kSkinColorPaneBack = 11,        // 0x404040: pane backgrounds and 1-pixel frame lines
    kSkinColorCaptionActive = 52,   // caption text of the active window
    kSkinColorCaptionInactive = 53, // caption text of an inactive window
};

// File name (without extension) of an image id; null outside the table.
const char* SkinImageName(int id);

class CSkinImageTable {
public:
    CSkinImageTable() = default;
    // Loads every image from GetImagesFolder(); on the first missing file shows its text in a
    // message box, frees what was loaded and returns false.
    virtual bool Load();
    // Deletes every loaded image and the three brushes; safe to call twice.
    virtual void Free();
    virtual ~CSkinImageTable();

    // The same load from a given folder (with trailing backslash). On failure *missingText
    // gets "ImageFile Not Found:\n" + folder + name of the first missing file, and nothing
    // is shown.
    bool LoadFrom(const char* folder, CString* missingText);
};

class CSkinColorTable {
public:
    CSkinColorTable() = default;
    virtual void InitSkinColors();
    virtual ~CSkinColorTable() = default;
};

// Assigns the 56 colours (what CSkinColorTable::InitSkinColors does).
void InitSkinColors();
COLORREF SkinColorAt(int index);

SkinImage* SkinImageAt(int id);
CSize GetSkinImageSize(int id);
// The whole image at (x, y), unscaled.
void DrawSkinImage(CDC* dc, int id, int x, int y);
// The part of dst's size from (sx, sy) drawn into dst, unscaled.
void DrawSkinImageRect(CDC* dc, int id, const RECT& dst, int sx, int sy);
// The width x height part at (sx, sy) drawn at (x, y), unscaled.
void DrawSkinImagePart(CDC* dc, int id, int x, int y, int sx, int sy, int width, int height);
// Repeats the image over the area from its top-left corner; the last tiles are cut.
void TileSkinImage(CDC* dc, int id, const RECT& area);
// The whole image scaled to dst.
void StretchSkinImage(CDC* dc, int id, const RECT& dst);
// Columns of the image across the rectangle, each the whole image stretched to the rectangle's
// height; the last column squeezed to what is left (button faces of any height).
void TileSkinImageH(CDC* dc, int id, int left, int top, int right, int bottom);
// A bitmap compatible with dc (the desktop's when null) of the size (the image's when
// (0, 0)), filled as TileSkinImageH fills; owned by the caller;
// null when the DC or bitmap cannot be made.
CBitmap* CreateSkinBitmap(CDC* dc, int id, CSize size);
// The pattern brush of image 24, 88 or 82; null for any other id or before Load.
CBrush* GetSkinPatternBrush(int id);
