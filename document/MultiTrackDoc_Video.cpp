// The document's video file: attached through Properties (checked by opening it), found again
// when a project is loaded, and the file's own video for a sound file that has one.
#include "MultiTrackDoc.h"

#include "DocWiring.h"
#include "DocumentHost.h"
#include "FwFileDialog.h"
#include "IKvSKsFIO.h"
#include "ResourceModule.h"
#include "SettingsIds.h"
#include "VideoIds.h"
#include "VideoForAviSave.h"
#include "ViewIds.h"

#include <cstdio>

namespace {

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x83E800C9);

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(GetResourceModule(), id, text, sizeof(text));
    return text;
}

std::string Format(UINT id, const char* value)
{
    char text[1024];
    std::snprintf(text, sizeof text, Text(id).c_str(), value);
    return text;
}

bool FileExists(const char* path)
{
    const DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

namespace {
VideoDecoder g_decoder = nullptr;
}

void SetVideoDecoder(VideoDecoder decoder)
{
    g_decoder = decoder;
}

VideoForAviSave::VideoForAviSave(const char* path, bool asAvi) : m_path(path ? path : "")
{
    if (!asAvi || !g_decoder || m_path.empty())
        return;
    char folder[MAX_PATH] = {}, temp[MAX_PATH] = {};
    if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "kvv", 0, temp)) {
        m_result = HRESULT_FROM_WIN32(GetLastError());
        return;
    }
    m_temp = temp;
    CWaitCursor wait;
    m_result = g_decoder(m_path.c_str(), m_temp.c_str());
    if (m_result == S_OK)
        m_path = m_temp;
}

VideoForAviSave::~VideoForAviSave()
{
    if (!m_temp.empty())
        DeleteFileA(m_temp.c_str());
}

BOOL DocumentHost::RunOpenVideoDialog(std::string* path)
{
    CFileDialog dialog(TRUE, Text(IDS_VIDEO_EXTENSION).c_str(), path->c_str(), OFN_HIDEREADONLY,
                       Text(IDS_VIDEO_FILTER).c_str(), nullptr);
    const std::string title = Text(IDS_OPEN_VIDEO_TITLE);
    dialog.m_ofn.lpstrTitle = title.c_str();
    if (dialog.DoModal() != IDOK)
        return FALSE;
    *path = static_cast<const char*>(dialog.GetPathName());
    return TRUE;
}

HRESULT CNyMultiTrackDoc::SetVideoFile(const char* path, int flag)
{
    const int type = m_fileInfo.fileType;
    if (type != 0 && type != 1 && type != 20)
        return E_FAIL;
    const std::string wanted = path ? path : "";
    DocWiring::DocumentVideo* video = DocWiring::VideoOf(this);
    // A project being read only names its video; the load opens it at its end.
    if (flag == 0 || wanted.empty()) {
        if (wanted.empty() && video)
            video->CloseVideo();
        m_videoPath = wanted.c_str();
        SetVideoOpen(!wanted.empty() && (!video || video->HasVideo()));
        if (video && flag)
            video->Relayout();
        return S_OK;
    }
    // Attached by the user: it must be a video that a source reads.
    if (video ? !video->OpenVideo(wanted.c_str()) : !FileExists(wanted.c_str()))
        return E_FAIL;
    m_videoPath = wanted.c_str();
    SetVideoOpen(TRUE);
    SetViewOption(kCmdViewVideoTrack, 1);
    if (video)
        video->Relayout();
    return S_OK;
}

void CNyMultiTrackDoc::OpenVideoOnLoad(const char* documentPath)
{
    DocumentHost& host = GetDocumentHost();
    DocWiring::DocumentVideo* video = DocWiring::VideoOf(this);
    std::string videoPath = static_cast<const char*>(m_videoPath);
    const int type = m_fileInfo.fileType;
    SetVideoOpen(FALSE);
    if (videoPath.empty() && !m_fileInfo.hasVideo) {
        m_fileInfo.videoValue = 0;
    } else if ((type == 0 || type == 1 || type == 20) && !videoPath.empty()) {
        // A relative video path counts from the project's folder.
        std::string folder = documentPath;
        const size_t slash = folder.find_last_of("\\/");
        if (slash != std::string::npos)
            SetCurrentDirectoryA(folder.substr(0, slash + 1).c_str());
        bool remove = false;
        for (;;) {
            FileInfoRecord record{};
            HRESULT hr = kFileNotFound;
            IKvSKsFIO* fio = host.FileModule();
            if (FileExists(videoPath.c_str()))
                hr = fio ? fio->QueryFileInfo(host.OwnerWindow(), videoPath.c_str(), -1, 0, &record) : E_FAIL;
            if (hr == kFileNotFound) {
                if (host.ShowMessageText(Format(IDS_VIDEO_CANNOT_LOCATE, videoPath.c_str()).c_str(),
                                         MB_YESNO | MB_ICONQUESTION) == IDYES &&
                    host.RunOpenVideoDialog(&videoPath))
                    continue;
                remove = true;
                break;
            }
            // The file module knows AVI files only: another file is a video when a source reads it.
            const bool moduleSaysVideo = SUCCEEDED(hr) && record.hasVideo;
            if (SUCCEEDED(hr) && !record.hasVideo) {
                host.ShowMessageText(Format(IDS_VIDEO_NO_VIDEO_TRACK, videoPath.c_str()).c_str(), MB_OK);
                remove = true;
                break;
            }
            if (video && video->OpenVideo(videoPath.c_str())) {
                SetVideoOpen(TRUE);
                m_fileInfo.videoValue = moduleSaysVideo ? record.videoValue : 1;
                if (videoPath != static_cast<const char*>(m_videoPath)) {
                    m_videoPath = videoPath.c_str();
                    SetModifiedFlag(TRUE);
                }
            } else if (video) {
                host.ShowMessageText(Format(IDS_VIDEO_OPEN_FAILED, videoPath.c_str()).c_str(), MB_OK);
                m_fileInfo.videoValue = 0;
            }
            break;
        }
        if (remove) {
            m_fileInfo.videoValue = 0;
            if (host.ShowMessageText(Format(IDS_VIDEO_REMOVE_INFO, documentPath).c_str(),
                                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
                m_videoPath = "";
                SetModifiedFlag(TRUE);
            }
        }
    } else if (video && video->OpenVideo(documentPath)) {
        SetVideoOpen(TRUE);
    }
    if (IsVideoOpen()) {
        if (m_videoPath.IsEmpty())
            m_videoPath = documentPath;
        if (video && video->LacksFrameDecoder())
            host.ShowMessageText(Format(IDS_VIEW_NO_VIDEO_CODEC, video->GetCodecText().c_str()).c_str(), MB_OK);
    }
    // No relayout: the view is laid out with its scroll bars when the frame's first update
    // follows the open, and one now would be thrown away (the view is not shown yet).
    SetViewOption(kCmdViewVideoTrack, IsVideoOpen() ? 1 : 0);
}
