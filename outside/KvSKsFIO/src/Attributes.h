// The attribute object of a sound file: its information entries and the chunks carried
// along to the next write, and one value read through the tag "KSATTR  ".
#pragma once
#include "IKvSKsFIO.h"
#include "SoundFile.h"

#include <vector>

class FileAttributes : public ComObject<IKvSFileAttributes> {
public:
    FileAttributes();
    ~FileAttributes() override;

    HRESULT STDMETHODCALLTYPE GetInfoEntries(WORD* count, void** block) override;
    HRESULT STDMETHODCALLTYPE SetInfoEntries(WORD count, const void* block) override;
    HRESULT STDMETHODCALLTYPE IsEqual(IUnknown* other) override;
    HRESULT STDMETHODCALLTYPE QueryTag(InterfaceTag tag, void** object) override;
    HRESULT STDMETHODCALLTYPE Clone(IUnknown** copy) override;

    std::vector<FioInfoEntry> info;
    std::vector<KeptChunk> kept;
    LONG firstValue = 1;

protected:
    void* QueryExtraInterface(REFIID iid) override;

private:
    class Values;
    Values* m_values;
};

// The module's own object behind an interface pointer, or null for a foreign one.
FileAttributes* AsFileAttributes(IUnknown* object);
