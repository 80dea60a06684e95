// The project formats through the document: round trips of tracks, samples, labels and
// envelopes; the flat file's golden header; damaged files refused with the document as
// before; saves that fail leave the old file; readers fed damaged bytes.
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "DocumentFixture.h"
#include "KsMultiTrackLoader.h"
#include "ProjectFile.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The names in the process's temporary folder (where the engine and the loads make files).
std::vector<std::string> TempFolderNames()
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((std::string(folder) + "*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do
            names.push_back(d.cFileName);
        while (FindNextFileA(h, &d));
        FindClose(h);
    }
    return names;
}

// A file of tests/fixtures/damaged, copied beside the test program.
std::string Fixture(const char* name)
{
    return kvtest::BinFolder() + "testdata\\damaged\\" + name;
}

template <class T>
T At(const Bytes& b, size_t offset)
{
    T value{};
    std::memcpy(&value, b.data() + offset, sizeof(T));
    return value;
}

// Interleaved samples in the engine's storage form: 16-bit words or floats (24 bits).
Bytes Samples(size_t frames, WORD channels, WORD bits, int seed)
{
    Bytes data;
    for (size_t i = 0; i < frames * channels; ++i) {
        int v = int((i * 7919 + size_t(seed) * 104729) % 60000) - 30000;
        if (bits == 16) {
            int16_t s = int16_t(v);
            data.insert(data.end(), reinterpret_cast<uint8_t*>(&s), reinterpret_cast<uint8_t*>(&s) + 2);
        } else {
            // Values on the 24-bit grid survive packing exactly.
            float f = float(v * 256 + seed) / 8388608.0f;
            data.insert(data.end(), reinterpret_cast<uint8_t*>(&f), reinterpret_cast<uint8_t*>(&f) + 4);
        }
    }
    return data;
}

class ProjectFileTest : public ViewedDocumentsTest {
protected:
    // A document with its view and an engine with no track, at the given format.
    CNyMultiTrackDoc* EmptyDocument(WORD bits = 16, DWORD rate = 44100)
    {
        CNyMultiTrackDoc* doc = ViewedDocument();
        EXPECT_TRUE(doc->CreateEngine());
        doc->GetTrackSet()->SetFormat(bits, rate);
        doc->GetSettings().documentType = 0;
        return doc;
    }

    // Appends a track holding the samples at start.
    IMtTrack* AddTrack(CNyMultiTrackDoc* doc, const Bytes& data, WORD channels, LONGLONG start)
    {
        WORD bits = doc->GetBitsPerSample();
        std::string path = scratch_.File("src" + std::to_string(files_++) + ".raw");
        WriteAll(path, data);
        ComRef<IMtItemList> list;
        EXPECT_EQ(S_OK, MtEngine::CreateItemList(list));
        MtFileItemRecord record{};
        lstrcpynA(record.path, path.c_str(), sizeof(record.path));
        record.channels = channels;
        record.bitsPerSample = bits;
        record.samplesPerSec = doc->GetSamplesPerSec();
        EXPECT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), nullptr, 0));
        list->ResetItems(0);
        ComRef<IUnknown> item;
        EXPECT_EQ(S_OK, list->NextItem(item.Out(), nullptr));
        ComRef<IMtClip> clip;
        EXPECT_EQ(S_OK, MtEngine::CreateClip(clip));
        MtClipFormat format{record.samplesPerSec, bits, channels};
        EXPECT_EQ(S_OK, clip->SetFormat(&format));
        EXPECT_EQ(S_OK, clip->SetSource(item.Get(), 0, -1));
        ComRef<IMtTrack> track;
        EXPECT_EQ(S_OK, doc->GetTrackSet()->InsertTrack(0, channels, track.Out(), -1));
        EXPECT_EQ(S_OK, track->InsertClip(clip.Get(), start, 0, 0));
        int index = doc->GetTrackCount() - 1;
        LabelRecord label{};
        doc->GetLabels().GetTrackLabel(index, &label);
        std::snprintf(label.name, sizeof(label.name), "Voice%d", index);
        doc->GetLabels().SetTrackLabel(label);
        return track.Get();
    }

    // The samples of a track's channel in storage form.
    Bytes ChannelOf(CNyMultiTrackDoc* doc, int index, WORD channel)
    {
        IMtTrack* track = doc->GetTrack(index);
        ComRef<IMtItem> reader;
        EXPECT_EQ(S_OK, track->CreateReader(reader.Out(), 0));
        reader->BeginRead();
        WORD channels = 1;
        track->GetChannels(&channels);
        UINT width = doc->GetBitsPerSample() == 16 ? 2 : 4;
        Bytes all(1 << 20), out;
        DWORD got = 0;
        EXPECT_EQ(S_OK, reader->Read(all.data(), DWORD(all.size()), &got));
        reader->EndRead();
        for (DWORD i = channel * width; i + width <= got; i += channels * width)
            out.insert(out.end(), all.begin() + i, all.begin() + i + width);
        return out;
    }

    static Bytes Channel(const Bytes& interleaved, WORD channels, WORD channel, UINT width)
    {
        Bytes out;
        for (size_t i = channel * width; i + width <= interleaved.size(); i += channels * width)
            out.insert(out.end(), interleaved.begin() + long(i), interleaved.begin() + long(i + width));
        return out;
    }

    std::vector<std::string> LabelNames(CNyMultiTrackDoc* doc, int track, int32_t kind)
    {
        std::vector<LabelRecord> found;
        doc->FindLabelsInRange(track, found, 0, -1, kind);
        std::vector<std::string> names;
        for (const LabelRecord& r : found)
            names.push_back(r.name);
        return names;
    }

    // A document of a stereo track and a mono track with a cue, a section on track 1 and a mute.
    CNyMultiTrackDoc* SourceDocument(WORD bits = 16, DWORD rate = 44100)
    {
        CNyMultiTrackDoc* doc = EmptyDocument(bits, rate);
        stereo_ = Samples(3000, 2, bits, 1);
        mono_ = Samples(2000, 1, bits, 2);
        AddTrack(doc, stereo_, 2, 0);
        AddTrack(doc, mono_, 1, 500);
        LabelRecord cue{0, kLabelCue, -1, 700, 700, "Cue A"};
        doc->AddLabel(cue);
        LabelRecord section{0, kLabelSection, doc->GetTrackId(1), 800, 1200, "Part"};
        doc->AddLabel(section);
        doc->SetTrackFlag(1, kMtFlagMute, TRUE);
        return doc;
    }

    // A save's sibling temporary file ("NY*.tmp") left in the scratch folder.
    bool SaveLeftATemporaryFile()
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(scratch_.File("NY*.tmp").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return false;
        FindClose(search);
        return true;
    }

    kvtest::ScratchFolder scratch_;
    int files_ = 0;
    Bytes stereo_, mono_;
};

