// A real document and view on KsMultiTrack.dll whose tracks hold sound from raw 16-bit item
// files, with what the command tests compare: a fingerprint of the tracks and labels, the
// bytes a command saves and commands loaded back from them.
#pragma once
#include "DocumentFixture.h"
#include "ExpectedBytes.h"
#include "JournalSupport.h"
#include "TestSupport.h"

#include "CommandHeader.h"
#include "CommandRegistry.h"
#include "KsMultiTrackLoader.h"
#include "LabelTable.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kvtest {

// A journal stream over a file whose user value is the document, as the history's is.
class DocumentStream : public FileStream {
public:
    DocumentStream(const std::string& path, DWORD mode, CommandDocument* document)
        : FileStream(path, mode), m_document(document)
    {
    }
    STDMETHODIMP GetUserValue(UINT_PTR* value) override
    {
        *value = reinterpret_cast<UINT_PTR>(m_document);
        return S_OK;
    }

private:
    CommandDocument* m_document;
};

inline Bytes Le32(uint32_t v)
{
    return Bytes{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}
inline Bytes LeFloat(float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return Le32(v);
}
inline Bytes Zeros(size_t n)
{
    return Bytes(n, 0);
}
// A record: the header, then the parts in order.
inline Bytes Record(uint16_t size, const char* type, const char* name, std::initializer_list<Bytes> parts)
{
    Bytes record = Header(size, type, name);
    for (const Bytes& part : parts)
        Append(record, part);
    return record;
}

// The whole document but its selection, as text (see DocumentPrint.h).
std::string Fingerprint(CNyMultiTrackDoc* doc);
// The fingerprint without its labels.
inline std::string TrackPrint(const std::string& print)
{
    return print.substr(0, std::min(print.find("label "), print.find("loop ")));
}
inline std::string TrackPrint(CNyMultiTrackDoc* doc)
{
    return TrackPrint(Fingerprint(doc));
}

class TrackCommandTest : public DocumentTest {
protected:
    // A document of tracks of these channel counts; track t holds frames[t] frames of its own
    // sound starting at starts[t] (no sound for 0 frames).
    CNyMultiTrackDoc* Build(const std::vector<WORD>& channels, const std::vector<int>& frames,
                            const std::vector<int64_t>& starts = {});
    void Fill(CNyMultiTrackDoc* doc, int track, int frames, int64_t start, int seed);
    // Puts samples (interleaved, of the document's rate) into a track at start, from a raw item file.
    void InsertSamples(CNyMultiTrackDoc* doc, int track, const void* samples, size_t bytes, WORD bits, int64_t start);

    static std::vector<int> SelectedTracks(CNyMultiTrackDoc* doc);
    static void Select(CNyMultiTrackDoc* doc, std::initializer_list<int> tracks);
    static IMtTrack* Track(CNyMultiTrackDoc* doc, int index) { return doc->GetTrack(index); }
    static IMtEnvelope* Volume(CNyMultiTrackDoc* doc, int index) { return doc->GetTrackEditInterface(index, 0); }

public:
    static std::vector<std::pair<int64_t, float>> Points(IMtEnvelope* envelope);

protected:
    // The bytes of the command's chunk saved on its own, and the record inside it.
    Bytes Saved(IEditCommand* command, HRESULT* result = nullptr);
    static Bytes RecordOf(const Bytes& chunk) { return Bytes(chunk.begin() + 16, chunk.end()); }
    // A new command of the saved type loaded from the bytes for the document.
    ComRef<IEditCommand> Loaded(const Bytes& chunk, CNyMultiTrackDoc* doc, HRESULT* result = nullptr);

    ScratchFolder files_;
    int fileCount_ = 0;
};

} // namespace kvtest
