// CdHost: what the CD dialogs ask of the application (new and active documents, the file-type
// hint and channel-split option of the next loads, the file module, error boxes). The shell
// implements it; tests may give their own.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CNyMultiTrackDoc;
class CWnd;
struct FileFormatEntry;
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
    // The application's progress dialog made over owner (null when it cannot be); the main
    // frame closes it when the dialog has ended.
    virtual CWnd* OpenProgress(CWnd* owner) = 0;
    // The program's open dialog with the filter of count formats (the burn dialog's identifier
    // 1105); false unless it ends with OK.
    virtual bool ChooseSoundFiles(CWnd* parent, const char* filter, const char* folder, int count,
                                  const FileFormatEntry* formats, std::vector<std::string>* paths) = 0;
};
