#pragma once

#include <any>
#include <cstdint>
#include <string>

#include "model/ref_ptr.h"
#include "model/segment_design.h"
#include "platform/message_queue.h"

namespace vantor {

// The notifications windows send each other through the window registry.
// Each carries two arguments; a notification owns what they hold.
constexpr uint32_t kSongSaved = kUserMessage + 1;        // key of the song (std::string), or none: refill
constexpr uint32_t kDropDesign = kUserMessage + 2;       // DropRecord
constexpr uint32_t kTrackChanged = kUserMessage + 3;     // the CTrack*
constexpr uint32_t kLoadRequest = kUserMessage + 7;      // LoadJob
constexpr uint32_t kShowKeys = kUserMessage + 8;         // std::vector<std::string>
constexpr uint32_t kAttachMixer = kUserMessage + 9;      // the set editor
constexpr uint32_t kPlaylistChanged = kUserMessage + 10; // second: the playlist editor
constexpr uint32_t kSetOpened = kUserMessage + 11;       // second: the CMusicSet*
constexpr uint32_t kSetClosing = kUserMessage + 12;      // second: the CMusicSet*

struct Notification {
    uint32_t message = 0;
    std::any first;
    std::any second;
};

// What a dropped segment design brings to the window under the cursor.
struct DropRecord {
    int x = 0;
    int y = 0;
    int kind = 0;
    RefPtr<CSegmentDesign> design;
};

}  // namespace vantor
