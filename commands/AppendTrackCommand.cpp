#include "TrackCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"
#include "TrackCommandSupport.h"
