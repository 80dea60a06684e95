// Channel Normalize's parameter table: the target peak of each channel in dBFS.
#pragma once
#include "ParamSpec.h"

namespace fx {
extern const fxkit::ParamSpec kChannelNormalizeParams[1];
}
