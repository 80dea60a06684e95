// Every command type of the program by its saved type name. A type whose class is not
// built yet keeps its name reserved with a null create function.
#include "CommandRegistry.h"
#include "TransactionCommand.h"

#include "ChangeCutoffFreqParamCommand.h"
#include "ChangeMasterVolumeCommand.h"
#include "ChangeMixingParamCommand.h"
#include "CopyTrackCommand.h"
#include "CrossfadeCommand.h"
#include "DeleteTrackCommand.h"
#include "FadeInOutCommand.h"
#include "MoveTrackCommand.h"
#include "OffsetTrackCommand.h"
#include "RemoveTrackCommand.h"
#include "ResampleCommand.h"
#include "SelectionGroupCommand.h"

namespace {

struct CommandTypeEntry {
    const char* name;
    CreateCommandFn create;
};

const CommandTypeEntry kBuiltInTypes[] = {
    {"insertclip", nullptr},
    {"deleteclip", nullptr},
    {"trimclip", nullptr},
    {"createclip", nullptr},
    {"mergeclip", nullptr},
    {"editsample", nullptr},
    {"copy", nullptr},
    {"cut", nullptr},
    {"delete", nullptr},
    {"drop", nullptr},
    {"paste", nullptr},
    {"openfile", nullptr},
    {"insertfile", nullptr},
    {"importfile", nullptr},
    {"recording", nullptr},
    {"insertenvelopepoint", nullptr},
    {"deleteenvelopepoint", nullptr},
    {"moveenvelopepoint", nullptr},
    {"insertenveloperange", nullptr},
    {"deleteenveloperange", nullptr},
    {"deleteclearenvelope", nullptr},
    {"addmark", nullptr},
    {"addmarks", nullptr},
    {"delmark", nullptr},
    {"modmark", nullptr},
    {"addloop", nullptr},
    {"addmarkinfo", nullptr},
    {"mergefile", nullptr},
    {"effectfile", nullptr},
    {"inserttrack", nullptr},
    {"appendtrack", nullptr},
    {"trackproperty", nullptr},
    {"changeproperty", nullptr},
    {"changemastervolume", CreateCommandOf<ChangeMasterVolumeCommand>},
    {"removetrack", CreateCommandOf<RemoveTrackCommand>},
    {"resample", CreateCommandOf<ResampleCommand>},
    {"splittrack", nullptr},
    {"copytrack", CreateCommandOf<CopyTrackCommand>},
    {"deletetrack", CreateCommandOf<DeleteTrackCommand>},
    {"movetrack", CreateCommandOf<MoveTrackCommand>},
    {"offsettrack", CreateCommandOf<OffsetTrackCommand>},
    {"changemixingparam", CreateCommandOf<ChangeMixingParamCommand>},
    {"changecutofffreqparam", CreateCommandOf<ChangeCutoffFreqParamCommand>},
    {"refreshpeak", nullptr},
    {"trim", nullptr},
    {"crossfade", CreateCommandOf<CrossfadeCommand>},
    {"crossfades", CreateCommandOf<CrossfadesCommand>},
    {"fadeinout", CreateCommandOf<FadeInOutCommand>},
    {"fadeinouts", CreateCommandOf<FadeInOutsCommand>},
    {"transaction", CreateCommandOf<TransactionCommand>},
};

constexpr size_t kBuiltInCount = sizeof(kBuiltInTypes) / sizeof(kBuiltInTypes[0]);

} // namespace

size_t CommandTypeCount() { return kBuiltInCount; }

const char* CommandTypeName(size_t index) { return index < kBuiltInCount ? kBuiltInTypes[index].name : nullptr; }

void RegisterBuiltInCommandTypes()
{
    for (const CommandTypeEntry& entry : kBuiltInTypes)
        RegisterCommandType(entry.name, entry.create);
}
