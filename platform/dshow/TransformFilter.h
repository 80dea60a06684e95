// TransformFilter: one input and one output pin ("In" and "Out" unless the filter names them);
// every input sample becomes an output sample through Transform, or the derived filter takes
// over ProcessSample to deliver any number of output samples (resamplers) with
// Output()->GetDeliveryBuffer / Deliver.
// Streaming hooks run on the upstream thread under the stream lock.
#pragma once
#include "BaseFilter.h"

#include <cstdint>

struct TransformFilter : BaseFilter {
    explicit TransformFilter(const wchar_t* inputName = L"In", const wchar_t* outputName = L"Out");

    InputPin* Input() const { return m_input; }
    OutputPin* Output() const { return m_output; }

protected:
    // Type negotiation.
    virtual HRESULT CheckInputType(const AM_MEDIA_TYPE& in) = 0;
    virtual HRESULT CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) = 0;
    // The i-th output type for the connected input; VFW_S_NO_MORE_ITEMS past the end.
    virtual HRESULT GetOutputType(int i, MediaType& out) = 0;
    virtual HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) = 0;
    // Stamps the sample with the times of output frames [*framesOut, *framesOut + frames) at
    // rate, marks it a sync point, counts the frames into *framesOut and delivers it (the caller
    // keeps its reference).
    HRESULT DeliverStamped(IMediaSample* sample, uint64_t* framesOut, uint64_t frames, uint32_t rate);
    // Bytes that the frames of one input sample fill in the output format (its rate included);
    // 0 before the input has an allocator. An output sample this large takes a whole input block.
    long InputBlockBytesAs(const WAVEFORMATEX& out) const;

    // One output sample per input sample; S_FALSE drops the output sample.
    virtual HRESULT Transform(IMediaSample*, IMediaSample*) { return E_NOTIMPL; }
    // Default: a delivery buffer, Transform, deliver. Override to deliver freely.
    virtual HRESULT ProcessSample(IMediaSample* in);

    // Notifications: paused from stopped / stopped; end of stream before it is passed on
    // (deliver any held-back output here); flushes before they are passed on.
    virtual HRESULT StartStreaming() { return S_OK; }
    virtual void StopStreaming() {}
    virtual HRESULT OnEndOfStream() { return S_OK; }
    virtual void OnBeginFlush() {}
    virtual void OnEndFlush() {}

    // BaseFilter hooks
    HRESULT PinCheckMediaType(BasePin* pin, const AM_MEDIA_TYPE& mt) override;
    HRESULT PinGetMediaType(BasePin* pin, int i, MediaType& mt) override;
    HRESULT PinCompleteConnect(BasePin* pin, IPin* peer) override;
    HRESULT PinReceive(InputPin* pin, IMediaSample* sample) override;
    HRESULT PinEndOfStream(InputPin* pin) override;
    HRESULT PinBeginFlush(InputPin* pin) override;
    HRESULT PinEndFlush(InputPin* pin) override;
    HRESULT PinNewSegment(InputPin* pin, REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    HRESULT PinDecideBufferSize(OutputPin* pin, IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    IMediaSeeking* PinUpstreamSeeking(OutputPin* pin) override;
    HRESULT OnPause(FILTER_STATE from) override;
    void OnStop() override;

private:
    InputPin* m_input;
    OutputPin* m_output;
    bool m_streaming = false;
};

KV_FILTER_KIND(TransformFilter)
