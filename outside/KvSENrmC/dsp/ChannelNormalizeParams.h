// Channel Normalize's parameter table: the target peak of each channel in dBFS.
#pragma once
#include "ParamInfo.h"

namespace fx {
extern const fxkit::ParamInfo kChannelNormalizeParams[1];
}
