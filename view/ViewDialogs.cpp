#include "ViewDialogs.h"

namespace {
ViewDialogs& Installed()
{
    static ViewDialogs dialogs;
    return dialogs;
}
} // namespace

void SetViewDialogs(ViewDialogs dialogs)
{
    Installed() = std::move(dialogs);
}

const ViewDialogs& GetViewDialogs()
{
    return Installed();
}