// Flat and chunked files store mono tracks: the stereo track comes back as two mono tracks
// panned hard left and right with " - L" / " - R" labels; marks of a track stay on its first
// channel's track; samples are exact.
TEST_F(ProjectFileTest, MonoStoringFormatsRoundTripTracksSamplesAndLabels)
{
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        CNyMultiTrackDoc* source = SourceDocument();
        std::string path = scratch_.File("p" + std::to_string(type) + ".kvs");
        ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), type));
        EXPECT_EQ(type, source->GetFileType());
        EXPECT_EQ(type == 0 ? kProjectFlat : kProjectChunked, CProjectFile::DetectProjectFormat(path.c_str()));

        CNyMultiTrackDoc* loaded = EmptyDocument(8, 8000);
        ComRef<IUnknown> command;
        ASSERT_EQ(1, loaded->LoadProjectFile(path.c_str(), command.Out())) << Shown();
        EXPECT_TRUE(host_.texts.empty());
        EXPECT_TRUE(command);
        ASSERT_EQ(3, loaded->GetTrackCount());
        EXPECT_EQ(16, loaded->GetBitsPerSample());
        EXPECT_EQ(44100u, loaded->GetSamplesPerSec());
        EXPECT_EQ(Channel(stereo_, 2, 0, 2), ChannelOf(loaded, 0, 0));
        EXPECT_EQ(Channel(stereo_, 2, 1, 2), ChannelOf(loaded, 1, 0));
        EXPECT_EQ(mono_, ChannelOf(loaded, 2, 0));
        float left = 0, right = 0;
        loaded->GetTrack(0)->GetPan(&left);
        loaded->GetTrack(1)->GetPan(&right);
        EXPECT_EQ(-1.0f, left);
        EXPECT_EQ(1.0f, right);
        EXPECT_EQ(500, loaded->GetTrackExtent(2, -1));
        EXPECT_TRUE(loaded->GetTrackFlag(2, kMtFlagMute));
        EXPECT_FALSE(loaded->GetTrackFlag(0, kMtFlagMute));
        LabelRecord label{};
        ASSERT_TRUE(loaded->GetTrackLabel(0, &label));
        EXPECT_STREQ("Voice0 - L", label.name);
        ASSERT_TRUE(loaded->GetTrackLabel(1, &label));
        EXPECT_STREQ("Voice0 - R", label.name);
        ASSERT_TRUE(loaded->GetTrackLabel(2, &label));
        EXPECT_STREQ("Voice1", label.name);
        EXPECT_EQ(std::vector<std::string>{"Cue A"}, LabelNames(loaded, -1, kLabelCue));
        EXPECT_EQ(std::vector<std::string>{"Part"}, LabelNames(loaded, 2, kLabelSection));
        // Undo of the load's transaction takes every track away again.
        ComRef<IEditCommand> edit = QueryCom<IEditCommand>(command.Get());
        ASSERT_TRUE(edit);
        EXPECT_EQ(S_OK, edit->Undo());
        EXPECT_EQ(0, loaded->GetTrackCount());
    }
}

