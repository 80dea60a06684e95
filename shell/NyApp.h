// CNyApp: the program's application object. It creates the main frame, starts GDI+ and loads the
// skin, and runs the framework's message loop; the program ends when the main frame closes.
#pragma once
#include "Framework.h"

#include <memory>

class CSkinColorTable;
class CSkinImageTable;
class FontSet;
class GdiplusSession;

class CNyApp : public CWinApp {
public:
    CNyApp();
    ~CNyApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    // Colours, images and fonts every window draws with; images need GDI+ running.
    bool LoadSkin();
    void FreeSkin();

    std::unique_ptr<GdiplusSession> m_gdiplus;
    std::unique_ptr<CSkinColorTable> m_skinColors;
    std::unique_ptr<CSkinImageTable> m_skinImages;
    std::unique_ptr<FontSet> m_fonts;
};
