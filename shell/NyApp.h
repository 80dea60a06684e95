// CNyApp: the program's application object. It creates the main frame and runs the framework's
// message loop; the program ends when the main frame closes.
#pragma once
#include "Framework.h"

class CNyApp : public CWinApp {
public:
    CNyApp();
    BOOL InitInstance() override;
};
