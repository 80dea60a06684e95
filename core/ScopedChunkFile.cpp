#include "ScopedChunkFile.h"

#include "KvSSException.h"

#include <new>

ScopedChunkFile::ScopedChunkFile() : m_file(CreateChunkFile())
{
    if (!m_file)
        throw std::bad_alloc();
}

ScopedChunkFile::ScopedChunkFile(const std::string& path, DWORD mode) : ScopedChunkFile()
{
    m_file->SetFileName(path.c_str());
    m_file->Open(mode);
}

ScopedChunkFile::~ScopedChunkFile()
{
    // Close writes the sizes of created chunks; a failure there must not leave the scope.
    try {
        m_file->Close();
    } catch (const CKvSSException&) {
    }
}
