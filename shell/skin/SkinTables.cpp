#include "SkinTables.h"

#include "SkinImage.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {

struct ImageRecord {
    int id;
    const char* name;
};

// In load order, which only decides the first missing file reported. Id 76 loads the same file
// as 74 into a slot of its own.
const ImageRecord kImageRecords[kSkinImageCount] = {
    {0, "group_btn"},
    {1, "ZoomI16"},
    {2, "ZoomO16"},
    {3, "mark_q"},
    {4, "mark_s"},
    {5, "mark_e"},
    {6, "loop_s"},
    {7, "loop_e"},
    {8, "track_mute_btn"},
    {9, "track_solo_btn"},
    {10, "track_rec_btn"},
    {11, "track_bg"},
    {12, "track_number"},
    {13, "track_name"},
    {14, "info_btn"},
    {15, "split_btn"},
    {17, "line_1"},
    {18, "line_2"},
    {19, "fade_in"},
    {20, "fade_out"},
    {21, "view_topleft"},
    {22, "view_top"},
    {23, "view_left"},
    {24, "view_ruler"},
    {25, "view_ruler2"},
    {26, "ctrl_base"},
    {27, "ctrl_loop"},
    {28, "ctrl_totop"},
    {29, "ctrl_back"},
    {30, "ctrl_play"},
    {31, "ctrl_next"},
    {32, "ctrl_stop"},
    {33, "ctrl_pause"},
    {34, "ctrl_rec"},
    {35, "ctrl_rauto_btn"},
    {36, "ctrl_wauto_btn"},
    {37, "ctrl_bgm"},
    {39, "ctrl_nextcue"},
    {38, "ctrl_prevcue"},
    {40, "ctrl_num_big"},
    {41, "ctrl_num_small"},
    {42, "bctrl_base"},
    {43, "bctrl_loop"},
    {44, "bctrl_totop"},
    {45, "bctrl_back"},
    {46, "bctrl_play"},
    {47, "bctrl_next"},
    {48, "bctrl_stop"},
    {49, "bctrl_pause"},
    {50, "bctrl_rec"},
    {51, "bctrl_rauto_btn"},
    {52, "bctrl_wauto_btn"},
    {53, "bctrl_bgm"},
    {55, "bctrl_nextcue"},
    {54, "bctrl_prevcue"},
    {56, "bctrl_num_big"},
    {57, "bctrl_num_small"},
    {58, "mixer_rec_bg"},
    {59, "mixer_vol_bg"},
    {60, "mixer_track_bg"},
    {61, "mixer_track_bg2"},
    {62, "mixer_asio_vol_bg"},
    {63, "mixer_asio_track_bg_mono"},
    {64, "mixer_asio_track_bg_ste"},
    {65, "mixer_asio_track_bg2"},
    {66, "mixer_vol_meter3"},
    {67, "asio_track_level_btn"},
    {68, "mixer_vol_group_btn"},
    {69, "mixer_rec_mono_btn"},
    {70, "mixer_rec_stereo_btn"},
    {71, "mixer_track_btrack_btn"},
    {72, "mixer_track_group_btn"},
    {73, "mixer_rec_monitor_btn"},
    {74, "mixer_vol_meter1"},
    {75, "mixer_vol_meter2"},
    {76, "mixer_vol_meter1"},
    {77, "mixer_resize"},
    {16, "mix_btn"},
    {78, "thumb_h"},
    {79, "thumb_v"},
    {80, "thumb_h_dim"},
    {81, "thumb_v_dim"},
    {82, "navi_bg"},
    {83, "cue_line"},
    {84, "loop_line"},
    {85, "sec_line"},
    {86, "fold_vert"},
    {87, "fold_horz"},
    {88, "track_bar"},
    {89, "scrl_left_btn"},
    {90, "scrl_right_btn"},
    {91, "scrl_nob_rlleft"},
    {92, "scrl_nob_rlcenter"},
    {93, "scrl_nob_rlright"},
    {94, "scrl_line_rl"},
    {95, "scrl_bg_rlcenter"},
    {96, "scrl_up_btn"},
    {97, "scrl_down_btn"},
    {98, "scrl_nob_udtop"},
    {99, "scrl_nob_udcenter"},
    {100, "scrl_nob_udbottom"},
    {101, "scrl_line_ud"},
    {102, "scrl_bg_udcenter"},
    {103, "el_base_top"},
    {104, "el_base_bottom"},
    {105, "el_resize"},
    {106, "effect_bg"},
    {107, "effect_btn_u"},
    {108, "effect_btn_d"},
    {109, "presetadd_btn_u"},
    {110, "presetadd_btn_d"},
    {111, "presetadd_btn_dim"},
    {112, "presetdel_btn_u"},
    {113, "presetdel_btn_d"},
    {114, "presetdel_btn_dim"},
    {115, "multi_icon"},
};

