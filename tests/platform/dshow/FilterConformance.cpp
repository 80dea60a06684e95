#include "FilterConformance.h"

#include "DShowBase.h"
#include "GraphRunner.h"

#include <gtest/gtest.h>

#include <uuids.h>

#include <string>
#include <vector>

namespace kvtest {
namespace {

// {0B7C1D8E-55AA-4F31-8E60-7D2C4B9A1E00}: asked for to see E_NOINTERFACE.
const IID kNoSuchInterface = {0x0b7c1d8e, 0x55aa, 0x4f31, {0x8e, 0x60, 0x7d, 0x2c, 0x4b, 0x9a, 0x1e, 0x00}};

IUnknown* Identity(IUnknown* p)
{
    IUnknown* u = nullptr;
    p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u));
    if (u)
        u->Release();
    return u;
}

std::vector<IPin*> AllPins(IBaseFilter* filter)
{
    std::vector<IPin*> pins;
    IEnumPins* e = nullptr;
    if (FAILED(filter->EnumPins(&e)))
        return pins;
    IPin* pin = nullptr;
    while (e->Next(1, &pin, nullptr) == S_OK)
        pins.push_back(pin);
    e->Release();
    return pins;
}

void ReleaseAll(std::vector<IPin*>& pins)
{
    for (IPin* p : pins)
        p->Release();
    pins.clear();
}

void CheckInterfaces(IBaseFilter* filter, const CLSID& clsid)
{
    IUnknown* self = Identity(filter);
    for (const IID* iid : {&IID_IBaseFilter, &IID_IMediaFilter, &IID_IPersist}) {
        IUnknown* p = nullptr;
        EXPECT_EQ(S_OK, filter->QueryInterface(*iid, reinterpret_cast<void**>(&p)));
        if (p) {
            EXPECT_EQ(self, Identity(p)) << "every interface leads back to one IUnknown";
            p->Release();
        }
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(kNoSuchInterface, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, filter->QueryInterface(IID_IBaseFilter, nullptr));
    CLSID got = GUID_NULL;
    EXPECT_EQ(S_OK, filter->GetClassID(&got));
    EXPECT_TRUE(got == clsid) << "GetClassID gives the class id";
}

void CheckPins(IBaseFilter* filter, const ConformanceSetup& setup)
{
    std::vector<IPin*> pins = AllPins(filter);
    int inputs = 0, outputs = 0;
    IUnknown* self = Identity(filter);
    for (IPin* pin : pins) {
        PIN_DIRECTION dir;
        ASSERT_EQ(S_OK, pin->QueryDirection(&dir));
        (dir == PINDIR_INPUT ? inputs : outputs)++;
        PIN_INFO info{};
        EXPECT_EQ(S_OK, pin->QueryPinInfo(&info));
        EXPECT_EQ(dir, info.dir);
        if (info.pFilter) {
            EXPECT_EQ(self, Identity(info.pFilter));
            info.pFilter->Release();
        }
        LPWSTR id = nullptr;
        ASSERT_EQ(S_OK, pin->QueryId(&id));
        IPin* found = nullptr;
        EXPECT_EQ(S_OK, filter->FindPin(id, &found)) << "FindPin finds a pin by its id";
        if (found) {
            EXPECT_EQ(Identity(pin), Identity(found));
            found->Release();
        }
        CoTaskMemFree(id);
        IPin* peer = reinterpret_cast<IPin*>(1);
        EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->ConnectedTo(&peer));
        EXPECT_EQ(nullptr, peer);
        AM_MEDIA_TYPE mt{};
        EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->ConnectionMediaType(&mt));

        IEnumMediaTypes* types = nullptr;
        ASSERT_EQ(S_OK, pin->EnumMediaTypes(&types));
        AM_MEDIA_TYPE* t = nullptr;
        while (types->Next(1, &t, nullptr) == S_OK) {
            EXPECT_EQ(S_OK, pin->QueryAccept(t)) << "a pin accepts the types it offers";
            DeleteMediaType(t);
        }
        types->Release();
    }
    EXPECT_EQ(setup.inputs, inputs);
    EXPECT_EQ(setup.outputs, outputs);
    IPin* none = nullptr;
    EXPECT_EQ(VFW_E_NOT_FOUND, filter->FindPin(L"no such pin", &none));

    // Enumerator protocol: batches, skip past the end, reset, clone.
    IEnumPins* e = nullptr;
    ASSERT_EQ(S_OK, filter->EnumPins(&e));
    std::vector<IPin*> batch(pins.size() + 1, nullptr);
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, e->Next(static_cast<ULONG>(batch.size()), batch.data(), &fetched));
    EXPECT_EQ(pins.size(), fetched);
    for (ULONG i = 0; i < fetched; ++i)
        batch[i]->Release();
    EXPECT_EQ(S_OK, e->Reset());
    EXPECT_EQ(S_FALSE, e->Skip(static_cast<ULONG>(pins.size() + 1)));
    IEnumPins* clone = nullptr;
    EXPECT_EQ(S_OK, e->Clone(&clone));
    if (clone)
        clone->Release();
    e->Release();
    ReleaseAll(pins);
}

