#include "TrackCommandFixture.h"

#include "DocumentPrint.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kvtest {

CNyMultiTrackDoc* TrackCommandTest::Build(const std::vector<WORD>& channels, const std::vector<int>& frames,
                                          const std::vector<int64_t>& starts)
{
    CNyMultiTrackDoc* doc = NewDocument(channels);
    for (size_t t = 0; t < frames.size(); ++t)
        if (frames[t] > 0)
            Fill(doc, static_cast<int>(t), frames[t], t < starts.size() ? starts[t] : 0, static_cast<int>(t) + 1);
    doc->SetTrackSelected(-1, FALSE);
    return doc;
}

void TrackCommandTest::Fill(CNyMultiTrackDoc* doc, int track, int frames, int64_t start, int seed)
{
    WORD channels = doc->GetTrackChannels(track);
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    uint32_t state = 2654435761u * static_cast<uint32_t>(seed);
    for (int16_t& s : samples) {
        state = state * 1103515245u + 12345u;
        s = static_cast<int16_t>(state >> 16);
    }
    InsertSamples(doc, track, samples.data(), samples.size() * 2, 16, start);
}

void TrackCommandTest::InsertSamples(CNyMultiTrackDoc* doc, int track, const void* samples, size_t bytes, WORD bits,
                                     int64_t start)
{
    const WORD channels = doc->GetTrackChannels(track);
    const DWORD rate = doc->GetSamplesPerSec();
    std::string path = files_.File("item" + std::to_string(fileCount_++) + ".raw");
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(samples), static_cast<std::streamsize>(bytes));
    MtFileItemRecord record{};
    std::strncpy(record.path, path.c_str(), sizeof(record.path) - 1);
    record.channels = channels;
    record.bitsPerSample = bits;
    record.samplesPerSec = rate;
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    ASSERT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), nullptr, 0));
    ASSERT_EQ(S_OK, list->ResetItems(0));
    ComRef<IUnknown> item;
    ASSERT_EQ(S_OK, list->NextItem(item.Out(), nullptr));
    ComRef<IMtClip> clip;
    ASSERT_EQ(S_OK, MtEngine::CreateClip(clip));
    MtClipFormat format{rate, bits, channels};
    ASSERT_EQ(S_OK, clip->SetFormat(&format));
    ASSERT_EQ(S_OK, clip->SetSource(item.Get(), 0, -1));
    ASSERT_EQ(S_OK, doc->GetTrack(track)->InsertClip(clip.Get(), start, 0, 0));
}

std::vector<std::pair<int64_t, float>> TrackCommandTest::Points(IMtEnvelope* envelope)
{
    std::vector<std::pair<int64_t, float>> points;
    ComRef<IMtEnvelopePointEnum> e;
    if (FAILED(envelope->EnumPoints(e.Out())))
        return points;
    MtEnvelopePointItem item{};
    int64_t position = 0;
    while (e->Next(&item) == S_OK) {
        position += item.distance;
        points.emplace_back(position, item.value);
    }
    return points;
}

std::string Fingerprint(CNyMultiTrackDoc* doc)
{
    return ContentPrint(doc);
}

std::vector<int> TrackCommandTest::SelectedTracks(CNyMultiTrackDoc* doc)
{
    std::vector<int> selected;
    for (int t = 0; t < doc->GetTrackCount(); ++t)
        if (doc->IsTrackSelectedAt(t))
            selected.push_back(t);
    return selected;
}

void TrackCommandTest::Select(CNyMultiTrackDoc* doc, std::initializer_list<int> tracks)
{
    doc->SetTrackSelected(-1, FALSE);
    for (int t : tracks)
        doc->SetTrackSelected(t, TRUE);
}

Bytes TrackCommandTest::Saved(IEditCommand* command, HRESULT* result)
{
    std::string path = files_.File("command" + std::to_string(fileCount_++) + ".bin");
    {
        ComRef<FileStream> stream(ComObject<IJournalFile>::Create<FileStream>(path));
        ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(command);
        HRESULT hr = persist->Save(stream.Get());
        if (result)
            *result = hr;
    }
    return ReadFileBytes(path);
}

ComRef<IEditCommand> TrackCommandTest::Loaded(const Bytes& chunk, CNyMultiTrackDoc* doc, HRESULT* result)
{
    std::string path = files_.File("load" + std::to_string(fileCount_++) + ".bin");
    WriteFileBytes(path, chunk);
    ComRef<DocumentStream> stream(
        ComObject<IJournalFile>::Create<DocumentStream>(path, kFileRead, static_cast<CommandDocument*>(doc)));
    EXPECT_EQ(stream->File()->DescendById(0, 0), S_OK);
    std::string type = CommandHeader::TypeName(chunk.data() + 16);
    ComRef<IEditCommand> command;
    EXPECT_EQ(CreateCommandByName(type.c_str(), command.Out()), S_OK) << type;
    ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(command.Get());
    HRESULT hr = persist ? persist->Load(stream.Get()) : E_NOINTERFACE;
    if (result)
        *result = hr;
    else
        EXPECT_EQ(hr, S_OK) << type;
    return command;
}

} // namespace kvtest
