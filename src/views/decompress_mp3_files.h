#pragma once

#include <functional>
#include <string>
#include <vector>

#include "library/load_job.h"

namespace vantor {

class IUserInterface;

// "Decompress MP3 Files": the chosen MP3 files are handed to the music
// loader, each to be decoded beside itself with ".wav". Returns the files
// queued.
class CDecompressMp3Files {
public:
    static constexpr const char* kTitle = "Decompress MP3 Files";
    static constexpr const char* kFilter = "mp3 audio (*.mp3)|*.mp3|all files (*.*)|*.*||";

    CDecompressMp3Files(IUserInterface& ui, std::function<void(LoadJob)> queueLoad);
    std::vector<std::string> Run();

private:
    IUserInterface& m_ui;
    std::function<void(LoadJob)> m_queueLoad;
};

}  // namespace vantor
