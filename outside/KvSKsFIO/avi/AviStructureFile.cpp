// The AVI structure walk of a file on disk (the walk itself reads any byte source).
#include "AviStructure.h"

#include "SoundFile.h"

AviStructure ReadAviStructure(const char* path, uint32_t kind)
{
    InFile file(path);
    return ReadAviStructure(file, kind);
}
