// CTextElement: a text label of a skinned panel. Edit mode 0 edits it in place (CLabelEdit),
// mode 1 through the rename dialog; every label checks typed level values (ValidateText).
#pragma once
#include "ElementBase.h"

#include <string>

class CLabelEdit;

class CTextElement : public CElementBase {
public:
    CTextElement() = default;
    ~CTextElement() override;

    void Place(CWnd* owner, int offsetX, int offsetY, int x, int y, int width, int height);
    void SetEditMode(int mode);
    int GetEditMode() const { return m_editMode; }
    void SetReadOnly(bool on) { m_readOnly = on; }
    void SetFormat(UINT format) { m_format = format; }
    void SetFont(CFont* font) { m_font = font; }
    void SetColor(COLORREF colour) { m_colour = colour; }
    void SetBackground(int imageId) { m_background = imageId; }
    void SetText(const std::string& text) { m_text = text; }
    const std::string& GetText() const { return m_text; }
    CLabelEdit* GetEditor() const { return m_editor; }

    // The editor's text becomes the label's; the target hears of it; the editor is forgotten.
    void CommitEdit();
    void OpenEditor();
    void OpenRenameDialog();
    // Called by the editor when it goes.
    void ForgetEditor() { m_editor = nullptr; }

    bool OnKey(UINT key, UINT repeat) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonDblClk(UINT flags, int x, int y) override;
    void EndEdit() override;
    // Level values: clamps the editor's number to -80.0 .. 3.521825 (written back with "%f").
    bool ValidateText() override;
    void Draw(CDC* dc) override;
    // The font a one-line text is drawn with: the label's own, or, where the text would be cut
    // (a substituted face wider than the skin was drawn for), a narrower copy of it that fits.
    HFONT DrawingFont(HDC dc) const;

private:
    std::string m_text;
    CLabelEdit* m_editor = nullptr;
    UINT m_format = DT_CENTER | DT_VCENTER;
    int m_background = 0;
    CWnd* m_owner = nullptr;
    CFont* m_font = nullptr;
    COLORREF m_colour = 0;
    int m_editMode = 0;
    bool m_readOnly = false;
};
