#include "GraphHelpers.h"

HRESULT FindPinByDirection(IBaseFilter* filter, PIN_DIRECTION dir, IPin** pin)
{
    if (!pin)
        return E_POINTER;
    *pin = nullptr;
    if (!filter)
        return E_POINTER;
    IEnumPins* pins = nullptr;
    HRESULT hr = filter->EnumPins(&pins);
    if (FAILED(hr))
        return hr;
    IPin* candidate = nullptr;
    hr = E_FAIL;
    for (;;) {
        HRESULT next = pins->Next(1, &candidate, nullptr);
        if (next != S_OK) {
            if (FAILED(next))
                hr = next;
            break;
        }
        PIN_DIRECTION d;
        if (SUCCEEDED(candidate->QueryDirection(&d)) && d == dir) {
            *pin = candidate;
            hr = S_OK;
            break;
        }
        candidate->Release();
    }
    pins->Release();
    return hr;
}

void StopEveryFilter(IFilterGraph* graph)
{
    IEnumFilters* filters = nullptr;
    if (!graph || FAILED(graph->EnumFilters(&filters)))
        return;
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        filter->Stop();
        filter->Release();
    }
    filters->Release();
}
