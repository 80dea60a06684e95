// TracksWriter: the renderer of KsTrksWt.dll. Writes every sample it receives into a raw data
// file (engine storage layout) and a peak file in the temporary folder; a run that stops
// before its end of stream deletes both, so only a complete run leaves files behind.
#pragma once
#include "DShowBase.h"
#include "ITracksWriterOutput.h"
#include "SampleConverter.h"
#include "StreamObjects.h"
#include "WaveFormat.h"

#include <string>
#include <vector>

class TracksWriter : public RendererObject<RendererFilter, ITracksWriterOutput> {
public:
    TracksWriter();
    ~TracksWriter() override;

    // ITracksWriterOutput
    STDMETHODIMP GetDataFileName(char* buffer) override;
    STDMETHODIMP GetPeakFileName(char* buffer) override;
    STDMETHODIMP GetWaveFormat(WAVEFORMATEX* format) override;
    STDMETHODIMP GetWrittenLength(LONGLONG* frames) override;
    STDMETHODIMP SetDataFileName(const char* path) override;
    STDMETHODIMP SetPeakFileName(const char* path) override;
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reset() override;

    HRESULT RenderedPosition(LONGLONG* pos) override;

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT RenderSample(IMediaSample* sample) override;
    HRESULT OnStartStreaming() override;
    void OnStopStreaming() override;
    HRESULT OnEndOfStreamReceived() override;

private:
    void CloseFiles();
    void DeleteFiles();
    // The data waiting in m_pending into the file.
    void WritePending();
    // Bytes into the file whole; a short write is a full disk.
    void WriteData(const void* data, size_t bytes);

    CritSec m_outputLock; // names and counts against the caller's questions
    std::string m_wantData, m_wantPeak;
    std::string m_dataName, m_peakName, m_tempPeakName;
    IFileStream* m_data = nullptr;
    IPeakBuilder* m_peaks = nullptr;
    bool m_complete = false;
    WaveFormat m_format, m_storage;
    SampleConverter m_convert;
    std::vector<uint8_t> m_buffer;
    std::vector<uint8_t> m_pending; // stored data not yet written, written in large pieces
    LONGLONG m_frames = 0;
};
