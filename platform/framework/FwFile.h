// CFile: a binary file by handle, opened with the framework's mode and sharing flags. Open
// reports failure by result (and the system error code), never by throwing; the destructor
// closes the handle.
//
//   CFile file;
//   DWORD error = 0;
//   if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &error)) ...;
//   ULONGLONG size = file.GetLength();
#pragma once
#include "FwString.h"
#include <windows.h>

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000, // with modeCreate: open an existing file without emptying it
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile() = default;
    ~CFile() { Abort(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure; error (when given) gets the system error code.
    BOOL Open(const char* path, UINT flags, DWORD* error = nullptr);
    // Close reports a failing close by FALSE; Abort ignores it. Both are harmless when closed.
    BOOL Close();
    void Abort();

    // Bytes read (0 at the end of the file or on failure).
    UINT Read(void* buffer, UINT count);
    // FALSE unless every byte was written.
    BOOL Write(const void* buffer, UINT count);
    // New position, or (ULONGLONG)-1 on failure.
    ULONGLONG Seek(LONGLONG offset, UINT from);
    // Length in bytes, or (ULONGLONG)-1 when the file is not open or the size cannot be read.
    ULONGLONG GetLength() const;
    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    const CString& GetFilePath() const { return m_strFilePath; }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

private:
    CString m_strFilePath;
};
