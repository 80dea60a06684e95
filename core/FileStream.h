// FileStream: the IFileStream stream object, a 64-bit Win32 file whose failures are thrown.
// The position field follows Seek only (Read and Write move the system file position).
#pragma once
#include "FileHandle.h"
#include "RefCounted.h"
#include "StreamObjects.h"

#include <string>

class FileStream : public ComExtend<RefCounted, IFileStream> {
public:
    FileStream() = default;
    ~FileStream() override;

    HRESULT STDMETHODCALLTYPE Open(DWORD mode) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE GetSize(uint64_t* size) override;
    DWORD STDMETHODCALLTYPE GetFileName(char* buffer, DWORD capacity) override;
    DWORD STDMETHODCALLTYPE SetFileName(const char* name) override;
    BOOL STDMETHODCALLTYPE Exists() override;
    BOOL STDMETHODCALLTYPE IsOpen() override { return m_handle.IsValid(); }
    BOOL STDMETHODCALLTYPE IsWritable() override;
    HRESULT STDMETHODCALLTYPE Read(void* buffer, DWORD bytes, DWORD* done) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, DWORD bytes, DWORD* done) override;
    BOOL STDMETHODCALLTYPE SetEndOfFile() override;
    HRESULT STDMETHODCALLTYPE Seek(int64_t offset, DWORD origin, uint64_t* position) override;

private:
    std::string m_name;
    uint64_t m_position = 0;
    uint64_t m_size = 0;
    FileHandle m_handle;
    DWORD m_mode = 0;
};

// Copies at most capacity characters of text, with the end mark only when it fits; returns
// the count copied.
DWORD CopyNameBounded(const std::string& text, char* buffer, DWORD capacity);