void CheckStatesAlone(IBaseFilter* filter)
{
    FILTER_STATE state;
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    EXPECT_TRUE(SUCCEEDED(filter->Pause()));
    filter->GetState(0, &state);
    EXPECT_EQ(State_Paused, state);
    EXPECT_EQ(S_OK, filter->Stop());
    filter->GetState(0, &state);
    EXPECT_EQ(State_Stopped, state);
    FILTER_INFO info{};
    EXPECT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ(nullptr, info.pGraph);
}

void CheckConnection(IPin* out)
{
    IPin* in = nullptr;
    ASSERT_EQ(S_OK, out->ConnectedTo(&in));
    IPin* back = nullptr;
    ASSERT_EQ(S_OK, in->ConnectedTo(&back));
    EXPECT_EQ(Identity(out), Identity(back)) << "a connection is seen from both ends";
    AM_MEDIA_TYPE a{}, b{};
    EXPECT_EQ(S_OK, out->ConnectionMediaType(&a));
    EXPECT_EQ(S_OK, in->ConnectionMediaType(&b));
    EXPECT_TRUE(MediaTypesEqual(a, b)) << "both ends agree on the media type";
    FreeMediaType(a);
    FreeMediaType(b);
    back->Release();
    in->Release();
}

void CheckStreaming(IBaseFilter* filter, const ConformanceSetup& setup)
{
    TestGraph graph;
    ASSERT_TRUE(graph.Ok());
    ASSERT_EQ(S_OK, graph.Add(filter, L"filter under test"));
    FILTER_INFO info{};
    EXPECT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ(std::wstring(L"filter under test"), info.achName);
    if (info.pGraph)
        info.pGraph->Release();
    if (setup.upstream) {
        ASSERT_EQ(S_OK, graph.Add(setup.upstream, L"upstream"));
        ASSERT_EQ(S_OK, graph.Connect(setup.upstream, filter));
        IPin* out = FirstPin(setup.upstream, PINDIR_OUTPUT);
        CheckConnection(out);
        out->Release();
    }
    if (setup.downstream) {
        ASSERT_EQ(S_OK, graph.Add(setup.downstream, L"downstream"));
        ASSERT_EQ(S_OK, graph.Connect(filter, setup.downstream));
        IPin* out = FirstPin(filter, PINDIR_OUTPUT);
        CheckConnection(out);
        IPin* other = FirstPin(setup.downstream, PINDIR_INPUT);
        EXPECT_EQ(VFW_E_ALREADY_CONNECTED, out->Connect(other, nullptr));
        other->Release();
        out->Release();
    }
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(EC_COMPLETE, graph.RunToEnd(setup.runTimeoutMs)) << "run " << run << " ends with EC_COMPLETE";
        EXPECT_EQ(S_OK, graph.Stop());
        FILTER_STATE state;
        EXPECT_EQ(S_OK, filter->GetState(0, &state));
        EXPECT_EQ(State_Stopped, state);
    }
    IPin* anyPin = FirstPin(filter, setup.outputs ? PINDIR_OUTPUT : PINDIR_INPUT);
    if (anyPin) {
        EXPECT_EQ(S_OK, graph.Graph()->Disconnect(anyPin));
        anyPin->Release();
    }
}

} // namespace

void CheckFilterConformance(IBaseFilter* filter, const ConformanceSetup& setup)
{
    ASSERT_NE(nullptr, filter);
    ULONG refs = RefCount(filter);
    CheckInterfaces(filter, setup.clsid);
    EXPECT_EQ(refs, RefCount(filter)) << "after interface queries";
    CheckPins(filter, setup);
    EXPECT_EQ(refs, RefCount(filter)) << "after pin and media type enumeration";
    CheckStatesAlone(filter);
    EXPECT_EQ(refs, RefCount(filter)) << "after state changes";
    bool canStream = (setup.inputs == 0 || setup.upstream) && (setup.outputs == 0 || setup.downstream);
    if (canStream) {
        CheckStreaming(filter, setup);
        EXPECT_EQ(refs, RefCount(filter)) << "after the graph released the filter";
    }
}

} // namespace kvtest
