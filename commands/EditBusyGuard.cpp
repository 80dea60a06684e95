#include "EditBusyGuard.h"

namespace {
bool g_editInProgress = false;
}

EditBusyGuard::EditBusyGuard() { g_editInProgress = true; }

EditBusyGuard::~EditBusyGuard() { g_editInProgress = false; }

bool EditBusyGuard::IsBusy() { return g_editInProgress; }