// Files that must be there though nothing keeps them (the effect launcher reads them itself).
const char* const kRequiredFiles[] = {"el_kv5tab", "el_kv5tab02"};

// The images whose pattern brushes are made at load, in this order.
const int kBrushImages[] = {24, 88, 82};

const COLORREF kColors[kSkinColorCount] = {
    0xFF00FF, 0xFFFFFF, 0x6E0021, 0xAF3C5E, 0x963171, 0x832742, 0x000000, 0xD0D0D0, // 0-7
    0x808080, 0xC0C0C0, 0x976B66, 0x404040, 0x8A8A8A, 0x373737, 0xA6A6A6, 0xFFFFFF, // 8-15
    0x000000, 0x333333, 0xC0C0C0, 0xB3CACC, 0x808080, 0x00FF00, 0xFFD1E3, 0x0000DD, // 16-23
    0xFF333C, 0x247500, 0xDD089B, 0x03FF00, 0x0000FF, 0xF923B7, 0xCF99B9, 0xCF99B9, // 24-31
    0x00FF00, 0x80B080, 0x0098FF, 0x65819A, 0x000000, 0xD47562, 0xFFFFFF, 0x000000, // 32-39
    0xFFFFFF, 0x565656, 0x0000FF, 0x000000, 0x979797, 0xCCCCCC, 0x333333, 0x0000FF, // 40-47
    0xF0F0F0, 0x8C8500, 0x795905, 0x808080, 0x3D3D3D, 0x979797, 0x6D6D6D, 0xE2E2E2, // 48-55
};
constexpr int kUnassignedColor = 36;

SkinImage* g_images[kSkinImageCount] = {};
CBrush* g_brushes[3] = {};
COLORREF g_colors[kSkinColorCount] = {};

bool ValidImageId(int id)
{
    return id >= 0 && id < kSkinImageCount;
}

int BrushSlot(int id)
{
    for (int i = 0; i < 3; ++i)
        if (kBrushImages[i] == id)
            return i;
    return -1;
}

// Loads folder + name; on a missing file sets the text of the failure.
std::unique_ptr<SkinImage> LoadRequired(const char* folder, const char* name, CString* missingText)
{
    const std::string path = std::string(folder) + name;
    if (SkinImage::FindFile(path.c_str()).IsEmpty()) {
        if (missingText)
            *missingText = CString("ImageFile Not Found:\n" + path);
        return nullptr;
    }
    // An existing file that does not decode still takes its slot and draws nothing.
    return std::make_unique<SkinImage>(path.c_str());
}

} // namespace

const char* SkinImageName(int id)
{
    if (!ValidImageId(id))
        return nullptr;
    for (const ImageRecord& record : kImageRecords)
        if (record.id == id)
            return record.name;
    return nullptr;
}

CSkinImageTable::~CSkinImageTable() = default;

bool CSkinImageTable::Load()
{
    CString missing;
    if (LoadFrom(GetImagesFolder(), &missing))
        return true;
    MessageBoxA(nullptr, missing, nullptr, MB_OK);
    return false;
}

