#include "StreamObjects.h"

#include "FileStream.h"
#include "PeakBuilder.h"
#include "PeakFile.h"

namespace {

template <class T>
HRESULT CreateAndQuery(REFIID iid, void** object)
{
    T* created = RefCounted::Create<T>();
    if (!created)
        return E_OUTOFMEMORY;
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

} // namespace

HRESULT CreateStreamObject(REFCLSID clsid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid == __uuidof(IFileStream))
        return CreateAndQuery<FileStream>(clsid, object);
    if (clsid == __uuidof(IPeakBuilder))
        return CreateAndQuery<PeakBuilder>(clsid, object);
    if (clsid == __uuidof(IPeakFile))
        return CreateAndQuery<PeakFile>(clsid, object);
    return E_OUTOFMEMORY;
}

uint64_t GetFileSize64(HANDLE file)
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size))
        return kInvalidFileSize64;
    return static_cast<uint64_t>(size.QuadPart);
}

uint64_t SeekFile64(HANDLE file, int64_t distance, DWORD origin)
{
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(file, move, &position, origin))
        return kInvalidFileSize64;
    return static_cast<uint64_t>(position.QuadPart);
}
