// CClip: sound to put on a track: a content (segments of items), a start offset and a
// format; copies of a track range also carry the detached track they were taken from.
#pragma once
#include "Content.h"

#include "ComObject.h"
#include "ComRef.h"

KV_DECLARE_IID(IMtClipData, 0x7ec82c00, 0xec8b, 0x44a9, 0xaf, 0xd2, 0x27, 0x80, 0x33, 0x88, 0xb1, 0x39)

class CClip : public ComObject<IMtClip, IMtClipPersist> {
public:
    CClip() = default;
    CClip(ContentPtr content, LONGLONG start, const MtFormat& format, IMtTrack* sourceTrack);

    ContentPtr GetContent() const { return m_content; }
    LONGLONG Start() const { return m_start; }
    // The clip's format: as set, or the first item's.
    MtFormat Format() const;
    // Most channels that any of its items carries (mono items count as fitting anything).
    WORD ItemChannels() const;

    STDMETHODIMP SetSource(IUnknown* item, LONGLONG start, LONGLONG length) override;
    STDMETHODIMP GetSourceTrack(IMtTrack** track) override;
    STDMETHODIMP CreateSubClip(LONGLONG start, LONGLONG length, IMtClip** clip) override;
    STDMETHODIMP GetStartOffset(LONGLONG* start) override;
    STDMETHODIMP SetStartOffset(LONGLONG start) override;
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP GetLength(LONGLONG* length) override;
    STDMETHODIMP GetFormat(MtClipFormat* format) override;
    STDMETHODIMP SetFormat(const MtClipFormat* format) override;
    STDMETHODIMP Load(ITaggedObject* chunkFile) override;
    STDMETHODIMP Save(ITaggedObject* chunkFile, DWORD mode) override;

protected:
    void* QueryExtraInterface(REFIID iid) override { return iid == __uuidof(IMtClipData) ? this : nullptr; }

private:
    ContentPtr m_content = Content::Empty();
    LONGLONG m_start = 0;
    MtFormat m_format;
    bool m_formatSet = false;
    ComRef<IMtTrack> m_sourceTrack;
};

// Bits, channels and rate that a clip may carry.
bool IsUsableClipFormat(const MtClipFormat& format);

// This engine's clip behind an IUnknown, or empty.
ComRef<CClip> ClipOf(IUnknown* clip);
