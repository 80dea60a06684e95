// GraphicEqFilter: the equaliser's DirectShow transform filter. One input and one output pin
// with the same format: 16-bit PCM or 32-bit float (also in the extensible form), 1, 2 or 6
// channels. Each input sample is filtered by the engine into one output sample; in FIR mode
// the first samples of a stream are empty and the delayed frames follow, the last ones at
// end of stream. Carries the parameters (IGraphicEq), presets (IEffectPresets), the 68-byte
// persisted state (IPersistStream) and the two property pages (ISpecifyPropertyPages).
#pragma once
#include "DShowBase.h"
#include "EqWaveFormat.h"
#include "GraphicEqParams.h"
#include "IGraphicEq.h"

#include <vector>

struct GraphicEqTransform : TransformFilter {
    GraphicEqTransform() : TransformFilter(L"Input", L"Output") {}

protected:
    HRESULT CheckInputType(const AM_MEDIA_TYPE& in) override;
    HRESULT CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) override;
    HRESULT GetOutputType(int i, MediaType& out) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT ProcessSample(IMediaSample* in) override;
    HRESULT StartStreaming() override;
    HRESULT OnEndOfStream() override;
    // A flush (seek) drops what the filters hold: nothing from before it may come out after.
    void OnEndFlush() override;
    HRESULT PinCheckMediaType(BasePin* pin, const AM_MEDIA_TYPE& mt) override;
    HRESULT PinCompleteConnect(BasePin* pin, IPin* peer) override;
    void PinBreakConnect(BasePin* pin) override;

    // A sample that carries a new input type (the input pin has accepted it): both formats
    // follow it, the engine restarts in it, and `out` carries the output type downstream.
    HRESULT TakeInputType(const AM_MEDIA_TYPE& mt, IMediaSample* out);
    // Runs one engine call and delivers its frames: into `first` when they fit, else spread
    // over as many output samples as needed. deliverEmpty sends `first` even with no frames.
    HRESULT RunAndDeliver(IMediaSample* first, geq::EqChunk chunk, const BYTE* src, size_t frames, bool deliverEmpty);

    geq::GraphicEqParams m_params;
    geq::WaveFormat m_inFormat{};
    geq::WaveFormat m_outFormat{};
    std::vector<BYTE> m_spill; // engine output that does not fit one output sample
};

KV_FILTER_KIND(GraphicEqTransform)

class GraphicEqFilter
    : public FilterObject<GraphicEqTransform, IGraphicEq, ISpecifyPropertyPages, IPersistStream, IEffectPresets> {
public:
    GraphicEqFilter();

    // IPersist
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    // IGraphicEq
    STDMETHODIMP GetBand1(int* v) override { return GetParam(0, v); }
    STDMETHODIMP GetBand2(int* v) override { return GetParam(1, v); }
    STDMETHODIMP GetBand3(int* v) override { return GetParam(2, v); }
    STDMETHODIMP GetBand4(int* v) override { return GetParam(3, v); }
    STDMETHODIMP GetBand5(int* v) override { return GetParam(4, v); }
    STDMETHODIMP GetBand6(int* v) override { return GetParam(5, v); }
    STDMETHODIMP GetBand7(int* v) override { return GetParam(6, v); }
    STDMETHODIMP GetBand8(int* v) override { return GetParam(7, v); }
    STDMETHODIMP GetBand9(int* v) override { return GetParam(8, v); }
    STDMETHODIMP GetBand10(int* v) override { return GetParam(9, v); }
    STDMETHODIMP GetMaster(int* v) override { return GetParam(geq::kMasterIndex, v); }
    STDMETHODIMP GetMode(int* v) override { return GetParam(geq::kModeIndex, v); }
    STDMETHODIMP GetSampleRate(int* rate) override;
    STDMETHODIMP SetBand1(int v) override { return SetParam(0, v); }
    STDMETHODIMP SetBand2(int v) override { return SetParam(1, v); }
    STDMETHODIMP SetBand3(int v) override { return SetParam(2, v); }
    STDMETHODIMP SetBand4(int v) override { return SetParam(3, v); }
    STDMETHODIMP SetBand5(int v) override { return SetParam(4, v); }
    STDMETHODIMP SetBand6(int v) override { return SetParam(5, v); }
    STDMETHODIMP SetBand7(int v) override { return SetParam(6, v); }
    STDMETHODIMP SetBand8(int v) override { return SetParam(7, v); }
    STDMETHODIMP SetBand9(int v) override { return SetParam(8, v); }
    STDMETHODIMP SetBand10(int v) override { return SetParam(9, v); }
    STDMETHODIMP SetMaster(int v) override { return SetParam(geq::kMasterIndex, v); }
    STDMETHODIMP SetMode(int v) override { return SetParam(geq::kModeIndex, v); }
    STDMETHODIMP SetSampleRate(int rate) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP GetAll(int* block) override;
    STDMETHODIMP SetAll(const int* block) override;
    STDMETHODIMP GetConnectionFormat(WAVEFORMATEXTENSIBLE* format, int pin) override;
    STDMETHODIMP SetNotifyWindow(HWND window, int id) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;
    // IPersistStream
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    // IEffectPresets
    STDMETHODIMP GetPresetCount(int* count) override;
    STDMETHODIMP GetPresetName(unsigned index, wchar_t* name, int length) override;
    STDMETHODIMP SelectPreset(unsigned index) override;

private:
    HRESULT GetParam(int index, int* v);
    HRESULT SetParam(int index, int v);
};
