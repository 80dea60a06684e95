// Conversion of a content to another rate and sample width (band-limited, by the kit's
// resampler), written to a new data file in the engine's temporary folder that the engine owns.
#pragma once
#include "Content.h"

// Throws CKvSSException on file failures.
ContentPtr ResampleContent(const Content& content, const MtFormat& from, const MtFormat& to);
