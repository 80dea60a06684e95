// Any bytes as an AIFF or AIFF-C file through the stream library's parser, and the header
// laid out again from what it read.
#include "MemorySource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemorySource source(data, size);
    try {
        AiffDescription description;
        ParseAiff(source, &description);
        LayoutAiff(description);
    } catch (const CKvSSException&) {
    }
    return 0;
}
