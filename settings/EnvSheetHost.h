// EnvSheetHost: what the settings sheet needs of the program that the document host does not
// give: the application's temporary folder field, the creation of that folder, the tool panes'
// default places and the engine's temporary store. The program installs its own; the built-in
// host keeps the folder in "TempPath", has no panes and no temporary store.
#pragma once
#include "ComRef.h"
#include "KsMultiTrack.h"

#include <string>

class EnvSheetHost {
public:
    // The application's temporary folder field and its change (written at exit by the program).
    virtual std::string TempFolder() = 0;
    virtual void SetTempFolder(const std::string& folder) = 0;
    // Creates the program's current temporary folder when it does not exist.
    virtual void CreateTempFolder() = 0;
    // Puts every tool pane back at its default place.
    virtual void ArrangePanesAtDefaults() = 0;
    // The engine's temporary store the application keeps; E_FAIL when there is none.
    virtual HRESULT GetTempStore(ComRef<IMtTempStore>& store) = 0;

protected:
    ~EnvSheetHost() = default;
};

// Null puts the built-in host back.
void SetEnvSheetHost(EnvSheetHost* host);
EnvSheetHost& GetEnvSheetHost();
