#include "FormatConverter.h"

#include "GraphHelpers.h"
#include "IAttributeSettings.h"
#include "IKsDShowSource.h"
#include "ITracksWriterOutput.h"
#include "KvSSException.h"
#include "ModuleObjects.h"
#include "NyException.h"
#include "ResourceModule.h"

#include <control.h>
#include <evcode.h>
#include <uuids.h>

#include <cmath>
#include <cstring>

namespace {

void ThrowNy(HRESULT hr)
{
    if (FAILED(hr))
        throw CNyException(hr);
}

} // namespace

LONG ProgressPercent(LONGLONG position, LONGLONG duration)
{
    if (duration <= 0 || position <= 0)
        return 0;
    double p = std::floor(double(position) / double(duration) * 100.0);
    return p >= 100.0 ? 100 : LONG(p);
}

FormatConverter::~FormatConverter()
{
    ReleaseAll();
}

void FormatConverter::ReleaseAll()
{
    m_writer.Reset();
    m_attribute.Reset();
    m_source.Reset();
    m_graph.Reset();
}

HRESULT FormatConverter::CreateAttributeFilter()
{
    ComRef<IBaseFilter> created;
    HRESULT hr = CreateModuleObject("KvSEAttr.dll", CLSID_KvSEAttr, IID_IBaseFilter, created.OutVoid());
    if (FAILED(hr))
        return hr;
    return created->QueryInterface(IID_IBaseFilter, m_attribute.OutVoid());
}

HRESULT FormatConverter::Build()
{
    ReleaseAll();
    try {
        ThrowNy(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterGraph, m_graph.OutVoid()));
        ThrowNy(CreateModuleObject("KsDShowSrc.dll", CLSID_KsDShowSrc, IID_IBaseFilter, m_source.OutVoid()));
        ThrowNy(m_graph->AddFilter(m_source.Get(), nullptr));
        ThrowNy(CreateAttributeFilter());
        ThrowNy(m_graph->AddFilter(m_attribute.Get(), nullptr));
        ThrowNy(CreateModuleObject("KsTrksWt.dll", CLSID_KsTrksWt, IID_IBaseFilter, m_writer.OutVoid()));
        ThrowNy(m_graph->AddFilter(m_writer.Get(), nullptr));
        return S_OK;
    } catch (const CNyException& e) {
        ReleaseAll();
        return e.m_hr;
    }
}

HRESULT FormatConverter::Connect()
{
    if (!m_graph)
        return E_UNEXPECTED;
    try {
        ComRef<IPin> out, in;
        ThrowNy(FindPinByDirection(m_source.Get(), PINDIR_OUTPUT, out.Out()));
        ThrowNy(FindPinByDirection(m_attribute.Get(), PINDIR_INPUT, in.Out()));
        ThrowNy(m_graph->ConnectDirect(out.Get(), in.Get(), nullptr));
        ComRef<IPin> out2, in2;
        ThrowNy(FindPinByDirection(m_attribute.Get(), PINDIR_OUTPUT, out2.Out()));
        ThrowNy(FindPinByDirection(m_writer.Get(), PINDIR_INPUT, in2.Out()));
        ThrowNy(m_graph->ConnectDirect(out2.Get(), in2.Get(), nullptr));
        return S_OK;
    } catch (const CNyException& e) {
        return e.m_hr;
    }
}

