// PeakFile: the IPeakFile stream object. A temporary audio data file whose bytes also go
// through a PeakBuilder, so a new channel or track gets its peaks while its data is written.
// The temporary files are left for their owner to delete.
#pragma once
#include "ComRef.h"
#include "RefCounted.h"
#include "StreamObjects.h"

// The failure code of a format the peak file refuses (more than two channels).
constexpr HRESULT kPeakFileFormatNotSupported = static_cast<HRESULT>(0x83E804B4);

class PeakFile : public ComExtend<RefCounted, IPeakFile> {
public:
    PeakFile() = default;
    ~PeakFile() override;

    HRESULT STDMETHODCALLTYPE Create(const WaveFormat* format, DWORD framesPerBlock) override;
    HRESULT STDMETHODCALLTYPE Write(const void* data, DWORD bytes, DWORD* done) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE GetDataFileName(char* buffer, DWORD capacity) override;
    HRESULT STDMETHODCALLTYPE GetPeakFileName(char* buffer, DWORD capacity) override;
    HRESULT STDMETHODCALLTYPE GetDataSize(uint64_t* size) override;

private:
    void ReleaseParts();
    // Closes and deletes the data file of a failed Create, then releases both parts.
    void DiscardParts();

    ComRef<IFileStream> m_data;
    ComRef<IPeakBuilder> m_builder;
};
