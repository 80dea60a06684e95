// One region of the divider: its file, written as "<name>.part" beside the target and renamed
// to the target (replacing a file of that name) once it is whole. Failures throw
// CKvSSException with the system's code; a region not committed leaves no file behind.
#pragma once
#include "DividerPlan.h"
#include "SampleCodec.h"
#include "SoundFile.h"

#include <string>
#include <vector>

class RegionFile {
public:
    // stored: how the samples lie in the file; from: the stream's samples (16-bit or float).
    RegionFile(const std::string& name, fx::DividerFormat format, const StoredFormat& stored, Storage from);
    ~RegionFile();
    RegionFile(const RegionFile&) = delete;
    RegionFile& operator=(const RegionFile&) = delete;

    void Write(const uint8_t* frames, size_t count);
    // Completes the header, flushes and renames the file to its name.
    void Commit();

private:
    std::vector<uint8_t> Header(std::vector<uint8_t>* tail) const;
    void Put(const void* data, size_t bytes);

    std::string m_name, m_part;
    fx::DividerFormat m_format;
    StoredFormat m_stored;
    Storage m_from;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    uint64_t m_frames = 0;
    size_t m_headBytes = 0;
    std::vector<uint8_t> m_encoded;
};
