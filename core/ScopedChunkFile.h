// ScopedChunkFile: a chunk file for one job (a load, a save, one clip's file), closed and
// released on every way out of the scope.
//
//   ScopedChunkFile file(path, kFileRead);   // throws what Open throws
//   if (FAILED(file->DescendById(kForm, kChunkFindById))) ...
//   Reader(file.Get());                      // borrowed: the scope keeps it
#pragma once
#include "ChunkFile.h"
#include "ComRef.h"

#include <string>

class ScopedChunkFile {
public:
    // A closed file with no name; std::bad_alloc when none can be made.
    ScopedChunkFile();
    // The named file opened in mode (kFileRead, kFileReadWrite, kFileCreate).
    ScopedChunkFile(const std::string& path, DWORD mode);
    // Closes the file (ascending what is still open) and lets it go.
    ~ScopedChunkFile();
    ScopedChunkFile(const ScopedChunkFile&) = delete;
    ScopedChunkFile& operator=(const ScopedChunkFile&) = delete;

    IChunkFile* Get() const { return m_file.Get(); }
    IChunkFile* operator->() const { return m_file.Get(); }

private:
    ComRef<IChunkFile> m_file;
};
