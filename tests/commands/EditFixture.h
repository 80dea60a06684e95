// The edit command types on real documents: a document with its view over the real engine
// (DocumentTest), a journal stream whose user value is the document, raw item files in a
// scratch folder, and the fingerprint of a document that undo, redo and replay must match.
#pragma once
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "DocumentFixture.h"
#include "ExpectedBytes.h"
#include "KsMultiTrack.h"
#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace kvtest {

// An IJournalFile over a chunk file, whose user value is a document.
class DocStream : public ComObject<IJournalFile> {
public:
    DocStream(const std::string& path, DWORD mode, CommandDocument* document);
    ~DocStream() override;
    IChunkFile* File() const { return m_file; }

    STDMETHODIMP Open(const char*) override { return E_NOTIMPL; }
    STDMETHODIMP Close() override;
    STDMETHODIMP GetPath(char*, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetChunkFile(IChunkFile** file) override;
    STDMETHODIMP GetLinkedObject(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP SetLinkedObject(IUnknown*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserValue(UINT_PTR* value) override;
    STDMETHODIMP SetUserValue(UINT_PTR) override { return E_NOTIMPL; }

private:
    IChunkFile* m_file;
    CommandDocument* m_document;
};

// What undo, redo and replay must give back of a document.
struct Fingerprint {
    struct Track {
        WORD channels;
        int64_t offset;
        int64_t length;
        uint64_t sampleHash;
        std::vector<std::pair<int64_t, float>> envelope[kMtEnvelopeKinds];
        int volume;
        int pan;
        LONG group;
        LONG flags;
        bool operator==(const Track& o) const;
    };
    std::vector<Track> tracks;
    std::vector<LabelRecord> labels;
    int64_t selectionStart = 0, selectionEnd = 0;
    int masterVolume = 0;
    bool operator==(const Fingerprint& o) const;
};
std::string Describe(const Fingerprint& f);
// Equal byte images, or where they part.
::testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual);

class EditTest : public DocumentTest {
protected:
    // A document of these track channel counts at a rate and bits.
    CNyMultiTrackDoc* NewDoc(const std::vector<WORD>& channels, DWORD rate = 44100, WORD bits = 16,
                             uint32_t documentType = 0);

    void TearDown() override;
    // A second document beside the first (for drops and pastes between documents).
    CNyMultiTrackDoc* SecondDoc(const std::vector<WORD>& channels, DWORD rate, WORD bits = 16);

    // An item on a raw file of frames x channels samples in the engine's storage of the bits
    // (8: unsigned bytes, 16: shorts, else floats), sample f of channel c = fill(f, c) scaled
    // to the kind. Owned by the caller (one reference).
    ComRef<IUnknown> MakeItem(const std::string& name, int64_t frames, WORD channels, WORD bits, DWORD rate,
                              LONG trackId = 0);
    ComRef<IMtItemList> ListOf(const std::vector<std::pair<ComRef<IUnknown>, LONG>>& items);
    // Puts an item's sound on a track at a position (a plain engine call, outside the history).
    void PlaceItem(CNyMultiTrackDoc* doc, int track, int64_t position, IUnknown* item);

    // A track's samples from its start offset, as the engine reads them (bytes).
    std::vector<uint8_t> TrackBytes(CNyMultiTrackDoc* doc, int track);
    Fingerprint Take(CNyMultiTrackDoc* doc);

    // Saved bytes of a command, and its record loaded back by type name and saved again.
    std::vector<uint8_t> Saved(IEditCommand* command, CommandDocument* doc, const std::string& name);
    ComRef<IEditCommand> Loaded(const std::vector<uint8_t>& bytes, CommandDocument* doc, const std::string& name,
                                HRESULT* result = nullptr);

    ScratchFolder scratch_;
    std::unique_ptr<CNyMultiTrackDoc> doc2_;
    std::unique_ptr<CNyMultiTrackView> view2_;
};

} // namespace kvtest
