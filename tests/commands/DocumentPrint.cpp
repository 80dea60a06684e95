#include "DocumentPrint.h"

#include "ComRef.h"
#include "KsMultiTrack.h"
#include "LabelTable.h"
#include "SelectionModel.h"

#include <iomanip>
#include <sstream>
#include <vector>

namespace kvtest {

namespace {

uint64_t SoundHash(IMtTrack* track, LONGLONG start, LONGLONG length)
{
    uint64_t hash = 1469598103934665603ull;
    ComRef<IMtItem> reader;
    if (length <= 0 || FAILED(track->CreateReader(reader.Out(), 0)))
        return hash;
    LONGLONG from = start, to = start + length;
    reader->SetRange(&from, &to);
    reader->BeginRead();
    std::vector<uint8_t> buffer(1 << 16);
    for (;;) {
        DWORD read = 0;
        if (FAILED(reader->Read(buffer.data(), DWORD(buffer.size()), &read)) || read == 0)
            break;
        for (DWORD i = 0; i < read; ++i)
            hash = (hash ^ buffer[i]) * 1099511628211ull;
    }
    reader->EndRead();
    return hash;
}

} // namespace

std::string DocumentPrint(CNyMultiTrackDoc* doc)
{
    std::ostringstream out;
    out << "rate " << doc->GetSamplesPerSec() << " bits " << doc->GetBitsPerSample() << " master "
        << doc->GetMasterVolume() << "\n";
    for (int t = 0; t < doc->GetTrackCount(); ++t) {
        IMtTrack* track = doc->GetTrack(t);
        LONGLONG start = 0, length = 0;
        WORD channels = 0;
        float volume = 0, pan = 0;
        LONG cutoff = 0, cutoffOn = 0;
        DWORD selected = 0;
        track->GetStartOffset(&start);
        track->GetLength(&length);
        track->GetChannels(&channels);
        track->GetVolume(&volume);
        track->GetPan(&pan);
        track->GetSurroundValue(&cutoff);
        track->IsSurroundOn(&cutoffOn);
        track->GetSelectedChannels(&selected);
        out << "track " << t << ": " << channels << " ch " << start << "+" << length << " sound " << std::hex
            << SoundHash(track, start, length) << std::dec << " vol " << volume << " pan " << pan << " cutoff "
            << cutoff << "/" << cutoffOn << " channels " << std::hex << selected << std::dec << " flags";
        for (DWORD flag : {kMtFlagMute, kMtFlagSolo, kMtFlagRecord}) {
            LONG on = 0;
            track->TestFlag(flag, &on);
            out << (on ? " 1" : " 0");
        }
        MtGroupRecord group{};
        track->GetGroupRecord(&group);
        out << " group";
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&group);
        for (size_t i = 0; i < sizeof group; ++i)
            out << " " << int(bytes[i]);
        ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(track);
        for (LONG kind = 0; set && kind < kMtEnvelopeKinds; ++kind) {
            ComRef<IMtEnvelope> envelope;
            ComRef<IMtEnvelopePointEnum> points;
            if (FAILED(set->GetEnvelope(kind, envelope.Out())) || FAILED(envelope->EnumPoints(points.Out())))
                continue;
            MtEnvelopePointItem item{};
            int64_t position = 0;
            while (points && points->Next(&item) == S_OK)
                out << " e" << kind << "(" << (position += item.distance) << "," << item.value << ")";
        }
        out << "\n";
    }
    CLabelTable& labels = doc->GetLabels();
    LabelRecord label{};
    for (int i = 0; labels.GetAt(i, &label); ++i)
        if (label.id > 0)
            out << "label kind " << label.kind << " track " << doc->TrackIdToIndex(label.trackId) << " "
                << label.start << "-" << label.end << " " << std::string(label.name, strnlen(label.name, 256)) << "\n";
    out << "loop " << labels.HasLoop() << "\n";
    int64_t from = 0, to = 0;
    doc->GetSelection()->GetSelection(&from, &to);
    out << "selection " << from << "-" << to << " all " << doc->IsAllTracksMode() << " rows";
    for (int t = 0; t < doc->GetTrackCount(); ++t)
        if (doc->IsTrackSelectedAt(t))
            out << " " << t;
    out << "\n";
    return out.str();
}

std::string WithoutSelection(const std::string& print)
{
    return print.substr(0, print.rfind("selection "));
}

} // namespace kvtest
