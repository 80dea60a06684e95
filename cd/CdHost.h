// CdHost: what the CD dialogs ask of the application (new and active documents, the file-type
// hint and channel-split option of the next loads, the file module, error boxes). The shell
// implements it; tests may give their own.
#pragma once
#include <windows.h>

class CNyMultiTrackDoc;
struct IKvSKsFIO;

class CdHost {
public:
    virtual ~CdHost() = default;
    virtual CNyMultiTrackDoc* NewDocument() = 0;
    virtual CNyMultiTrackDoc* ActiveDocument() = 0;
    virtual void SetFileTypeHint(int type) = 0;
    virtual int ChannelSplit() = 0;
    virtual void SetChannelSplit(int split) = 0;
    virtual IKvSKsFIO* FileModule() = 0;
    virtual void ShowErrorBox(HRESULT code) = 0;
    virtual void UpdateAllDocuments() = 0;
};
