#include "FontSet.h"

#include "SkinTables.h"

namespace {

constexpr UINT kIdsDialogFace = 20216; // face of fonts 0 and 1
constexpr const char* kDialogFace = "MS Sans Serif";

struct FontRow {
    int height;
    int weight;
    BYTE charSet;
    BYTE pitchAndFamily;
    const char* face; // null: the dialog face of the string table; "" lets the mapper choose
};

// One font a line.
// clang-format off
const FontRow kFonts[FontSet::kFontCount] = {
    {12, FW_NORMAL, DEFAULT_CHARSET, 0x30, nullptr},
    {12, FW_BOLD, DEFAULT_CHARSET, 0x30, nullptr},
    {11, FW_NORMAL, DEFAULT_CHARSET, 0x30, "Arial"},
    {12, FW_NORMAL, ANSI_CHARSET, 0x30, ""},
    {20, FW_BOLD, DEFAULT_CHARSET, 0x31, "Arial"},
    {12, FW_NORMAL, DEFAULT_CHARSET, 0x21, "Times new Roman"},
    {12, FW_NORMAL, DEFAULT_CHARSET, 0x30, "Arial"},
    {10, FW_NORMAL, DEFAULT_CHARSET, 0x01, ""},
    {14, FW_BOLD, DEFAULT_CHARSET, 0x31, "Arial"},
};
// clang-format on

CFont g_fonts[FontSet::kFontCount];

} // namespace

BOOL FontSet::CreateAll()
{
    char dialogFace[LF_FACESIZE] = {};
    if (!LoadStringA(AfxGetResourceHandle(), kIdsDialogFace, dialogFace, LF_FACESIZE))
        lstrcpynA(dialogFace, kDialogFace, LF_FACESIZE);
    for (int i = 0; i < kFontCount; ++i) {
        const FontRow& row = kFonts[i];
        LOGFONTA font = {};
        font.lfHeight = row.height;
        font.lfWeight = row.weight;
        font.lfCharSet = row.charSet;
        font.lfQuality = PROOF_QUALITY;
        font.lfPitchAndFamily = row.pitchAndFamily;
        lstrcpynA(font.lfFaceName, row.face ? row.face : dialogFace, LF_FACESIZE);
        g_fonts[i].CreateFontIndirect(&font);
    }
    return TRUE;
}

CFont* FontSet::Get(int n)
{
    if (n < 0 || n >= kFontCount || !g_fonts[n].m_hObject)
        return nullptr;
    return &g_fonts[n];
}

void FontSet::SetImage(int imageId, int glyphWidth, int glyphHeight, int glyphCount)
{
    m_imageId = imageId;
    m_glyphWidth = glyphWidth;
    m_glyphHeight = glyphHeight;
    m_glyphCount = glyphCount;
}

int FontSet::GlyphIndex(char ch)
{
    switch (ch) {
    case ':':
        return 10;
    case '.':
        return 11;
    case ' ':
        return 12;
    case ';':
        return 13;
    case '-':
        return 14;
    default:
        return ch - '0';
    }
}

void FontSet::DrawGlyph(CDC* dc, int x, int y, int index) const
{
    if (index < 0 || index >= m_glyphCount)
        return;
    DrawSkinImageRect(dc, m_imageId, CRect(x, y, x + m_glyphWidth, y + m_glyphHeight), m_glyphWidth * index, 0);
}

void FontSet::DrawText(CDC* dc, int x, int y, const char* text) const
{
    if (!text)
        return;
    for (; *text; ++text, x += m_glyphWidth)
        DrawChar(dc, x, y, *text);
}
