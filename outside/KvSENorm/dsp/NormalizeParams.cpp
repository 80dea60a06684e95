#include "NormalizeParams.h"

namespace fx {
const fxkit::ParamInfo kNormalizeParams[1] = {{L"&Peak level", L"dBFS", -40, 0, -1, 2, nullptr}};
}
