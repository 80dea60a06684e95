#include "TextElement.h"

#include "LabelEdit.h"
#include "MemoryDC.h"
#include "MixerLevelText.h"
#include "NameEditDlg.h"
#include "SkinTables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

// Narrowed copies of fonts by their description, made once and kept for the program's life
// (as the fonts they copy are).
HFONT NarrowedFont(const LOGFONTA& font)
{
    static std::map<std::vector<char>, HFONT> made;
    std::vector<char> key(sizeof font);
    std::memcpy(key.data(), &font, sizeof font);
    HFONT& narrowed = made[key];
    if (!narrowed)
        narrowed = ::CreateFontIndirectA(&font);
    return narrowed;
}

} // namespace

CTextElement::~CTextElement()
{
    if (m_editor) {
        CLabelEdit* editor = m_editor;
        m_editor = nullptr;
        editor->Close();
    }
}

void CTextElement::Place(CWnd* owner, int offsetX, int offsetY, int x, int y, int width, int height)
{
    m_owner = owner;
    SetOffset(offsetX, offsetY);
    SetRect(&m_rect, x, y, x + width, y + height);
}

void CTextElement::SetEditMode(int mode)
{
    m_editMode = mode;
    m_flags[1] = mode == 0 ? 1 : 0;
}

void CTextElement::CommitEdit()
{
    if (!m_editor)
        return;
    m_text = m_editor->GetText().GetString();
    Notify();
    m_editor = nullptr;
}

void CTextElement::OpenEditor()
{
    if (m_editor || !m_owner || !m_owner->m_hWnd)
        return;
    m_editor = new CLabelEdit(this);
    if (!m_editor->Create(m_owner, ScreenRect(), m_font, m_text.c_str())) {
        delete m_editor;
        m_editor = nullptr;
    }
}

void CTextElement::OpenRenameDialog()
{
    CNameEditDlg dialog(m_owner);
    dialog.SetName(m_text.c_str());
    if (dialog.DoModal() != IDOK)
        return;
    const std::string name = dialog.GetName();
    if (name == m_text)
        return;
    m_text = name;
    Notify();
}

void CTextElement::EndEdit()
{
    if (m_editor)
        m_editor->Close();
}

bool CTextElement::OnKey(UINT key, UINT repeat)
{
    (void)repeat;
    if (key != VK_RETURN)
        return false;
    if (m_editMode == 1)
        OpenRenameDialog();
    else
        OpenEditor();
    return true;
}

void CTextElement::OnLButtonDown(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    if (m_readOnly)
        return;
    if (m_editMode == 1)
        OpenRenameDialog();
    else
        OpenEditor();
}

void CTextElement::OnLButtonDblClk(UINT flags, int x, int y)
{
    OnLButtonDown(flags, x, y);
}

bool CTextElement::ValidateText()
{
    if (!m_editor)
        return true;
    double db = std::atof(m_editor->GetText().GetString());
    if (ClampTypedDb(db)) {
        char text[64];
        std::snprintf(text, sizeof text, "%f", db);
        m_editor->SetText(text);
    }
    return true;
}

HFONT CTextElement::DrawingFont(HDC dc) const
{
    HFONT font = m_font ? static_cast<HFONT>(m_font->m_hObject) : nullptr;
    const int width = m_rect.right - m_rect.left;
    if (!font || !(m_format & DT_SINGLELINE) || (m_format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) || m_text.empty() ||
        width <= 0)
        return font;
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE extent{};
    TEXTMETRICA metrics{};
    ::GetTextExtentPoint32A(dc, m_text.c_str(), int(m_text.size()), &extent);
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    if (extent.cx <= width)
        return font;
    LOGFONTA narrow{};
    if (!::GetObjectA(font, sizeof narrow, &narrow))
        return font;
    for (int average = int(metrics.tmAveCharWidth) * width / int(extent.cx); average > 0; --average) {
        narrow.lfWidth = average;
        HFONT candidate = NarrowedFont(narrow);
        old = ::SelectObject(dc, candidate);
        ::GetTextExtentPoint32A(dc, m_text.c_str(), int(m_text.size()), &extent);
        ::SelectObject(dc, old);
        if (extent.cx <= width)
            return candidate;
    }
    return font;
}

void CTextElement::Draw(CDC* dc)
{
    if (m_offsetX < 0)
        return;
    DrawBuffered(m_owner, dc, m_background, [&](CDC* mem) {
        mem->SetBkMode(TRANSPARENT);
        mem->SetTextColor(m_colour);
        HFONT font = DrawingFont(mem->m_hDC);
        HGDIOBJ oldFont = font ? mem->SelectObject(font) : nullptr;
        CRect area(0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
        if ((m_format & (DT_MODIFYSTRING | DT_END_ELLIPSIS)) == (DT_MODIFYSTRING | DT_END_ELLIPSIS)) {
            // The ellipsis is written into the string: room for it beside the text.
            std::vector<char> copy(m_text.begin(), m_text.end());
            copy.resize(m_text.size() + 260, 0);
            mem->DrawText(copy.data(), -1, &area, m_format);
        } else {
            mem->DrawText(m_text.c_str(), -1, &area, m_format);
        }
        if (oldFont)
            mem->SelectObject(oldFont);
    });
}
