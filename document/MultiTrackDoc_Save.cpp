// The document's project saves.
#include "DocumentProjectHost.h"
#include "MultiTrackDoc.h"

int CNyMultiTrackDoc::SaveProjectFile(const char* path, int fileType)
{
    int format = fileType == 0 ? kProjectFlat : fileType == 1 ? kProjectChunked : kProjectMultichannel;
    if (fileType != 0 && fileType != 1 && fileType != 20)
        return 0;
    DocumentProjectHost host(this);
    std::unique_ptr<CProjectFile> file = CProjectFile::Create(format, &host);
    if (!file->Save(path))
        return 0;
    // The type changes only with a good save.
    m_fileInfo.fileType = fileType;
    SetModifiedFlag(FALSE);
    return 1;
}
