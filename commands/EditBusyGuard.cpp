#include "EditBusyGuard.h"

namespace {
bool g_editInProgress = false;
}

EditBusyGuard::EditBusyGuard() : m_wasBusy(g_editInProgress)
{
    g_editInProgress = true;
}

EditBusyGuard::~EditBusyGuard()
{
    g_editInProgress = m_wasBusy;
}

bool EditBusyGuard::IsBusy()
{
    return g_editInProgress;
}
