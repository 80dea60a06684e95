// What the view's handle edit modes ask of the program: the three main menus the application
// keeps loaded, installing one as the frame's menu, and the tool window of each mode. Without
// an installed host there are no menus to swap and no tool windows.
#pragma once
#include <windows.h>

class CNyMultiTrackView;

class IEditModeHost {
public:
    // The main menu of a view mode: 0 the normal menu (403), 1 the fade menu (423), 2 the
    // envelope menu (424); null when the program has none.
    virtual HMENU GetModeMenu(int mode) = 0;
    // Installs the menu as the main frame's and every document window's menu.
    virtual void InstallMenu(HMENU menu) = 0;
    // Shows and focuses, or hides, the tool window of a mode (1 fade, 2 envelope) for the view.
    virtual void ShowToolWindow(CNyMultiTrackView* view, int mode, bool show) = 0;
    // The tool window of the view's mode shows the document's fade direction and curve again.
    virtual void RefreshToolWindow(CNyMultiTrackView* view) = 0;
    // Tool windows still bound to the view hide and let go of it (the view is going).
    virtual void DetachToolWindows(CNyMultiTrackView* view) = 0;

protected:
    ~IEditModeHost() = default;
};

// Null puts the program-less host back.
void SetEditModeHost(IEditModeHost* host);
IEditModeHost& GetEditModeHost();
