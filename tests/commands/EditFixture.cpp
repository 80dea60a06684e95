#include "EditFixture.h"

#include "ChunkFile.h"
#include "CommandHeader.h"
#include "CommandRegistry.h"
#include "JournalSupport.h"
#include "KsMultiTrackLoader.h"
#include "LabelTable.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kvtest {

DocStream::DocStream(const std::string& path, DWORD mode, CommandDocument* document)
    : m_file(CreateChunkFile()), m_document(document)
{
    m_file->SetFileName(path.c_str());
    m_file->Open(mode);
}

DocStream::~DocStream()
{
    Close();
    m_file->Release();
}

HRESULT DocStream::Close()
{
    if (m_file->IsOpen())
        m_file->Close();
    return S_OK;
}

HRESULT DocStream::GetChunkFile(IChunkFile** file)
{
    m_file->AddRef();
    *file = m_file;
    return S_OK;
}

HRESULT DocStream::GetUserValue(UINT_PTR* value)
{
    *value = reinterpret_cast<UINT_PTR>(m_document);
    return S_OK;
}

bool Fingerprint::Track::operator==(const Track& o) const
{
    for (int k = 0; k < kMtEnvelopeKinds; ++k)
        if (envelope[k] != o.envelope[k])
            return false;
    return channels == o.channels && offset == o.offset && length == o.length && sampleHash == o.sampleHash &&
           volume == o.volume && pan == o.pan && group == o.group && flags == o.flags;
}

bool Fingerprint::operator==(const Fingerprint& o) const
{
    if (labels.size() != o.labels.size())
        return false;
    for (size_t i = 0; i < labels.size(); ++i)
        if (std::memcmp(&labels[i], &o.labels[i], sizeof(LabelRecord)) != 0)
            return false;
    return tracks == o.tracks && selectionStart == o.selectionStart && selectionEnd == o.selectionEnd &&
           masterVolume == o.masterVolume;
}

std::string Describe(const Fingerprint& f)
{
    std::ostringstream out;
    for (const auto& t : f.tracks) {
        out << "[ch " << t.channels << " at " << t.offset << " len " << t.length << " hash " << t.sampleHash << " vol "
            << t.volume << " pan " << t.pan << " group " << t.group << " flags " << t.flags << " env";
        for (const auto& e : t.envelope)
            out << " " << e.size();
        out << "] ";
    }
    for (const auto& l : f.labels)
        out << "{" << l.id << " k" << l.kind << " t" << l.trackId << " " << l.start << ".." << l.end << " " << l.name
            << "} ";
    out << "sel " << f.selectionStart << ".." << f.selectionEnd << " master " << f.masterVolume;
    return out.str();
}

::testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual)
{
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    if (i == expected.size() && i == actual.size())
        return ::testing::AssertionSuccess();
    auto at = [&](const Bytes& b) { return i < b.size() ? std::to_string(b[i]) : std::string("end"); };
    return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size()
                                         << ", first difference at " << i << ": expected " << at(expected)
                                         << ", actual " << at(actual);
}

CNyMultiTrackDoc* EditTest::NewDoc(const std::vector<WORD>& channels, DWORD rate, WORD bits, uint32_t documentType)
{
    host_.settings.samplesPerSec = rate;
    host_.settings.bitsPerSample = bits > 16 ? 32 : bits;
    host_.settings.validBits = bits > 16 && bits < 32 ? bits : 0;
    host_.settings.documentType = documentType;
    return NewDocument(channels);
}

void EditTest::TearDown()
{
    view2_.reset();
    doc2_.reset();
    DocumentTest::TearDown();
}

CNyMultiTrackDoc* EditTest::SecondDoc(const std::vector<WORD>& channels, DWORD rate, WORD bits)
{
    // The first document keeps its own; the host's settings make the second one.
    std::unique_ptr<CNyMultiTrackDoc> first = std::move(doc_);
    std::unique_ptr<CNyMultiTrackView> firstView = std::move(view_);
    NewDoc(channels, rate, bits);
    doc2_ = std::move(doc_);
    view2_ = std::move(view_);
    doc_ = std::move(first);
    view_ = std::move(firstView);
    return doc2_.get();
}

ComRef<IUnknown> EditTest::MakeItem(const std::string& name, int64_t frames, WORD channels, WORD bits, DWORD rate,
                                    LONG trackId)
{
    std::string path = scratch_.File(name);
    {
        std::ofstream out(path, std::ios::binary);
        for (int64_t f = 0; f < frames; ++f)
            for (WORD c = 0; c < channels; ++c) {
                double v = std::sin(0.01 * static_cast<double>(f) * (c + 1) + name.size()) * 0.5;
                if (bits == 8) {
                    uint8_t s = static_cast<uint8_t>(128 + std::lround(v * 100));
                    out.write(reinterpret_cast<const char*>(&s), 1);
                } else if (bits == 16) {
                    int16_t s = static_cast<int16_t>(std::lround(v * 20000));
                    out.write(reinterpret_cast<const char*>(&s), 2);
                } else {
                    float s = static_cast<float>(v);
                    out.write(reinterpret_cast<const char*>(&s), 4);
                }
            }
    }
    MtFileItemRecord record{};
    std::strncpy(record.path, path.c_str(), sizeof record.path - 1);
    record.channels = channels;
    record.bitsPerSample = bits;
    record.samplesPerSec = rate;
    ComRef<IMtItemList> list;
    EXPECT_EQ(S_OK, MtEngine::CreateItemList(list));
    EXPECT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), nullptr, trackId));
    EXPECT_EQ(S_OK, list->ResetItems(0));
    ComRef<IUnknown> item;
    EXPECT_EQ(S_OK, list->NextItem(item.Out(), nullptr));
    return item;
}

