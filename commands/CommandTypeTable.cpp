// Every command type of the program by its saved type name. A type whose class is not
// built yet keeps its name reserved with a null create function.
#include "ClipCommands.h"
#include "ClipboardCommands.h"
#include "EnvelopeCommands.h"
#include "FileCommands.h"
#include "MarkCommands.h"
#include "TrackCommands.h"
#include "CommandRegistry.h"
#include "TransactionCommand.h"

#include "ChangeCutoffFreqParamCommand.h"
#include "ChangeMasterVolumeCommand.h"
#include "ChangeMixingParamCommand.h"
#include "ChangePropertyCommand.h"
#include "CopyTrackCommand.h"
#include "CrossfadeCommand.h"
#include "DeleteTrackCommand.h"
#include "FadeInOutCommand.h"
#include "MoveTrackCommand.h"
#include "OffsetTrackCommand.h"
#include "RemoveTrackCommand.h"
#include "ResampleCommand.h"
#include "RefreshPeakCommand.h"
#include "SelectionGroupCommand.h"
#include "SplitTrackCommand.h"
#include "TrimCommand.h"

namespace {

struct CommandTypeEntry {
    const char* name;
    CreateCommandFn create;
};

const CommandTypeEntry kBuiltInTypes[] = {
    {"insertclip", CreateCommandOf<InsertClipCommand>},
    {"deleteclip", CreateCommandOf<DeleteClipCommand>},
    {"trimclip", CreateCommandOf<TrimClipCommand>},
    {"createclip", CreateCommandOf<CreateClipCommand>},
    {"mergeclip", CreateCommandOf<MergeClipCommand>},
    {"editsample", CreateCommandOf<EditSampleCommand>},
    {"copy", CreateCommandOf<CopyCommand>},
    {"cut", CreateCommandOf<CutCommand>},
    {"delete", CreateCommandOf<DeleteCommand>},
    {"drop", CreateCommandOf<DropCommand>},
    {"paste", CreateCommandOf<PasteCommand>},
    {"openfile", CreateCommandOf<OpenFileCommand>},
    {"insertfile", CreateCommandOf<InsertFileCommand>},
    {"importfile", CreateCommandOf<ImportFileCommand>},
    {"recording", CreateCommandOf<RecordingCommand>},
    {"insertenvelopepoint", CreateCommandOf<InsertEnvelopePointCommand>},
    {"deleteenvelopepoint", CreateCommandOf<DeleteEnvelopePointCommand>},
    {"moveenvelopepoint", CreateCommandOf<MoveEnvelopePointCommand>},
    {"insertenveloperange", CreateCommandOf<InsertEnvelopeRangeCommand>},
    {"deleteenveloperange", CreateCommandOf<DeleteEnvelopeRangeCommand>},
    {"deleteclearenvelope", CreateCommandOf<DeleteClearEnvelopeCommand>},
    {"addmark", CreateCommandOf<AddMarkCommand>},
    {"addmarks", CreateCommandOf<AddMarksCommand>},
    {"delmark", CreateCommandOf<DelMarkCommand>},
    {"modmark", CreateCommandOf<ModMarkCommand>},
    {"addloop", CreateCommandOf<AddLoopCommand>},
    {"addmarkinfo", CreateCommandOf<AddMarkInfoCommand>},
    {"mergefile", CreateCommandOf<MergeFileCommand>},
    {"effectfile", CreateCommandOf<EffectFileCommand>},
    {"inserttrack", CreateCommandOf<InsertTrackCommand>},
    {"appendtrack", CreateCommandOf<AppendTrackCommand>},
    {"trackproperty", CreateCommandOf<TrackPropertyCommand>},
    {"changeproperty", CreateCommandOf<ChangePropertyCommand>},
    {"changemastervolume", CreateCommandOf<ChangeMasterVolumeCommand>},
    {"removetrack", CreateCommandOf<RemoveTrackCommand>},
    {"resample", CreateCommandOf<ResampleCommand>},
    {"splittrack", CreateCommandOf<SplitTrackCommand>},
    {"copytrack", CreateCommandOf<CopyTrackCommand>},
    {"deletetrack", CreateCommandOf<DeleteTrackCommand>},
    {"movetrack", CreateCommandOf<MoveTrackCommand>},
    {"offsettrack", CreateCommandOf<OffsetTrackCommand>},
    {"changemixingparam", CreateCommandOf<ChangeMixingParamCommand>},
    {"changecutofffreqparam", CreateCommandOf<ChangeCutoffFreqParamCommand>},
    {"refreshpeak", CreateCommandOf<RefreshPeakCommand>},
    {"trim", CreateCommandOf<TrimCommand>},
    {"crossfade", CreateCommandOf<CrossfadeCommand>},
    {"crossfades", CreateCommandOf<CrossfadesCommand>},
    {"fadeinout", CreateCommandOf<FadeInOutCommand>},
    {"fadeinouts", CreateCommandOf<FadeInOutsCommand>},
    {"transaction", CreateCommandOf<TransactionCommand>},
};

constexpr size_t kBuiltInCount = sizeof(kBuiltInTypes) / sizeof(kBuiltInTypes[0]);

} // namespace

size_t CommandTypeCount()
{
    return kBuiltInCount;
}

const char* CommandTypeName(size_t index)
{
    return index < kBuiltInCount ? kBuiltInTypes[index].name : nullptr;
}

void RegisterBuiltInCommandTypes()
{
    for (const CommandTypeEntry& entry : kBuiltInTypes)
        RegisterCommandType(entry.name, entry.create);
}
