// Normalize's parameter table: the target peak in dBFS.
#pragma once
#include "ParamInfo.h"

namespace fx {
extern const fxkit::ParamInfo kNormalizeParams[1];
}
