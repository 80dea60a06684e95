#include "EffectEnvironment.h"

#include "ComRef.h"
#include "IEffectEnvironment.h"
#include "IGraphicEq.h"
#include "TempFilePaths.h"

namespace {

template <class I, class Call>
void Offer(IUnknown* filter, Call call)
{
    ComRef<I> api;
    if (SUCCEEDED(filter->QueryInterface(__uuidof(I), api.OutVoid())) && api)
        call(api.Get());
}

} // namespace

EffectEnvironment MakeEffectEnvironment(int firstTrackChannels, DWORD sampleRate)
{
    EffectEnvironment environment;
    TempFilePaths temp;
    environment.workFolder = temp.GetFolder();
    while (!environment.workFolder.empty() && environment.workFolder.back() == '\\')
        environment.workFolder.pop_back();
    environment.channelMode = firstTrackChannels == 1 ? 2 : firstTrackChannels == 2 ? 1 : 0;
    environment.channelLayout = firstTrackChannels == 1 ? 1 : firstTrackChannels == 2 ? 2 : firstTrackChannels == 6 ? 3 : 0;
    environment.sampleRate = sampleRate;
    return environment;
}

void TellEffectEnvironment(IUnknown* filter, const EffectEnvironment& e)
{
    if (!filter)
        return;
    const int rate = static_cast<int>(e.sampleRate);
    Offer<IEffectWorkFolder>(filter, [&](IEffectWorkFolder* f) { f->SetWorkFolder(e.workFolder.c_str()); });
    Offer<IEffectChannelMode>(filter, [&](IEffectChannelMode* f) { f->SetChannelMode(e.channelMode); });
    Offer<IEffectChannelMode2>(filter, [&](IEffectChannelMode2* f) { f->SetChannelMode(e.channelMode); });
    Offer<IEffectChannelLayout>(filter, [&](IEffectChannelLayout* f) { f->SetChannelLayout(e.channelLayout); });
    Offer<IEffectChannelLayout2>(filter, [&](IEffectChannelLayout2* f) { f->SetChannelLayout(e.channelLayout); });
    Offer<IEffectSampleRate>(filter, [&](IEffectSampleRate* f) { f->SetSampleRate(rate); });
    Offer<IEffectSampleRate2>(filter, [&](IEffectSampleRate2* f) { f->SetSampleRate(rate); });
    Offer<IGraphicEq>(filter, [&](IGraphicEq* f) { f->SetSampleRate(rate); });
    Offer<IEffectSampleRate3>(filter, [&](IEffectSampleRate3* f) { f->SetSampleRate(rate); });
}