// The multichannel file keeps tracks whole: channels, envelopes and 24-bit samples exact.
TEST_F(ProjectFileTest, MultichannelRoundTripKeepsTracksEnvelopesAnd24Bits)
{
    for (WORD bits : {16, 24}) {
        SCOPED_TRACE(bits);
        CNyMultiTrackDoc* source = SourceDocument(bits, 48000);
        source->SetFileFormatInfo(bits, 48000);
        IMtEnvelope* level = source->GetTrackEditInterface(0, kMtEnvLevel);
        ASSERT_EQ(S_OK, level->SetInitialValue(0.5f));
        ASSERT_EQ(S_OK, level->InsertPoint(1000, 0.25f));
        ASSERT_EQ(S_OK, level->InsertPoint(2500, 1.0f));
        IMtEnvelope* pan = source->GetTrackEditInterface(1, kMtEnvPan);
        ASSERT_EQ(S_OK, pan->InsertPoint(300, -0.75f));
        std::string path = scratch_.File("m" + std::to_string(bits) + ".kvs");
        ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), 20));
        EXPECT_EQ(kProjectMultichannel, CProjectFile::DetectProjectFormat(path.c_str()));

        CNyMultiTrackDoc* loaded = EmptyDocument();
        ASSERT_EQ(1, loaded->LoadProjectFile(path.c_str(), nullptr)) << Shown();
        EXPECT_TRUE(host_.texts.empty());
        ASSERT_EQ(2, loaded->GetTrackCount());
        EXPECT_EQ(2, loaded->GetTrackChannels(0));
        EXPECT_EQ(bits, loaded->GetStoredBits());
        UINT width = bits == 16 ? 2 : 4;
        EXPECT_EQ(Channel(stereo_, 2, 1, width), ChannelOf(loaded, 0, 1));
        EXPECT_EQ(mono_, ChannelOf(loaded, 1, 0));
        float v = 0;
        IMtEnvelope* back = loaded->GetTrackEditInterface(0, kMtEnvLevel);
        back->GetInitialValue(&v);
        EXPECT_EQ(0.5f, v);
        back->GetValueAt(1000, &v);
        EXPECT_EQ(0.25f, v);
        back->GetValueAt(2500, &v);
        EXPECT_EQ(1.0f, v);
        loaded->GetTrackEditInterface(1, kMtEnvPan)->GetValueAt(300, &v);
        EXPECT_EQ(-0.75f, v);
        EXPECT_TRUE(loaded->GetTrackFlag(1, kMtFlagMute));
        EXPECT_EQ(std::vector<std::string>{"Part"}, LabelNames(loaded, 1, kLabelSection));
    }
}

