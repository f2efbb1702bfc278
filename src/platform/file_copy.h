#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace vantor {

// Called with the bytes copied so far and the source's size.
using CopyProgress = std::function<void(uint64_t copied, uint64_t total)>;

enum class CopyOutcome { Copied, Failed, Cancelled, DestinationExists };

// Copies the source to a temporary file in the destination's directory,
// flushes it to the disk and renames it to the destination only once it is
// complete, so that an interrupted copy (a failure, a cancel, a killed
// process) never leaves a partial file under the destination's name. Without
// replace an existing destination is kept (DestinationExists). The cancel
// flag, when given, is read between blocks.
CopyOutcome CopyFileAtomically(const std::string& source, const std::string& destination, bool replace,
                               const std::atomic<bool>* cancel = nullptr, const CopyProgress& progress = {});

}  // namespace vantor
