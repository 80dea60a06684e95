// TracksReader: the tracks reader filter object of KsTrksRd.dll: the mix of the marked tracks.
#pragma once
#include "EngineSourceFilter.h"
#include "ITracksReaderSetup.h"

class TracksReader : public FilterObject<EngineSourceFilter, ITracksReaderSetup, SeekingPassThru> {
public:
    TracksReader();

    STDMETHODIMP SetTrackSet(IUnknown* trackSet) override;
    STDMETHODIMP SetOutputChannels(LONG channels) override;
    STDMETHODIMP SetReadAutomation(LONG on) override;
    STDMETHODIMP SetSwitch6(LONG value) override { return Keep(6, value); }
    STDMETHODIMP SetSwitch7(LONG value) override;
    STDMETHODIMP SetSwitch8(LONG value) override;
    STDMETHODIMP SetSwitch9(LONG value) override { return Keep(9, value); }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP SetSwitch18(LONG value) override { return Keep(18, value); }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP SetSwitch20(LONG value) override { return Keep(20, value); }

    HRESULT LocalDuration(LONGLONG* d) override { return StreamDuration(d); }
    HRESULT LocalPosition(LONGLONG* p) override { return StreamPosition(p); }

protected:
    IMediaSeeking* PinUpstreamSeeking(OutputPin*) override;
    // Samples of kSampleFrames: each is one write of the file at the other end, and every
    // hand-off between the filters costs its own calls.
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    static constexpr long kSampleFrames = 32768;

private:
    // Every switch is 0 or 1.
    HRESULT Keep(int slot, LONG value)
    {
        if (value != 0 && value != 1)
            return E_INVALIDARG;
        m_switches[slot] = value;
        return S_OK;
    }
    void ChooseRange();
    LONG m_switches[21] = {};
};