// The flat file's header and offset table, byte for byte.
TEST_F(ProjectFileTest, FlatHeaderAndOffsetTableGolden)
{
    CNyMultiTrackDoc* source = SourceDocument();
    std::string path = scratch_.File("golden.kvs");
    ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), 0));
    Bytes b = ReadAll(path);
    ASSERT_GE(b.size(), 1332u);
    EXPECT_EQ(0, std::memcmp(b.data(), "Nyle Ver. 1.00,I", 16));
    EXPECT_EQ(0x510u, At<uint32_t>(b, 16));
    EXPECT_EQ(996u, At<uint32_t>(b, 20));
    EXPECT_EQ(44100u, At<uint32_t>(b, 1016));
    EXPECT_EQ(16u, At<uint32_t>(b, 1020));
    EXPECT_EQ(3000, At<int64_t>(b, 1024));
    // Track labels of 3 stored tracks, a cue and a section.
    const uint32_t m = At<uint32_t>(b, 1292);
    EXPECT_EQ(5u, m);
    EXPECT_EQ(1308 + 8 * 3, At<int64_t>(b, 1296));
    EXPECT_EQ(3u, At<uint32_t>(b, 1304));
    int64_t first = 1308 + 8 * 3 + 284 * 5;
    EXPECT_EQ(first, At<int64_t>(b, 1308));
    EXPECT_EQ(first + 36 + 6000, At<int64_t>(b, 1316));
    EXPECT_EQ(first + 2 * (36 + 6000), At<int64_t>(b, 1324));
    EXPECT_EQ(size_t(first + 2 * (36 + 6000) + 36 + 4000), b.size());
    // The mono track's block: size, length, start, pan, mute, tag.
    size_t block = size_t(first + 2 * (36 + 6000));
    EXPECT_EQ(36u, At<uint32_t>(b, block));
    EXPECT_EQ(2000, At<int64_t>(b, block + 4));
    EXPECT_EQ(500, At<int64_t>(b, block + 12));
    EXPECT_EQ('1', char(b[block + 28]));
    EXPECT_EQ(0, std::memcmp(b.data() + block + 29, "KVS", 3));
    // The section record points at the mono track's stored index 2.
    bool found = false;
    for (uint32_t i = 0; i < m; ++i) {
        size_t r = 1308 + 24 + 284 * i;
        if (At<int32_t>(b, r + 4) == kLabelSection) {
            EXPECT_EQ(2, At<int32_t>(b, r + 8));
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

// Damaged files: each refused with its text; the document keeps no track and no command.
TEST_F(ProjectFileTest, DamagedFilesAreRefusedWithTheirTextAndChangeNothing)
{
    CNyMultiTrackDoc* source = SourceDocument();
    std::string flat = scratch_.File("good.flat"), chunk = scratch_.File("good.chunk"),
                multi = scratch_.File("good.multi");
    ASSERT_EQ(1, source->SaveProjectFile(flat.c_str(), 0));
    ASSERT_EQ(1, source->SaveProjectFile(chunk.c_str(), 1));
    ASSERT_EQ(1, source->SaveProjectFile(multi.c_str(), 20));
    const Bytes flatBytes = ReadAll(flat), chunkBytes = ReadAll(chunk), multiBytes = ReadAll(multi);
    auto find = [](const Bytes& b, const char* id) {
        for (size_t i = 0; i + 8 <= b.size(); ++i)
            if (std::memcmp(b.data() + i, id, 8) == 0)
                return i;
        return size_t(0);
    };
    const size_t info4 = find(multiBytes, "TRKINFO4") + 16;
    const size_t trkinfo = find(chunkBytes, "TRKINFO ") + 16;
    struct Case {
        const char* name;
        Bytes bytes;
        const char* text;
    };
    auto patched = [](Bytes b, size_t at, const void* v, size_t n) {
        std::memcpy(b.data() + at, v, n);
        return b;
    };
    uint32_t seven = 7, big = 0x7FFFFFFF, three = 3, six = 6, beyond = 70000;
    int64_t negative = -5, huge = int64_t(1) << 40;
    const std::vector<Case> cases = {
        {"flat truncated", Bytes(flatBytes.begin(), flatBytes.end() - 100), "Failed to load file."},
        {"flat 7 tracks in a table of 3", patched(flatBytes, 1304, &seven, 4), nullptr},
        {"flat table past the file", patched(flatBytes, 1304, &big, 4), "Failed to load file."},
        {"flat huge marker count", patched(flatBytes, 1292, &big, 4), "Failed to load marker information."},
        {"flat data past the end", patched(flatBytes, 1308 + 24 + 284 * 5 + 4, &huge, 8), "Failed to load file."},
        {"flat negative length", patched(flatBytes, 1308 + 24 + 284 * 5 + 4, &negative, 8), "Failed to load file."},
        {"flat bad version", patched(flatBytes, 16, &three, 4), "Different file version"},
        {"chunk truncated", Bytes(chunkBytes.begin(), chunkBytes.begin() + long(chunkBytes.size() / 2)),
         "Failed to load file."},
        {"chunk more tracks than a load numbers",
         patched(chunkBytes, find(chunkBytes, "FILEINFO") + 16 + 8, &beyond, 4), "Failed to load file."},
        {"chunk negative length", patched(chunkBytes, trkinfo + 20, &negative, 8), nullptr},
        {"chunk huge length", patched(chunkBytes, trkinfo + 20, &huge, 8), "Failed to load file."},
        {"chunk 3 channels", patched(chunkBytes, trkinfo + 36, &three, 4), nullptr},
        {"multi 3 channels", patched(multiBytes, info4, &three, 4), nullptr},
        {"multi huge length", patched(multiBytes, info4 + 4, &huge, 8), "Failed to load file."},
        {"multi 7 channels", patched(multiBytes, info4, &six, 4), "Failed to load file."},
        {"multi no info", patched(multiBytes, find(multiBytes, "FILEINF4"), "XXXXXXXX", 8), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = scratch_.File("bad.kvs");
        WriteAll(path, c.bytes);
        CNyMultiTrackDoc* doc = EmptyDocument();
        host_.texts.clear();
        EXPECT_EQ(0, doc->LoadProjectFile(path.c_str(), nullptr));
        ASSERT_EQ(1u, host_.texts.size());
        if (c.text) {
            EXPECT_EQ(c.text, host_.texts[0]);
        }
        EXPECT_EQ(0, doc->GetTrackCount());
        EXPECT_TRUE(LabelNames(doc, -1, kLabelCue).empty());
    }
}

// A 24-bit document goes into the chunked file as 32-bit floats, which the reader takes back.
TEST_F(ProjectFileTest, ChunkedFileKeeps24BitDocumentsAsFloats)
{
    CNyMultiTrackDoc* source = SourceDocument(24, 48000);
    std::string path = scratch_.File("float.kvs");
    ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), 1));
    Bytes b = ReadAll(path);
    CNyMultiTrackDoc* loaded = EmptyDocument();
    ASSERT_EQ(1, loaded->LoadProjectFile(path.c_str(), nullptr)) << Shown();
    EXPECT_EQ(32, loaded->GetBitsPerSample());
    EXPECT_EQ(Channel(stereo_, 2, 1, 4), ChannelOf(loaded, 1, 0));
    EXPECT_EQ(mono_, ChannelOf(loaded, 2, 0));
}

