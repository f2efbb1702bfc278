#pragma once

#include <atomic>
#include <cstdint>

namespace vantor {

class CSongProfile;
class IUserInterface;

// The step that prepares a song the first time a tool opens it: a worker
// builds the song's summary and stores its measured reference level, while
// the "Wave File -- First Time Open" dialog shows the progress every 200 ms
// and closes when the worker reports that it is done.
class CFirstTimeOpen {
public:
    static constexpr const char* kCaption = "Wave File -- First Time Open";
    static constexpr const char* kText = "Analyzing. Please wait...";

    // True when the summary was built and measured.
    static bool Run(const CSongProfile& song, IUserInterface& ui);
};

}  // namespace vantor
