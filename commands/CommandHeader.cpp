#include "CommandHeader.h"

#include "CommandInterfaces.h"

#include <cstring>

namespace {
std::string FieldText(const uint8_t* field)
{
    const void* end = std::memchr(field, 0, CommandHeader::kNameField);
    size_t length = end ? static_cast<const uint8_t*>(end) - field : CommandHeader::kNameField;
    return std::string(reinterpret_cast<const char*>(field), length);
}
} // namespace

void CommandHeader::Fill(uint8_t* block, uint16_t recordSize, IEditCommand* command)
{
    command->GetTypeName(reinterpret_cast<char*>(block + kTypeNameOffset), kNameField);
    command->GetName(reinterpret_cast<char*>(block + kNameOffset), kNameField);
    block[0] = uint8_t(recordSize);
    block[1] = uint8_t(recordSize >> 8);
}

uint16_t CommandHeader::RecordSize(const uint8_t* block)
{
    return uint16_t(block[0] | block[1] << 8);
}

std::string CommandHeader::TypeName(const uint8_t* block)
{
    return FieldText(block + kTypeNameOffset);
}

std::string CommandHeader::Name(const uint8_t* block)
{
    return FieldText(block + kNameOffset);
}
