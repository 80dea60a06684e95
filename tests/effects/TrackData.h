// A document's track data for the effect tests: raw frames put on a track, and the stored
// frames of a track's whole span read back byte for byte.
#pragma once
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "MultiTrackDoc.h"
#include "RawClip.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace fxtest {

// Writes the frames (in the engine's storage of the document's bits) to the file at path and
// puts them on the track at offset.
inline void PutFrames(CNyMultiTrackDoc* doc, int track, const std::vector<uint8_t>& bytes, const std::string& path,
                      int64_t offset = 0)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ComRef<IMtClip> clip;
    ASSERT_EQ(S_OK, MakeRawClip(path, doc->GetTrackChannels(track), doc->GetBitsPerSample(), doc->GetSamplesPerSec(),
                                clip));
    ASSERT_EQ(S_OK, doc->GetTrack(track)->InsertClip(clip.Get(), offset, 0, 0));
}

inline std::vector<uint8_t> ReadTrackBytes(CNyMultiTrackDoc* doc, int track)
{
    IMtTrack* t = doc->GetTrack(track);
    std::vector<uint8_t> out;
    if (!t)
        return out;
    ComRef<IMtItem> reader;
    EXPECT_EQ(S_OK, t->CreateReader(reader.Out(), 0));
    const LONGLONG start = doc->GetTrackExtent(track, -1), end = doc->GetTrackExtent(track, 1);
    reader->SetRange(&start, &end);
    reader->BeginRead();
    std::vector<uint8_t> block(65536);
    DWORD got = 0;
    while (SUCCEEDED(reader->Read(block.data(), static_cast<DWORD>(block.size()), &got)) && got > 0)
        out.insert(out.end(), block.begin(), block.begin() + got);
    reader->EndRead();
    return out;
}

// Names of the files in a folder, sub-folders left out.
inline std::set<std::string> FilesIn(std::string folder)
{
    std::set<std::string> names;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return names;
}

} // namespace fxtest
