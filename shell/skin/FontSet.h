// FontSet: the program's nine fonts, and a drawer of counters from a digit strip.
//
//   FontSet fonts; fonts.CreateAll();              // once at start-up; the fonts live until exit
//   dc.SelectObject(*FontSet::Get(0));             // caption font
//
//   DigitFont big;                                 // the controller's counters
//   big.SetImage(40, 13, 20, 15);                  // skin image 40: 15 glyphs of 13 x 20 pixels
//   big.DrawText(&dc, 4, 4, "00:01:23.456");
//
// Glyphs of a strip: '0'-'9' are 0-9, ':' 10, '.' 11, space 12, ';' 13, '-' 14. A glyph
// beyond the strip's count draws nothing (but still advances the text).
#pragma once
#include "Framework.h"

class FontSet {
public:
    static constexpr int kFontCount = 9;

    FontSet() = default;
    // Creates (again) the nine fonts of the program's table; TRUE.
    virtual BOOL CreateAll();
    virtual ~FontSet() = default;

    // Font n of the table, 0 to 8; null outside that range or before CreateAll.
    static CFont* Get(int n);

    // The digit strip: a skin image holding glyphCount glyphs of equal size side by side.
    void SetImage(int imageId, int glyphWidth, int glyphHeight, int glyphCount);
    static int GlyphIndex(char ch);
    void DrawGlyph(CDC* dc, int x, int y, int index) const;
    void DrawChar(CDC* dc, int x, int y, char ch) const { DrawGlyph(dc, x, y, GlyphIndex(ch)); }
    // Each character of the text, x advancing by the glyph width.
    void DrawText(CDC* dc, int x, int y, const char* text) const;

private:
    int m_glyphWidth = 0;
    int m_glyphHeight = 0;
    int m_glyphCount = 0;
    int m_imageId = 0;
};

// The controller's name for a FontSet used only as a digit drawer.
using DigitFont = FontSet;
