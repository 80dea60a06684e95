// The About box (dialog 100): product name, version line, the CD writing engine's version,
// and a scrolling panel for the long text that does not fit.
#pragma once
#include "Framework.h"

#include <memory>
#include <string>

// A window with a vertical scroll bar that moves a taller child dialog up and down inside it.
class AboutScrollPanel : public CWnd {
public:
    AboutScrollPanel();
    ~AboutScrollPanel() override;

    // The embedded dialog: its owner creates it as a child of the panel.
    CDialog& Dialog() { return *m_dialog; }
    void SetDialogFont(HFONT font) { m_font = font; }

    void OnSize(UINT type, int cx, int cy);
    void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnPaint();

private:
    int DialogHeight() const;
    int ClientHeight() const;

    std::unique_ptr<CDialog> m_dialog;
    HFONT m_font = nullptr;
    DECLARE_MESSAGE_MAP()
};

class CAboutDlg : public CDialog {
public:
    enum { IDD = 100 };
    CAboutDlg();
    BOOL OnInitDialog() override;
    LRESULT OnSetFontMessage(WPARAM font, LPARAM redraw);
    AboutScrollPanel& Panel() { return m_panel; }

private:
    AboutScrollPanel m_panel;
    DECLARE_MESSAGE_MAP()
};

// "Writing Engine Version ..." of the CD writer module; empty when the module is not there.
std::string GetWritingEngineVersion();
