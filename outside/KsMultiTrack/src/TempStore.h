// The temporary store: a process-wide registry of items by their record (path, track
// number, channels, bits, rate), holding them weakly, and the store object of the
// application that looks them up.
#pragma once
#include "ItemData.h"

void RegisterStoredItem(const MtFileItemRecord& record, const ItemDataPtr& data);
// The data held for the record, or null.
ItemDataPtr FindStoredItem(const MtFileItemRecord& record);

HRESULT CreateTempStore(IMtTempStore** store);