ComRef<IMtItemList> EditTest::ListOf(const std::vector<std::pair<ComRef<IUnknown>, LONG>>& items)
{
    ComRef<IMtItemList> list;
    EXPECT_EQ(S_OK, MtEngine::CreateItemList(list));
    for (const auto& entry : items)
        EXPECT_EQ(S_OK, list->AddItem(entry.first.Get(), entry.second));
    return list;
}

void EditTest::PlaceItem(CNyMultiTrackDoc* doc, int track, int64_t position, IUnknown* item)
{
    ComRef<IMtTrack> t;
    ASSERT_EQ(S_OK, doc->GetTrackSet()->GetTrack(track, t.Out()));
    ASSERT_EQ(S_OK, t->FillRange(item, position, 0));
}

std::vector<uint8_t> EditTest::TrackBytes(CNyMultiTrackDoc* doc, int track)
{
    ComRef<IMtTrack> t;
    EXPECT_EQ(S_OK, doc->GetTrackSet()->GetTrack(track, t.Out()));
    LONGLONG start = 0, length = 0;
    t->GetStartOffset(&start);
    t->GetLength(&length);
    std::vector<uint8_t> all;
    if (length <= 0)
        return all;
    ComRef<IMtItem> reader;
    EXPECT_EQ(S_OK, t->CreateReader(reader.Out(), 0));
    LONGLONG end = start + length;
    EXPECT_EQ(S_OK, reader->SetRange(&start, &end));
    EXPECT_EQ(S_OK, reader->BeginRead());
    std::vector<uint8_t> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (reader->Read(buffer.data(), static_cast<DWORD>(buffer.size()), &got) != S_OK || got == 0)
            break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    }
    reader->EndRead();
    return all;
}

Fingerprint EditTest::Take(CNyMultiTrackDoc* doc)
{
    Fingerprint f;
    for (int i = 0; i < doc->GetTrackCount(); ++i) {
        Fingerprint::Track t{};
        IMtTrack* track = doc->GetTrack(i);
        track->GetChannels(&t.channels);
        track->GetStartOffset(&t.offset);
        track->GetLength(&t.length);
        uint64_t hash = 1469598103934665603ull;
        for (uint8_t b : TrackBytes(doc, i))
            hash = (hash ^ b) * 1099511628211ull;
        t.sampleHash = hash;
        ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(track);
        for (int k = 0; k < kMtEnvelopeKinds; ++k) {
            ComRef<IMtEnvelope> envelope;
            set->GetEnvelope(k, envelope.Out());
            ComRef<IMtEnvelopePointEnum> points;
            envelope->EnumPoints(points.Out());
            MtEnvelopePointItem item{};
            int64_t position = 0;
            while (points && points->Next(&item) == S_OK) {
                position += item.distance;
                t.envelope[k].push_back({position, item.value});
            }
        }
        float volume = 0, pan = 0;
        track->GetVolume(&volume);
        track->GetPan(&pan);
        t.volume = static_cast<int>(std::lround(volume * 10000));
        t.pan = static_cast<int>(std::lround(pan * 10000));
        MtGroupRecord group{};
        track->GetGroupRecord(&group);
        t.group = group.group;
        for (DWORD flag : {kMtFlagMute, kMtFlagSolo, kMtFlagRecord}) {
            LONG on = 0;
            track->TestFlag(flag, &on);
            t.flags |= on ? static_cast<LONG>(flag) : 0;
        }
        f.tracks.push_back(std::move(t));
    }
    LabelRecord record;
    for (int i = 0; i < doc->GetLabels().GetSize(); ++i)
        if (doc->GetLabels().GetAt(i, &record) && record.id > 0)
            f.labels.push_back(record);
    doc->GetSelection()->GetSelection(&f.selectionStart, &f.selectionEnd);
    f.masterVolume = doc->GetMasterVolume();
    return f;
}

std::vector<uint8_t> EditTest::Saved(IEditCommand* command, CommandDocument* doc, const std::string& name)
{
    std::string path = scratch_.File(name);
    {
        ComRef<DocStream> stream(ComObject<IJournalFile>::Create<DocStream>(path, kFileCreate, doc));
        ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(command);
        EXPECT_EQ(S_OK, persist->Save(stream.Get()));
    }
    return ReadFileBytes(path);
}

ComRef<IEditCommand> EditTest::Loaded(const std::vector<uint8_t>& bytes, CommandDocument* doc, const std::string& name,
                                      HRESULT* result)
{
    std::string path = scratch_.File(name);
    WriteFileBytes(path, bytes);
    ComRef<DocStream> stream(ComObject<IJournalFile>::Create<DocStream>(path, kFileRead, doc));
    IChunkFile* file = stream->File();
    ChunkInfo info{};
    EXPECT_EQ(S_OK, file->Descend(&info, 0));
    if (info.id == kGroupChunkId) {
        EXPECT_EQ(S_OK, file->Descend(&info, 0));
    }
    uint8_t header[CommandHeader::kSize] = {};
    uint64_t at = file->GetPosition();
    file->Read(header, sizeof header);
    file->Seek(static_cast<int64_t>(at), kSeekBegin);
    ComRef<IEditCommand> command;
    EXPECT_EQ(S_OK, CreateCommandByName(CommandHeader::TypeName(header).c_str(), command.Out()));
    HRESULT hr = QueryCom<IPersistCommand>(command.Get())->Load(stream.Get());
    if (result)
        *result = hr;
    else
        EXPECT_EQ(S_OK, hr);
    return command;
}

} // namespace kvtest
