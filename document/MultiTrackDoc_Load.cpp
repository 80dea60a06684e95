// The document's project loads: the format is told by the file's content.
#include "DocumentProjectHost.h"
#include "MultiTrackDoc.h"

#include <cstring>

namespace {

// The document's file type of a project format.
int FileTypeOfFormat(int format)
{
    return format == kProjectFlat ? 0 : format == kProjectChunked ? 1 : 20;
}

} // namespace

int CNyMultiTrackDoc::LoadProjectFile(const char* path, IUnknown** command)
{
    if (command)
        *command = nullptr;
    int format = CProjectFile::DetectProjectFormat(path);
    DocumentProjectHost host(this);
    std::unique_ptr<CProjectFile> file = CProjectFile::Create(format, &host);
    if (!file) {
        host.ShowMessage(CProjectFile::LoadText(20232).c_str());
        return 0;
    }
    LONG before = GetTrackCount();
    if (!file->Load(path, command))
        return 0;
    // A file that became the document gives it its type.
    if (before == 0)
        m_fileInfo.fileType = FileTypeOfFormat(format);
    return 1;
}

void CNyMultiTrackDoc::SetCreatorText(const char* signature)
{
    std::memset(m_creatorText, 0, sizeof(m_creatorText));
    std::strncpy(m_creatorText, signature, sizeof(m_creatorText) - 1);
}
