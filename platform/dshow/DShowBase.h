// DirectShow base layer: what a filter module builds on.
//
//   class Gain : public FilterObject<TransformFilter, IMyGainParams> {   // the COM object
//   public:
//       Gain() { SetClassId(CLSID_Gain); }
//       ... IMyGainParams methods ...
//   protected:
//       ... CheckInputType, CheckTransform, GetOutputType, DecideBufferSize, Transform ...
//   };
//   An intermediate base of your own (struct MyKind : TransformFilter) needs KV_FILTER_KIND(MyKind)
//   before FilterObject<MyKind, ...>; FindFilterInterface answers ids not listed there.
//   const kvcom::ClassEntry kClasses[] = {{&CLSID_Gain, kvcom::CreateInstanceOf<Gain>}};
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** p)
//       { return kvcom::GetClassObject(kClasses, 1, c, i, p); }
//   STDAPI DllCanUnloadNow() { return kvcom::CanUnloadNow(); }
//
// A renderer derives from RendererFilter and becomes a COM object with
// RendererObject<MyRenderer, Extra...> (adds IMediaSeeking and IAMFilterMiscFlags). A source
// that knows its length also lists SeekingPassThru, answers LocalDuration / LocalPosition and
// returns itself from PinUpstreamSeeking, so seeking questions from downstream reach it.
//
// Files: MediaType.h (AM_MEDIA_TYPE helpers, audio types), Pins.h (InputPin, OutputPin),
// BaseFilter.h (IBaseFilter, states, FilterObject), TransformFilter.h, SourceFilter.h
// (streaming thread), RendererFilter.h (EC_COMPLETE, IMediaSeeking), SeekingPassThru.h,
// PropertyPage.h; GraphHelpers.h (pin lookup, for code that builds graphs).
// Filters run without a clock: sources deliver as fast as downstream takes the samples.
#pragma once
#include "BaseFilter.h"
#include "MediaType.h"
#include "Pins.h"
#include "PropertyPage.h"
#include "RendererFilter.h"
#include "SeekingPassThru.h"
#include "SourceFilter.h"
#include "TransformFilter.h"