bool CSkinImageTable::LoadFrom(const char* folder, CString* missingText)
{
    Free();
    for (const ImageRecord& record : kImageRecords) {
        if (!record.name || !*record.name)
            continue;
        std::unique_ptr<SkinImage> image = LoadRequired(folder, record.name, missingText);
        if (!image) {
            Free();
            return false;
        }
        delete g_images[record.id];
        g_images[record.id] = image.release();
    }
    for (const char* name : kRequiredFiles) {
        if (!LoadRequired(folder, name, missingText)) {
            Free();
            return false;
        }
    }
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<CBitmap> bitmap(CreateSkinBitmap(nullptr, kBrushImages[i], CSize(0, 0)));
        auto brush = std::make_unique<CBrush>();
        // The brush keeps its own copy of the pattern, so the bitmap can go at once.
        brush->CreatePatternBrush(bitmap ? (HBITMAP)*bitmap : nullptr);
        g_brushes[i] = brush.release();
    }
    return true;
}

void CSkinImageTable::Free()
{
    for (SkinImage*& image : g_images) {
        delete image;
        image = nullptr;
    }
    for (CBrush*& brush : g_brushes) {
        delete brush;
        brush = nullptr;
    }
}

void CSkinColorTable::InitSkinColors()
{
    ::InitSkinColors();
}

void InitSkinColors()
{
    for (int i = 0; i < kSkinColorCount; ++i)
        if (i != kUnassignedColor)
            g_colors[i] = kColors[i];
}

COLORREF SkinColorAt(int index)
{
    if (index < 0 || index >= kSkinColorCount)
        return 0;
    return g_colors[index];
}

SkinImage* SkinImageAt(int id)
{
    return ValidImageId(id) ? g_images[id] : nullptr;
}

CSize GetSkinImageSize(int id)
{
    SkinImage* image = SkinImageAt(id);
    return image ? image->GetSize() : CSize(0, 0);
}

void DrawSkinImage(CDC* dc, int id, int x, int y)
{
    if (SkinImage* image = SkinImageAt(id))
        image->Draw(dc, x, y);
}

void DrawSkinImageRect(CDC* dc, int id, const RECT& dst, int sx, int sy)
{
    if (SkinImage* image = SkinImageAt(id))
        image->DrawPart(dc, dst, sx, sy);
}

void DrawSkinImagePart(CDC* dc, int id, int x, int y, int sx, int sy, int width, int height)
{
    if (SkinImage* image = SkinImageAt(id))
        image->DrawPiece(dc, x, y, sx, sy, width, height);
}

void TileSkinImage(CDC* dc, int id, const RECT& area)
{
    if (SkinImage* image = SkinImageAt(id))
        image->DrawTiled(dc, area);
}

void StretchSkinImage(CDC* dc, int id, const RECT& dst)
{
    if (SkinImage* image = SkinImageAt(id))
        image->DrawScaled(dc, dst);
}

void TileSkinImageH(CDC* dc, int id, int left, int top, int right, int bottom)
{
    const int step = GetSkinImageSize(id).cx;
    if (step <= 0)
        return;
    for (int x = left; x < right; x += step)
        StretchSkinImage(dc, id, CRect(x, top, std::min(x + step, right), bottom));
}

CBitmap* CreateSkinBitmap(CDC* dc, int id, CSize size)
{
    const CSize imageSize = GetSkinImageSize(id);
    if (size.cx == 0 && size.cy == 0)
        size = imageSize;
    if (size.cx <= 0 || size.cy <= 0)
        return nullptr;
    HDC desktop = nullptr;
    HDC target = dc ? dc->m_hDC : nullptr;
    if (!target)
        target = desktop = GetDC(nullptr);
    CBitmap* result = nullptr;
    CDC memory;
    CDC targetDc(target);
    if (target && memory.CreateCompatibleDC(&targetDc)) {
        auto bitmap = std::make_unique<CBitmap>();
        if (bitmap->CreateCompatibleBitmap(target, size.cx, size.cy)) {
            HGDIOBJ previous = memory.SelectObject(*bitmap);
            TileSkinImageH(&memory, id, 0, 0, size.cx, size.cy);
            memory.SelectObject(previous);
            result = bitmap.release();
        }
    }
    if (desktop)
        ReleaseDC(nullptr, desktop);
    return result;
}

CBrush* GetSkinPatternBrush(int id)
{
    const int slot = BrushSlot(id);
    return slot < 0 ? nullptr : g_brushes[slot];
}
