// CNyApp: the program's application object. It registers the multitrack document template,
// creates the main frame, starts GDI+ and loads the skin, and runs the framework's message
// loop; the program ends when the main frame closes. It is also what the document asks of the
// program around it (DocumentHost) and keeps the one in-place edit window of the panes
// (IInPlaceEditHost).
#pragma once
#include "BaseWin.h"
#include "DocumentHost.h"
#include "Framework.h"

#include <memory>

class CSkinColorTable;
class CSkinImageTable;
class FontSet;
class GdiplusSession;

class CNyApp : public CWinApp, public DocumentHost, public IInPlaceEditHost {
public:
    CNyApp();
    ~CNyApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;

    // The code's text in a box: the prefix (when given) and "\n\r" before it; the caption
    // given, "Warning" for a full set of tracks, else the program's. A cancel shows nothing
    // and returns 0; otherwise the box's result, and the active view gets the focus back.
    int ShowErrorBox(HRESULT code, const char* caption, const char* prefix, UINT style);

    // The in-place edit window: whether one is open, and the id of the control it edits
    // (0 when none is open).
    BOOL IsInPlaceEditActive(int* controlId);

    // DocumentHost
    DocumentSettings& DefaultSettings() override;
    BOOL IsAsioInUse() override;
    void ShowErrorText(HRESULT code) override;
    void ShowErrorBox(HRESULT code, UINT style) override;
    COLORREF SkinColorAt(int index) override;
    BOOL IsTransportBusy() override;
    BOOL IsRecordWhilePlaying() override;
    HRESULT SetupMonitoring() override;
    HRESULT StopTransport() override;
    void RefreshController() override;
    void RefreshMixer(BOOL rebuild) override;
    void UpdateMasterVolume() override;

    // IInPlaceEditHost
    CWnd* GetInPlaceEdit() override;
    void EndInPlaceEdit() override;
    void RestartInPlaceEdit() override;

private:
    // Colours, images and fonts every window draws with; images need GDI+ running.
    bool LoadSkin();
    void FreeSkin();
    // Takes this object out of the document's and the panes' reach.
    void ReleaseHosts();

    std::unique_ptr<GdiplusSession> m_gdiplus;
    std::unique_ptr<CSkinColorTable> m_skinColors;
    std::unique_ptr<CSkinImageTable> m_skinImages;
    std::unique_ptr<FontSet> m_fonts;

    // The record new documents copy, read from "Settings" once.
    DocumentSettings m_defaultSettings{};
    bool m_defaultSettingsRead = false;

    // The label editor opens it; until then the slot stays empty.
    std::unique_ptr<CWnd> m_inPlaceEdit;
    int m_inPlaceEditControlId = 0;
};
