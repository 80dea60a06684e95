// KsDShowSource: the engine source filter object of KsDShowSrc.dll.
#pragma once
#include "EngineSourceFilter.h"
#include "IKsDShowSource.h"

class KsDShowSource : public FilterObject<EngineSourceFilter, IKsDShowSource, SeekingPassThru> {
public:
    KsDShowSource();

    // IKsDShowSource
    STDMETHODIMP AttachEngine(IUnknown* trackSet, LONG mix, LONG live) override;
    STDMETHODIMP GetEngine(IUnknown** trackSet) override;
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP SetOutputSampleFormat(LONG tag) override;
    STDMETHODIMP_(WORD) GetOutputSampleFormat() override { return FloatOutput() ? 3 : 1; }
    STDMETHODIMP SetOption(LONG id, LONG value) override;
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP SetOption11(LONG value) override;
    STDMETHODIMP SetReadAutomation(LONG on) override;
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP SetOption14(LONG value) override;

    // SeekingPassThru: this filter is where the stream's length is known.
    HRESULT LocalDuration(LONGLONG* d) override { return StreamDuration(d); }
    HRESULT LocalPosition(LONGLONG* p) override { return StreamPosition(p); }

protected:
    IMediaSeeking* PinUpstreamSeeking(OutputPin*) override;
    // A run into files reads in larger blocks than one heard live.
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;

private:
    LONG m_live = 0;
    LONG m_option8[2] = {0, 0};
    LONG m_option11 = 0, m_option14 = 0;
};
