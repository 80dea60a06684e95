// The file module's object: file information, conversion of sound files into the engine's
// track files (FileIO_Convert.cpp), writing the engine's tracks as a sound file
// (FileIO_Write.cpp), markers and attributes, the format tables, and preview playback
// (FileIO_Preview.cpp). Every slot catches at its edge.
#pragma once
#include "ComRef.h"
#include "IKvSKsFIO.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "SoundFile.h"

#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

class FileAttributes;
class SoundSource;

class FileIO : public ComObject<IKvSKsFIO> {
public:
    FileIO() = default;
    ~FileIO() override;

    HRESULT STDMETHODCALLTYPE GetCompletionResult() override;
    HRESULT STDMETHODCALLTYPE SetWriteAttributes(IUnknown* attributes) override;
    HRESULT STDMETHODCALLTYPE WriteSoundFile(HWND owner, const char* path, const char* videoPath,
                                             FileInfoRecord* record, const void* markers, LONG markerCount,
                                             LONG fileMarkerCount, const void* fileMarkers,
                                             const void* loopBlock) override;
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConvertToTrackFiles(HWND owner, const char* path, FileInfoRecord* record,
                                                  IUnknown** attributes, char** names, LONG reserved, LONG* value1,
                                                  LONG* value2, WORD* markerCount, void** markers, void** loopBlock,
                                                  LONG split, LONG channelLimit) override;
    HRESULT STDMETHODCALLTYPE SetTrackSet(IUnknown* trackSet) override;
    HRESULT STDMETHODCALLTYPE Reserved9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWriteChannels(LONG channelLimit, LONG value) override;
    HRESULT STDMETHODCALLTYPE SetVideoPath(const char* path) override;
    HRESULT STDMETHODCALLTYPE StopPreview() override;
    HRESULT STDMETHODCALLTYPE PlayPreview(HWND notify, const char* path) override;
    HRESULT STDMETHODCALLTYPE QueryFileInfo(HWND owner, const char* path, LONG type, LONG mode,
                                            FileInfoRecord* record) override;
    HRESULT STDMETHODCALLTYPE GetSaveFormats(LONG multichannel, LONG* count, FileFormatEntry** formats) override;
    HRESULT STDMETHODCALLTYPE GetFileTypes(LONG* count, FileFormatEntry** types, LONG import) override;
    HRESULT STDMETHODCALLTYPE GetNextEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG flags) override;
    HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved21() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved22() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReadFileMarkers(const char* path, FileInfoRecord* record, LONG* markerCount,
                                              void** markers, WORD* fileMarkerCount, void** fileMarkers,
                                              void** loopBlock) override;
    HRESULT STDMETHODCALLTYPE GetFileAttributes(const char* path, FileInfoRecord* record,
                                                IUnknown** attributes) override;
    HRESULT STDMETHODCALLTYPE SetDocumentPath(const char* path) override;

private:
    void Write(HWND owner, const char* path, FileInfoRecord* record, const FioMarkerRecord* markers, LONG count,
               const FioLoopBlock* loop);
    void Convert(HWND owner, const char* path, FileInfoRecord* record, IUnknown** attributes, char** names, LONG* files,
                 LONG* channelsPerFile, WORD* markerCount, void** markers, void** loopBlock, LONG split,
                 LONG channelLimit);
    // The information entries and kept chunks the next write carries.
    void TakeWriteAttributes(SoundFile* sound);

    ComRef<IMtTrackSet> m_engine;
    ComRef<IUnknown> m_writeAttributes;
    LONG m_channelLimit = 0;
    LONG m_writeValue = 0;
    std::string m_videoPath, m_documentPath;
    HRESULT m_last = S_OK;

    // Preview playback.
    std::thread m_preview;
    HANDLE m_stop = nullptr;
    HWND m_notify = nullptr;
    std::mutex m_eventLock;
    std::deque<LONG> m_events;
};

// Frames a long call moves at once: a multiple of the peak block.
constexpr size_t kBlockFrames = 262144;

bool IsSoundType(LONG type);
// Opens a sound file of a module type (detected when type is -1 or not a sound type).
void OpenSoundFile(const char* path, LONG type, SoundFile* sound);
// Refuses, with the engine's own code, a rate the engine cannot hold and a loop whose
// positions the loop block cannot carry (the document reads its words as signed).
void CheckEngineLimits(const SoundFile& sound);
// Fills the record's sound fields from a sound file.
void FillRecord(const SoundFile& sound, FileInfoRecord* record);
// The frames of a sound file as stored.
std::unique_ptr<SoundSource> OpenSource(const char* path, const SoundFile& sound);
// The most marker records a block handed out with a 16-bit count holds.
constexpr size_t kMaxFileMarkers = 65535;
// The file's marks as marker records (cue points and sections).
std::vector<FioMarkerRecord> MarkerRecords(const SoundFile& sound);
// A new attribute object holding the file's information entries and kept chunks.
ComRef<FileAttributes> NewAttributes(const SoundFile& sound);
// The file name of a path without its folder.
std::string FileNameOf(const char* path);

// Runs body and turns what it throws into a result.
template <class Fn>
HRESULT Catching(Fn body)
{
    try {
        body();
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// A copy of count records in global memory (null for none); throws E_OUTOFMEMORY.
void* CopyBytesToGlobal(const void* data, size_t bytes);
template <class T>
T* CopyToGlobal(const T* data, size_t count)
{
    return static_cast<T*>(CopyBytesToGlobal(data, count * sizeof(T)));
}
