// One seeded random edit of a type of the track, mixing, property, trim, split, resample,
// peak and fade commands on the document as it is (a fade written as its dialog would), or
// none when the document offers nothing for the type drawn. *kind names the type.
#pragma once
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "MultiTrackDoc.h"

#include <random>
#include <string>

namespace kvtest {

ComRef<IEditCommand> RandomTrackEdit(CNyMultiTrackDoc* doc, std::mt19937& random, std::string* kind);

} // namespace kvtest
