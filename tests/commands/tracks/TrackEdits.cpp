// Seeded random edits of every type of these commands, for the random history test and the
// journal kill test.
#include "TrackEdits.h"

#include "ChangeMasterVolumeCommand.h"
#include "ChangeMixingParamCommand.h"
#include "ChangePropertyCommand.h"
#include "CopyTrackCommand.h"
#include "CrossfadeCommand.h"
#include "DeleteTrackCommand.h"
#include "FadeInOutCommand.h"
#include "FadePreview.h"
#include "MoveTrackCommand.h"
#include "OffsetTrackCommand.h"
#include "RefreshPeakCommand.h"
#include "RemoveTrackCommand.h"
#include "ResampleCommand.h"
#include "SelectionGroupCommand.h"
#include "SplitTrackCommand.h"
#include "TrimCommand.h"

namespace kvtest {

namespace {

template <class T, class... A>
ComRef<IEditCommand> Make(A... args)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<T>(args...));
}

// One random edit of a type of these commands on the document as it is, or none when the
// document offers nothing for it (no track to remove, a format already in place).
} // namespace

ComRef<IEditCommand> RandomTrackEdit(CNyMultiTrackDoc* doc, std::mt19937& random, std::string* kind)
{
    CommandDocument* d = doc;
    const int count = doc->GetTrackCount();
    auto pick = [&](int n) { return n > 0 ? int(random() % unsigned(n)) : 0; };
    auto track = [&] { return pick(count); };
    switch (random() % 14) {
    case 0: {
        *kind = "changemixingparam";
        if (!count)
            return ComRef<IEditCommand>();
        // The caller reads the value the track has, as the mixer does.
        int t = track(), parameter = pick(2);
        float old = 0;
        QueryCom<IMtEnvelopeSet>(doc->GetTrack(t))->GetValue(parameter, &old);
        return Make<ChangeMixingParamCommand>("Mix", d, t, parameter, float(pick(100)) / 100.0f, old);
    }
    case 1:
        *kind = "offsettrack";
        return count ? Make<OffsetTrackCommand>("Offset", d, track(), int64_t(pick(5000))) : ComRef<IEditCommand>();
    case 2:
        *kind = "copytrack";
        return count && count < 8 ? Make<CopyTrackCommand>("Copy", d, track(), pick(count + 1))
                                  : ComRef<IEditCommand>();
    case 3:
        *kind = "movetrack";
        return count > 1 ? Make<MoveTrackCommand>("Move", d, track(), pick(count + 1)) : ComRef<IEditCommand>();
    case 4:
        *kind = "deletetrack";
        return count > 1 ? Make<DeleteTrackCommand>("Delete", d, track()) : ComRef<IEditCommand>();
    case 5:
        *kind = "removetrack";
        if (count < 2)
            return ComRef<IEditCommand>();
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(track(), TRUE);
        return Make<RemoveTrackCommand>("Remove", d);
    case 6:
        *kind = "changemastervolume";
        return Make<ChangeMasterVolumeCommand>("Master Volume", d, 2500 * (1 + pick(4)), doc->GetMasterVolume());
    case 7: {
        *kind = "changeproperty";
        if (!count)
            return ComRef<IEditCommand>();
        ChangePropertyCommand* change = ComObject<IEditCommand>::Create<ChangePropertyCommand>("Properties", d);
        change->newTracks[track()].level = 1000 * (1 + pick(9));
        change->newTracks[track()].startOffset = pick(3000);
        return ComRef<IEditCommand>(change);
    }
    case 8: {
        *kind = "trim";
        if (!count)
            return ComRef<IEditCommand>();
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(track(), TRUE);
        int64_t a = pick(3000), b = a + 1 + pick(3000);
        doc->SetSelectionRange(a, b, FALSE);
        return Make<TrimCommand>("Trim", d);
    }
    case 9: {
        *kind = "splittrack";
        if (!count || count > 6)
            return ComRef<IEditCommand>();
        int t = track();
        return doc->GetTrackExtent(t, 0) > 0 ? Make<SplitTrackCommand>("Split", d, t) : ComRef<IEditCommand>();
    }
    case 10: {
        *kind = "resample";
        DWORD rate = doc->GetSamplesPerSec() == 44100 ? 22050 : 44100;
        return count ? Make<ResampleCommand>("Sample Type", d, WORD(16), rate) : ComRef<IEditCommand>();
    }
    case 11: {
        *kind = "crossfades";
        if (count < 2)
            return ComRef<IEditCommand>();
        int t = pick(count - 1);
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(t, TRUE);
        doc->SetTrackSelected(t + 1, TRUE);
        doc->SetSelectionRange(0, 0, FALSE);
        std::vector<FadeEntry> entries;
        SampleRange range;
        if (PlanCrossfade(d, &entries, &range) != 0)
            return ComRef<IEditCommand>();
        ComRef<IEditCommand> group = Make<CrossfadesCommand>("Crossfade", d);
        HRESULT hr = WriteFadePreview(d, QueryCom<ICommandList>(group.Get()).Get(), entries,
                                      pick(2) ? kIdShapeSine : kIdShapeLinear, [](CommandDocument* c, int i) {
                                          return static_cast<IEditCommand*>(
                                              ComObject<IEditCommand>::Create<CrossfadeCommand>(nullptr, c, i));
                                      });
        return SUCCEEDED(hr) ? group : ComRef<IEditCommand>();
    }
    case 12: {
        *kind = "fadeinouts";
        if (!count)
            return ComRef<IEditCommand>();
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(track(), TRUE);
        int64_t a = pick(2000);
        doc->SetSelectionRange(a, a + 1 + pick(2000), FALSE);
        SampleRange range;
        std::vector<FadeEntry> entries = PlanFadeInOut(d, pick(2) ? kIdFadeIn : kIdFadeOut, &range);
        ComRef<IEditCommand> group = Make<FadeInOutsCommand>("Fade In/Out", d);
        HRESULT hr = WriteFadePreview(
            d, QueryCom<ICommandList>(group.Get()).Get(), entries, kIdShapeSine, [](CommandDocument* c, int i) {
                return static_cast<IEditCommand*>(ComObject<IEditCommand>::Create<FadeInOutCommand>(nullptr, c, i));
            });
        return SUCCEEDED(hr) ? group : ComRef<IEditCommand>();
    }
    default:
        *kind = "refreshpeak";
        return Make<RefreshPeakCommand>("Refresh", d);
    }
}

} // namespace kvtest
