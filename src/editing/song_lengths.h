#pragma once

#include "editing/event_drag.h"

namespace vantor {

class CMusicDatabase;

// Looks a song up in the database by its key and reads the length of its
// wave file in frames; nothing without a database, a profile or a readable
// file.
SongLengthLookup SongLengthsFrom(CMusicDatabase* database);

}  // namespace vantor
