#pragma once

#include "model/music_set.h"
#include "model/ref_ptr.h"
#include "model/set_history.h"
#include "platform/result.h"

namespace vantor {

// The history that takes the set a server plays to an edited copy of it:
// on every track, the events the copy no longer has are removed and the
// events it gained are inserted; events alike in both are left alone. For a
// command line that has no undo history of the edit at hand. Refused when
// the two sets have different numbers of tracks.
Result<RefPtr<CSetHistory>> BuildCommitHistory(CMusicSet& playing, CMusicSet& edited);

}  // namespace vantor
