// Normalize's parameter table: the target peak in dBFS.
#pragma once
#include "ParamSpec.h"

namespace fx {
extern const fxkit::ParamSpec kNormalizeParams[1];
}
