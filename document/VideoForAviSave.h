// The video a save as AVI copies: the document's own video file, or, for a video that is no
// AVI, a temporary AVI of its decoded frames (uncompressed RGB24), deleted with the object.
#pragma once
#include <windows.h>

#include <string>

// Writes the decoded frames of the video at path into an AVI at aviPath; S_FALSE for an AVI
// whose samples are copied as they are. The video code installs it.
using VideoDecoder = HRESULT (*)(const char* path, const char* aviPath);
void SetVideoDecoder(VideoDecoder decoder);

class VideoForAviSave {
public:
    // Nothing is decoded unless asAvi, or without a decoder installed.
    VideoForAviSave(const char* path, bool asAvi);
    ~VideoForAviSave();
    VideoForAviSave(const VideoForAviSave&) = delete;
    VideoForAviSave& operator=(const VideoForAviSave&) = delete;
    HRESULT Result() const { return m_result; }
    // Null without a video.
    const char* Path() const { return m_path.empty() ? nullptr : m_path.c_str(); }

private:
    std::string m_path, m_temp;
    HRESULT m_result = S_OK;
};
