// The generator's render, timed: white noise from the noise module through the generator
// worker (graph, tracks writer, one file per selected track) and inserted into the document as
// the "Effect" step, for every track of a document of empty stereo tracks.
//   generator_render_bench [minutes] [tracks]
// Prints "noise_worker_seconds s" and the frames rendered.
#include "BenchDocumentHost.h"
#include "BenchSupport.h"
#include "ComRef.h"
#include "GeneratorRenderWorker.h"
#include "GeneratorSlots.h"
#include "IEffectParameters.h"
#include "KsMultiTrack.h"
#include "KvSENois.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr DWORD kRate = 44100;
constexpr UINT kNoiseCommand = 2022;

void WaitPumping(HANDLE handle)
{
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int tracks = argc > 2 ? std::atoi(argv[2]) : 8;
    const LONGLONG frames = static_cast<LONGLONG>(minutes * 60 * kRate);
    BenchHost host;
    host.settings.samplesPerSec = kRate;
    host.settings.bitsPerSample = 16;
    host.settings.dataChannels = 2;
    SetDocumentHost(&host);
    {
        auto doc = std::make_unique<CNyMultiTrackDoc>();
        doc->m_bAutoDelete = FALSE;
        auto view = std::make_unique<CNyMultiTrackView>();
        view->SetPaneSizes(500, 400, 300);
        doc->AddView(view.get());
        if (!doc->OnNewDocument())
            Check(E_FAIL, "new document");
        IMtTrackSet* set = doc->GetTrackSet();
        Check(set->SetFormat(16, kRate), "format");
        while (doc->GetTrackCount() < tracks) {
            ComRef<IMtTrack> track;
            Check(set->InsertTrack(doc->GetTrackCount(), 2, track.Out(), -1), "track");
        }
        for (int t = 0; t < doc->GetTrackCount(); ++t)
            Check(doc->GetSelection()->SetTrackSelected(t, TRUE), "select");
        doc->GetSelection()->SetSelection(0, 0, TRUE);

        ComRef<IBaseFilter> noise;
        Check(CreateModuleObject("KvSENois.dll", CLSID_KvSENois, IID_IBaseFilter, noise.OutVoid()), "noise");
        ComRef<IEffectParameters> parameters;
        Check(noise->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid()), "noise parameters");
        parameters->SetParameter(0, 0.0); // white
        parameters->SetParameter(1, -6.0);

        const auto t0 = std::chrono::steady_clock::now();
        CGeneratorRenderWorker worker;
        Check(worker.Start(), "worker");
        worker.generatorCommand = kNoiseCommand;
        worker.engine = set;
        worker.document = doc.get();
        worker.history = doc->GetHistory();
        Check(worker.SetGenerator(noise.Get()), "generator");
        Check(SetGeneratorLength(kNoiseCommand, noise.Get(), frames), "length");
        worker.PostRender(nullptr);
        WaitPumping(worker.doneEvent);
        Check(worker.CompleteOnMainThread(), "render");
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        worker.DisconnectGenerator();
        LONGLONG length = 0;
        doc->GetTrack(tracks - 1)->GetLength(&length);
        if (length != frames)
            Check(E_FAIL, "rendered length");
        std::printf("frames %lld tracks %d\n", static_cast<long long>(frames), tracks);
        std::printf("noise_worker_seconds %.3f\n", seconds);
        view.reset();
        doc->SetModifiedFlag(FALSE);
    }
    SetDocumentHost(nullptr);
    ::CoUninitialize();
    return 0;
}
