#include "NyException.h"

#include "ErrorText.h"
#include "ResourceModule.h"

namespace {
// The main frame's title string, which is the application's name.
constexpr UINT kApplicationTitleId = 128;
} // namespace

int CNyException::ReportError()
{
    // The user stopped the operation: nothing to tell.
    if (m_hr == kKvErrorCancelled)
        return 0;
    const HINSTANCE module = GetResourceModule();
    ErrorText text(module);
    char caption[256] = {};
    if (LoadStringA(module, kApplicationTitleId, caption, sizeof caption) <= 0)
        GetModuleFileNameA(nullptr, caption, sizeof caption);
    return MessageBoxA(GetActiveWindow(), text.GetText(m_hr), caption, MB_OK | MB_ICONEXCLAMATION);
}