HRESULT FormatConverter::Disconnect()
{
    if (!m_graph)
        return E_UNEXPECTED;
    try {
        IBaseFilter* ends[] = {m_source.Get(), m_writer.Get()};
        PIN_DIRECTION dirs[] = {PINDIR_OUTPUT, PINDIR_INPUT};
        for (int i = 0; i < 2; ++i) {
            ComRef<IPin> pin;
            ThrowIfFailed(FindPinByDirection(ends[i], dirs[i], pin.Out()));
            ComRef<IPin> peer;
            if (SUCCEEDED(pin->ConnectedTo(peer.Out()))) {
                m_graph->Disconnect(peer.Get());
                ThrowIfFailed(m_graph->Disconnect(pin.Get()));
            }
        }
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

void FormatConverter::SetTargetFormat(DWORD rate, WORD bits, WORD channels, DWORD fourth)
{
    ComRef<IAttributeSettings> settings;
    if (!m_attribute || FAILED(m_attribute->QueryInterface(__uuidof(IAttributeSettings), settings.OutVoid())))
        return;
    settings->SetSamplesPerSec(rate);
    settings->SetBitsPerSample(bits);
    settings->SetChannels(channels);
    settings->SetCalcPrecision(fourth);
}

BOOL FormatConverter::NotifyProgress(WPARAM code, const char* text, LONG value)
{
    if (!m_progress)
        return FALSE;
    ProgressRecord record;
    std::memset(&record, 0, sizeof(record));
    record.value = value;
    if (text)
        lstrcpynA(record.text, text, sizeof(record.text));
    SendMessageA(m_progress, kProgressMessage, code, reinterpret_cast<LPARAM>(&record));
    return record.cancel != 0;
}

HRESULT FormatConverter::Run()
{
    if (!m_graph || !m_writer)
        return E_UNEXPECTED;
    ComRef<IMediaControl> control;
    ComRef<IMediaEvent> events;
    ComRef<IMediaSeeking> seeking;
    try {
        ThrowNy(m_graph->QueryInterface(IID_IMediaControl, control.OutVoid()));
        ThrowNy(m_graph->QueryInterface(IID_IMediaEvent, events.OutVoid()));
        ThrowNy(m_writer->QueryInterface(IID_IMediaSeeking, seeking.OutVoid()));
    } catch (const CNyException& e) {
        return e.m_hr;
    }
    HRESULT hr = control->Run();
    if (FAILED(hr)) {
        // The filters that started before the writer refused stay streaming otherwise.
        StopEveryFilter(m_graph.Get());
        return hr;
    }

    char title[320] = "Resampling the data...";
    char loaded[320];
    if (LoadStringA(GetResourceModule(), kResamplingTitleId, loaded, sizeof(loaded)) > 0)
        lstrcpynA(title, loaded, sizeof(title));
    NotifyProgress(kProgressStarted, title, 0);
    LONGLONG duration = 0;
    seeking->GetDuration(&duration);
    OAEVENT handle = 0;
    hr = events->GetEventHandle(&handle);
    if (FAILED(hr)) {
        control->Stop();
        NotifyProgress(kProgressCancelled, title, 0); // the window opened by code 1 must close
        return hr;
    }

    LONG percent = 0;
    bool cancelled = false;
    for (;;) {
        FILTER_STATE state = State_Running;
        if (WaitForSingleObject(reinterpret_cast<HANDLE>(handle), 100) == WAIT_OBJECT_0) {
            long code = 0;
            LONG_PTR p1 = 0, p2 = 0;
            HRESULT got = events->GetEvent(&code, &p1, &p2, 500);
            if (SUCCEEDED(got)) {
                events->FreeEventParams(code, p1, p2);
                if (code == EC_COMPLETE) {
                    control->StopWhenReady();
                    hr = S_OK;
                    break;
                }
                if (code == EC_ERRORABORT) {
                    control->Stop();
                    hr = static_cast<HRESULT>(p1);
                    break;
                }
                if (code == EC_USERABORT) {
                    control->Stop();
                    hr = kConversionCancelled;
                    cancelled = true;
                    break;
                }
                continue;
            }
            if (got == E_ABORT && control->GetState(10, reinterpret_cast<OAFilterState*>(&state)) == S_OK &&
                state == State_Stopped) {
                hr = kConversionCancelled;
                cancelled = true;
                break;
            }
            continue;
        }
        // A graph that stopped without any event would otherwise be waited for forever.
        if (control->GetState(0, reinterpret_cast<OAFilterState*>(&state)) == S_OK && state == State_Stopped) {
            hr = kConversionCancelled;
            cancelled = true;
            break;
        }
        LONGLONG position = 0;
        seeking->GetCurrentPosition(&position);
        percent = ProgressPercent(position, duration);
        if (NotifyProgress(kProgressStep, title, percent)) {
            control->Stop();
            hr = kConversionCancelled;
            cancelled = true;
            break;
        }
    }
    if (cancelled)
        NotifyProgress(kProgressCancelled, title, percent);
    else
        NotifyProgress(kProgressFinished, title, 100);
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK)
        events->FreeEventParams(code, p1, p2);
    return hr;
}
