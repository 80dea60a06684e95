#include "FwGdiObjects.h"
#include "FwApp.h"

BOOL CBitmap::LoadBitmap(UINT resourceId)
{
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId)));
}

BOOL CBitmap::LoadBitmap(const char* resourceName)
{
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), resourceName));
}
