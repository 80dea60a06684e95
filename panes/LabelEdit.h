// CLabelEdit: the in-place edit box of a text label. Enter commits when the label accepts the
// text, Escape and losing the focus close it without taking the text; it deletes itself.
#pragma once
#include "Framework.h"

class CTextElement;

class CLabelEdit : public CWnd {
public:
    explicit CLabelEdit(CTextElement* label) : m_label(label) {}
    ~CLabelEdit() override;

    BOOL Create(CWnd* owner, const RECT& rect, CFont* font, const char* text);
    CString GetText() const;
    void SetText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    // Closes without taking the text.
    void Close();

    void PostNcDestroy() override;

private:
    UINT OnGetDlgCode();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnKillFocus(CWnd* newWnd);

    CTextElement* m_label;
    bool m_closing = false;
    DECLARE_MESSAGE_MAP()
};
