// TransactionCommand ("transaction"): a plain group with which user-interface code
// bundles the commands of one user action into one undo entry.
#pragma once
#include "CommandGroup.h"

class TransactionCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "transaction";

    TransactionCommand() = default;
    explicit TransactionCommand(const char* name) : CommandGroup(name) {}

    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }
};
