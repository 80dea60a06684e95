// DiskSpaceInfo: the free space of the drive a path lies on, and the largest file a FAT volume
// lets one write there. RecordableBytes turns it into what a recording may still write.
//
//   DiskSpaceInfo info;
//   info.Query(TempFilePaths().GetFolder());
//   int64_t left = RecordableBytes(info, recording, recordedBytes, base);
#pragma once
#include <windows.h>

#include <cstdint>

class DiskSpaceInfo {
public:
    // Reads the drive of path (its root: up to and including the first backslash).
    void Query(const char* path);
    // The FAT rule by file-system name: any other system leaves usable = free, unlimited.
    void ApplyFileSystem(const char* fileSystemName, uint64_t fatLimit);
    // 2 GB on the old 95 family, else 4 GB.
    static uint64_t FatLimit();

    uint64_t freeBytes = 0;
    uint64_t usableBytes = 0;
    uint64_t limitBytes = 0; // the FAT limit that applied; 0 when unlimited
    int unlimited = 1;
};

// Bytes a recording may still write. Not recording: a third of the free space, at most the
// usable size; base becomes 0. Recording with recorded bytes so far: the first call measures
// and stores the base, later calls count down from it; never below 0, so that a recording
// that ran past its base reads as a full drive.
int64_t RecordableBytes(const DiskSpaceInfo& info, bool recording, int64_t recorded, int64_t& base);