// Old flat files: "-0.02,I" loads as current; "-0.01,I" (no length field) offers to convert,
// but only when the file became the document: an import never rewrites its source.
TEST_F(ProjectFileTest, OldFlatFilesConvertOnlyWhenOpened)
{
    CNyMultiTrackDoc* source = SourceDocument();
    std::string path = scratch_.File("old.kvs");
    ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), 0));
    const Bytes current = ReadAll(path);
    // The oldest layout: 8 more bytes in the header block, no length field; sizes agree.
    Bytes oldest(current.begin(), current.begin() + 1016);
    std::memcpy(oldest.data() + 9, "-0.01,I", 7);
    uint32_t size = 1004;
    std::memcpy(oldest.data() + 20, &size, 4);
    oldest.insert(oldest.end(), 8, 0);
    oldest.insert(oldest.end(), current.begin() + 1016, current.begin() + 1024);
    oldest.insert(oldest.end(), current.begin() + 1032, current.end());
    ASSERT_EQ(current.size(), oldest.size());

    Bytes second = current;
    std::memcpy(second.data() + 9, "-0.02,I", 7);
    WriteAll(path, second);
    EXPECT_EQ(1, EmptyDocument()->LoadProjectFile(path.c_str(), nullptr));
    EXPECT_TRUE(host_.texts.empty());

    WriteAll(path, oldest);
    CNyMultiTrackDoc* target = SourceDocument();
    ASSERT_EQ(1, target->LoadProjectFile(path.c_str(), nullptr)) << Shown();
    EXPECT_EQ(5, target->GetTrackCount());
    EXPECT_TRUE(host_.texts.empty());
    EXPECT_EQ(oldest, ReadAll(path));

    host_.answer = IDYES;
    CNyMultiTrackDoc* opened = EmptyDocument();
    ASSERT_EQ(1, opened->LoadProjectFile(path.c_str(), nullptr)) << Shown();
    EXPECT_EQ(1u, host_.texts.size());
    EXPECT_EQ(3, opened->GetTrackCount());
    EXPECT_EQ(Channel(stereo_, 2, 0, 2), ChannelOf(opened, 0, 0));
    Bytes rewritten = ReadAll(path);
    EXPECT_EQ(0, std::memcmp(rewritten.data(), "Nyle Ver. 1.00,I", 16));
    EXPECT_EQ(3000, At<int64_t>(rewritten, 1024));
}

// A multichannel document's file opens on its own; importing it into a standard document
// with tracks is refused.
TEST_F(ProjectFileTest, MultichannelDocumentFilesOpenButDoNotImportIntoStandardOnes)
{
    CNyMultiTrackDoc* source = SourceDocument();
    ASSERT_TRUE(source->SetEngineMode(1));
    std::string path = scratch_.File("six.kvs");
    ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), 20));
    CNyMultiTrackDoc* opened = EmptyDocument();
    ASSERT_EQ(1, opened->LoadProjectFile(path.c_str(), nullptr)) << Shown();
    EXPECT_EQ(1, opened->IsMultichannel());
    CNyMultiTrackDoc* standard = SourceDocument();
    EXPECT_EQ(0, standard->LoadProjectFile(path.c_str(), nullptr));
    ASSERT_EQ(1u, host_.texts.size());
    EXPECT_EQ("Multichannel document could not be imported.", host_.texts[0]);
    EXPECT_EQ(2, standard->GetTrackCount());
}

// Format detection by content: the flat signature must be whole, a form needs its header.
TEST_F(ProjectFileTest, DetectionTellsFormatsByContent)
{
    auto form = [](const char* info) {
        Bytes b(16, 0), head;
        std::memcpy(b.data(), "KVSOUND ", 8);
        if (info) {
            head.resize(32, 0);
            std::memcpy(head.data(), "FILEHEAD", 8);
            uint64_t inner = 16;
            std::memcpy(head.data() + 8, &inner, 8);
            std::memcpy(head.data() + 16, info, 8);
        }
        uint64_t size = head.size();
        std::memcpy(b.data() + 8, &size, 8);
        b.insert(b.end(), head.begin(), head.end());
        return b;
    };
    auto text = [](const char* t) { return Bytes(t, t + std::strlen(t)); };
    const struct {
        const char* name;
        Bytes bytes;
        int format;
    } cases[] = {
        {"empty", {}, 0},
        {"start of the signature only", text("Nyle"), 0},
        {"eight characters", text("Nyle Ver"), 0},
        {"signature", text("Nyle Ver. 1.00,I"), kProjectFlat},
        {"other ninth character", text("Nyle Vers 1.00,I"), 0},
        {"chunked", form("FILEINFO"), kProjectChunked},
        {"multichannel", form("FILEINF4"), kProjectMultichannel},
        {"form without information", form("WRKSPACE"), 0},
        {"form without header", form(nullptr), 0},
    };
    for (const auto& c : cases) {
        std::string path = scratch_.File("detect.bin");
        WriteAll(path, c.bytes);
        EXPECT_EQ(c.format, CProjectFile::DetectProjectFormat(path.c_str())) << c.name;
    }
}

