// Any bytes as an AVI file through our structure walk, for each kind of stream a caller asks
// for: refused with the walk's codes, or every chunk it hands out lies inside the file.
#include "AviStructure.h"
#include "MemorySource.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemorySource source(data, size);
    for (uint32_t kind : {kAviVideo, kAviAudio, 0u}) {
        try {
            const AviStructure avi = ReadAviStructure(source, kind);
            for (const AviStreamInfo& stream : avi.streams) {
                for (const AviChunkRef& chunk : stream.chunks) {
                    if (chunk.offset > size || chunk.size > size - chunk.offset) {
                        std::fprintf(stderr, "AVI walk: a chunk at %llu of %u bytes lies outside the file\n",
                                     static_cast<unsigned long long>(chunk.offset), chunk.size);
                        std::abort();
                    }
                }
            }
        } catch (const CKvSSException&) {
        }
    }
    return 0;
}
