#include "CommandHeader.h"

#include "CommandInterfaces.h"

void CommandHeader::Fill(uint8_t* block, uint16_t recordSize, IEditCommand* command)
{
    command->GetTypeName(reinterpret_cast<char*>(block + kTypeNameOffset), kNameField);
    command->GetName(reinterpret_cast<char*>(block + kNameOffset), kNameField);
    block[0] = uint8_t(recordSize);
    block[1] = uint8_t(recordSize >> 8);
}