// A save onto a locked target, or that fails midway, leaves the old file as it was.
TEST_F(ProjectFileTest, FailedSaveLeavesTheOldFileAndTheDocumentModified)
{
    CNyMultiTrackDoc* source = SourceDocument();
    std::string path = scratch_.File("kept.kvs");
    ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), 1));
    const Bytes before = ReadAll(path);
    source->SetModifiedFlag(TRUE);
    for (int type : {0, 1, 20}) {
        HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, lock);
        host_.shown.clear();
        EXPECT_EQ(0, source->SaveProjectFile(path.c_str(), type));
        CloseHandle(lock);
        EXPECT_EQ(1u, host_.shown.size());
        EXPECT_EQ(before, ReadAll(path));
        EXPECT_TRUE(source->IsModified());
        EXPECT_EQ(1, source->GetFileType());
    }
    EXPECT_FALSE(SaveLeftATemporaryFile());
}

// Readers fed damaged bytes refuse or load, never crash, and leave the document whole.
TEST_F(ProjectFileTest, ReadersSurviveDamagedBytes)
{
    CNyMultiTrackDoc* source = SourceDocument();
    std::mt19937 random(20);
    for (int type : {0, 1, 20}) {
        std::string good = scratch_.File("fuzz" + std::to_string(type));
        ASSERT_EQ(1, source->SaveProjectFile(good.c_str(), type));
        const Bytes bytes = ReadAll(good);
        for (int round = 0; round < 25; ++round) {
            Bytes damaged = bytes;
            // Damage lands in the headers and records, where the readers make decisions.
            size_t span = std::min<size_t>(damaged.size(), 2000);
            for (int k = 0; k < 4; ++k)
                damaged[random() % span] = uint8_t(random());
            std::string path = scratch_.File("fuzzed.kvs");
            WriteAll(path, damaged);
            CNyMultiTrackDoc* doc = EmptyDocument();
            if (!doc->LoadProjectFile(path.c_str(), nullptr)) {
                EXPECT_EQ(0, doc->GetTrackCount());
            }
        }
    }
}

