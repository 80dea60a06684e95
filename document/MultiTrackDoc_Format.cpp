// The document's format record after the resample command changed the engine's format.
#include "MultiTrackDoc.h"

#include "AudioFormat.h"

void CNyMultiTrackDoc::SetDocumentFormat(DWORD samplesPerSec, WORD bitsPerSample)
{
    m_audioFormat->SetFormat(samplesPerSec, bitsPerSample, 1);
}
