// Any bytes as a WAV or AIFF file: read, refused with the module's codes, or laid out again
// for the write-back, but never a read or write outside a buffer.
#include "MemorySource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemorySource source(data, size);
    const LONG type = DetectType(data, size, "fuzz.wav");
    try {
        SoundFile sound;
        if (type == kTypeAiff) {
            ReadAiff(source, &sound);
            LayoutAiff(sound);
        } else {
            ReadWav(source, &sound);
            LayoutWav(sound);
        }
        FormatDescription(sound.format);
    } catch (const CKvSSException&) {
    }
    return 0;
}