// Every layout a document holds saves into every project form and reads back to the same
// channels in the same order (the flat and chunked forms store each channel as a track of its
// own), or the save is refused before anything is written, with a text naming a form that
// holds it: standard documents of any number of mono and stereo tracks (an empty one among
// them), multichannel documents of tracks of one to six channels, 16 and 24 bits.
TEST_F(ProjectFileTest, EveryLayoutSavesIntoEveryFormAndReadsBackOrIsRefusedBeforeWriting)
{
    const struct {
        const char* name;
        uint32_t type;              // 0 standard, 1 multichannel
        std::vector<WORD> channels; // per track; 0: an empty stereo track
    } layouts[] = {
        {"one mono track", 0, {1}},
        {"stereo, an empty track, mono", 0, {2, 0, 1}},
        {"eight mono tracks", 0, {1, 1, 1, 1, 1, 1, 1, 1}},
        {"four stereo tracks", 0, {2, 2, 2, 2}},
        {"one six-channel track", 1, {6}},
        {"one three-channel track", 1, {3}},
        {"four and five channels", 1, {4, 5}},
        {"six channels and stereo", 1, {6, 2}},
        {"one to six channels", 1, {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& layout : layouts) {
        for (WORD bits : {16, 24}) {
            for (int form : {0, 1, 20}) {
                SCOPED_TRACE(std::string(layout.name) + ", " + std::to_string(bits) + " bits, form " +
                             std::to_string(form));
                CNyMultiTrackDoc* source = EmptyDocument(bits, 48000);
                ASSERT_TRUE(source->SetEngineMode(layout.type));
                source->SetFileFormatInfo(bits, 48000);
                // Every channel of every track, in order: its start and its samples.
                std::vector<std::pair<LONGLONG, Bytes>> channels;
                const UINT width = bits == 16 ? 2 : 4;
                int seed = 10;
                for (WORD n : layout.channels) {
                    const LONGLONG start = 100 * LONGLONG(channels.size());
                    const WORD count = n ? n : 2;
                    const Bytes data = n ? Samples(700 + 50 * size_t(seed % 7), count, bits, seed) : Bytes();
                    if (n) {
                        AddTrack(source, data, count, start);
                    } else {
                        ComRef<IMtTrack> empty;
                        ASSERT_EQ(S_OK, source->GetTrackSet()->InsertTrack(0, 2, empty.Out(), -1));
                    }
                    for (WORD c = 0; c < count; ++c)
                        channels.emplace_back(n ? start : 0, Channel(data, count, c, width));
                    ++seed;
                }
                const std::string path = scratch_.File("layout.kvs");
                DeleteFileA(path.c_str());
                host_.texts.clear();
                host_.shown.clear();
                const int saved = source->SaveProjectFile(path.c_str(), form);
                if (form == 0 && bits > 16) {
                    EXPECT_EQ(0, saved);
                    ASSERT_EQ(1u, host_.texts.size()) << Shown();
                    EXPECT_NE(std::string::npos, host_.texts[0].find("v1.x")) << host_.texts[0];
                    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
                    continue;
                }
                ASSERT_EQ(1, saved) << Shown();
                CNyMultiTrackDoc* loaded = EmptyDocument();
                ASSERT_EQ(1, loaded->LoadProjectFile(path.c_str(), nullptr)) << Shown();
                EXPECT_TRUE(host_.texts.empty()) << Shown();
                std::vector<std::pair<LONGLONG, Bytes>> back;
                for (int t = 0; t < loaded->GetTrackCount(); ++t) {
                    const WORD count = loaded->GetTrackChannels(t);
                    const LONGLONG start = loaded->GetTrackExtent(t, 0) ? loaded->GetTrackExtent(t, -1) : 0;
                    for (WORD c = 0; c < count; ++c)
                        back.emplace_back(start, ChannelOf(loaded, t, c));
                }
                EXPECT_TRUE(back == channels) << back.size() << " channels read back of " << channels.size();
                if (form == 20) {
                    EXPECT_EQ(int(layout.channels.size()), loaded->GetTrackCount());
                    EXPECT_EQ(int(layout.type), loaded->IsMultichannel());
                }
            }
        }
    }
}

// Rates the readers refuse are refused by the savers before any file is made, with the
// reason and the forms that hold them; the rates at the forms' edges save and read back.
TEST_F(ProjectFileTest, RatesAFormCannotHoldAreRefusedBeforeWriting)
{
    const struct {
        DWORD rate;
        bool flat, chunked; // the forms hold it
    } cases[] = {
        {1000, false, false},  {2000, true, true},     {96000, true, true},    {96001, false, true},
        {192000, false, true}, {192001, false, false}, {768000, false, false},
    };
    for (const auto& c : cases) {
        for (int form : {0, 1, 20}) {
            SCOPED_TRACE(std::to_string(c.rate) + " Hz, form " + std::to_string(form));
            CNyMultiTrackDoc* source = EmptyDocument(16, c.rate);
            const Bytes data = Samples(300, 1, 16, 3);
            AddTrack(source, data, 1, 0);
            const std::string path = scratch_.File("rate.kvs");
            DeleteFileA(path.c_str());
            host_.texts.clear();
            const bool held = form == 0 ? c.flat : c.chunked;
            ASSERT_EQ(held ? 1 : 0, source->SaveProjectFile(path.c_str(), form)) << Shown();
            if (!held) {
                ASSERT_EQ(1u, host_.texts.size());
                EXPECT_NE(std::string::npos, host_.texts[0].find(form == 0 ? "v1.x" : "Wave or AIFF"))
                    << host_.texts[0];
                EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
                continue;
            }
            CNyMultiTrackDoc* loaded = EmptyDocument();
            ASSERT_EQ(1, loaded->LoadProjectFile(path.c_str(), nullptr)) << Shown();
            EXPECT_EQ(c.rate, loaded->GetSamplesPerSec());
            EXPECT_EQ(data, ChannelOf(loaded, 0, 0));
        }
    }
    EXPECT_FALSE(SaveLeftATemporaryFile());
}

// Files other sessions of the program saved and then refused open now; a damaged peak block
// leaves no temporary file behind, load after load; a project with a non-finite envelope
// value is refused with its text and changes nothing.
TEST_F(ProjectFileTest, FilesTheProgramWroteOpenAndEveryLoadLeavesNothingBehind)
{
    const struct {
        const char* file;
        int tracks;
        int channels;
    } opened[] = {
        {"project-std-8tracks-chunked.written-then-refused.kvs", 6, 6},
        {"project-std-8tracks-flat.written-then-refused.kvs", 6, 6},
        {"project-mc-3channel-track.written-then-refused.kvs", 1, 3},
        {"project-mc-8channels.written-then-refused.kvs", 2, 8},
        {"project-damaged-peak-block.leaves-temp-file.kvs", 2, 3},
    };
    for (const auto& c : opened) {
        SCOPED_TRACE(c.file);
        const std::vector<std::string> before = TempFolderNames();
        for (int round = 0; round < 3; ++round) {
            host_.texts.clear();
            CNyMultiTrackDoc* doc = EmptyDocument();
            ASSERT_EQ(1, doc->LoadProjectFile(Fixture(c.file).c_str(), nullptr)) << Shown();
            EXPECT_TRUE(host_.texts.empty()) << Shown();
            ASSERT_EQ(c.tracks, doc->GetTrackCount());
            int channels = 0;
            for (int t = 0; t < doc->GetTrackCount(); ++t)
                channels += doc->GetTrackChannels(t);
            EXPECT_EQ(c.channels, channels);
            docs_.pop_back(); // the engine lets its files go with the document
            views_.pop_back();
        }
        EXPECT_EQ(before, TempFolderNames()) << "a load left files in the temporary folder";
    }

    host_.texts.clear();
    CNyMultiTrackDoc* doc = EmptyDocument();
    EXPECT_EQ(0, doc->LoadProjectFile(Fixture("project-nan-envelope-point.silent-refusal.kvs").c_str(), nullptr));
    ASSERT_EQ(1u, host_.texts.size());
    EXPECT_EQ("Failed to load file.", host_.texts[0]);
    EXPECT_EQ(0, doc->GetTrackCount());
}

// A fuzz of the project readers on files the program wrote (seeded; long by hand with
// KV_PROJECT_FUZZ=5000 KV_PROJECT_FUZZ_SEED=3): every file is read or refused with a text,
// a refusal leaves the document empty, no load leaves a temporary file, and every track read
// holds sound the file holds (its samples, as stored, are bytes of the file).
TEST_F(ProjectFileTest, MutatedProjectsAreReadAsTheyHoldOrRefusedLeavingNothing)
{
    const unsigned iterations = kvtest::EnvNumber("KV_PROJECT_FUZZ", 90);
    const unsigned seed = kvtest::EnvNumber("KV_PROJECT_FUZZ_SEED", 1);
    SCOPED_TRACE("seed " + std::to_string(seed));
    CNyMultiTrackDoc* source = SourceDocument();
    std::vector<Bytes> seeds;
    for (int form : {0, 1, 20}) {
        const std::string path = scratch_.File("seed" + std::to_string(form));
        ASSERT_EQ(1, source->SaveProjectFile(path.c_str(), form));
        seeds.push_back(ReadAll(path));
    }
    const std::vector<std::string> before = TempFolderNames();
    std::mt19937 random(seed);
    unsigned loaded = 0;
    for (unsigned i = 0; i < iterations; ++i) {
        SCOPED_TRACE("iteration " + std::to_string(i));
        Bytes b = seeds[i % seeds.size()];
        for (unsigned e = 0, edits = 1 + random() % 4; e < edits; ++e) {
            // Mostly where the headers and records lie.
            const size_t span = random() % 8 ? std::min<size_t>(b.size(), 1500) : b.size();
            switch (random() % 4) {
            case 0:
                b[random() % span] ^= uint8_t(1u << (random() % 8));
                break;
            case 1: {
                const uint32_t values[] = {0, 1, 7, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, uint32_t(random())};
                const uint32_t v = values[random() % 7];
                std::memcpy(b.data() + random() % (span - 4), &v, 4);
                break;
            }
            case 2:
                b.resize(16 + random() % (b.size() - 15));
                break;
            default:
                b[random() % b.size()] = uint8_t(random());
                break;
            }
        }
        const std::string path = scratch_.File("fuzzed.kvs");
        WriteAll(path, b);
        host_.texts.clear();
        CNyMultiTrackDoc* doc = EmptyDocument();
        if (doc->LoadProjectFile(path.c_str(), nullptr)) {
            ++loaded;
            for (int t = 0; t < doc->GetTrackCount(); ++t) {
                WORD channels = doc->GetTrackChannels(t);
                Bytes stored;
                for (WORD c = 0; c < channels; ++c) {
                    const Bytes one = ChannelOf(doc, t, c);
                    stored.resize(std::max(stored.size(), one.size() * channels));
                    for (size_t k = 0; k + 1 < one.size(); k += 2)
                        std::memcpy(stored.data() + k * channels + 2 * c, one.data() + k, 2);
                }
                EXPECT_NE(b.end(), std::search(b.begin(), b.end(), stored.begin(), stored.end()))
                    << "track " << t << " holds sound the file does not";
            }
        } else {
            EXPECT_EQ(0, doc->GetTrackCount());
            EXPECT_EQ(1u, host_.texts.size()) << "a refusal shows one text";
        }
        docs_.pop_back(); // the engine lets the load's files go with the document
        views_.pop_back();
        ASSERT_EQ(before, TempFolderNames()) << "a load left files in the temporary folder";
    }
    std::printf("%u of %u mutated projects read\n", loaded, iterations);
}

} // namespace
