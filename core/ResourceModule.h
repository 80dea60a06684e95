// The application's current resource module: where string-table texts (error texts, unit
// names) are loaded from. Defaults to the executable's module; the program or a test may
// point it elsewhere. Set it on the user-interface thread before other threads read it.
#pragma once
#include <windows.h>

HINSTANCE GetResourceModule();
// Null restores the default (the executable's module).
void SetResourceModule(HINSTANCE module);
