// Any bytes as an MPEG audio file through the stream walk: refused as no MPEG audio, or a
// stream whose sound starts within the file (at its end when only a tag frame is there),
// with a format a decoder can be opened for.
#include "MemorySource.h"
#include "MpegStream.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemorySource source(data, size);
    try {
        const MpegStream stream = ReadMpegStream(source);
        const MpegHeader& h = stream.first;
        const bool formatMakesSense = (h.channels == 1 || h.channels == 2) && h.rate >= 8000 && h.rate <= 48000 &&
                                      h.frameBytes > 0 && h.samplesPerFrame > 0;
        if (!formatMakesSense || stream.audioStart > size || stream.audioEnd < stream.audioStart) {
            std::fprintf(stderr, "MPEG walk: start %llu, end %llu of %zu bytes; %u Hz, %u channels\n",
                         static_cast<unsigned long long>(stream.audioStart),
                         static_cast<unsigned long long>(stream.audioEnd), size, h.rate, unsigned(h.channels));
            std::abort();
        }
        stream.Length();
        stream.SkipAtStart();
    } catch (const CKvSSException&) {
    }
    return 0;
}
