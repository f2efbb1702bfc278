// Set file throughput: writing and reading a large set record in memory.
#include <chrono>
#include <cstdio>

#include "model/music_set.h"
#include "model/set_file.h"

using namespace vantor;

namespace {

RefPtr<CMusicSet> LargeSet(int eventsPerTrack) {
    NewSetOptions options;
    options.audioTracks = 8;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    for (int t = 1; t <= 8; ++t) {
        for (int i = 0; i < eventsPerTrack; ++i) {
            auto* event = new CEvent();
            event->SetPosition(i * 441000);
            auto design = MakeRef<CSegmentDesign>();
            design->GetSegment()->SetSongKey("/music/library/artist - title (mix).wav");
            design->GetSegment()->SetEnd(441000);
            auto* profile = new CEffectProfile();
            profile->SetEffectName("Volume");
            profile->SetParameterName("Level");
            profile->AddPiece(0, 44100, 0.0, 1.0);
            profile->AddPiece(396900, 441000, 1.0, 0.0);
            design->GetEffectProfiles().Add(profile);
            event->SetSegment(design.get());
            set->GetTrack(t)->AddEvent(event);
        }
    }
    return set;
}

template <class F>
double BestSeconds(int repeats, F&& f) {
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main() {
    RefPtr<CMusicSet> set = LargeSet(500);
    std::vector<uint8_t> bytes;
    double write = BestSeconds(5, [&] { bytes = SerializeToBytes(*set); });
    double read = BestSeconds(5, [&] {
        CMusicSet copy;
        DeserializeFromBytes(copy, bytes.data(), bytes.size());
    });
    double clone = BestSeconds(5, [&] { RefPtr<CMusicSet> copy(set->Clone()); });
    double mb = static_cast<double>(bytes.size()) / 1e6;
    std::printf("set_record_size: %.2f MB\n", mb);
    std::printf("set_write_4000_segments: %.2f ms\n", write * 1e3);
    std::printf("set_write_throughput: %.0f MB/s\n", mb / write);
    std::printf("set_read_4000_segments: %.2f ms\n", read * 1e3);
    std::printf("set_read_throughput: %.0f MB/s\n", mb / read);
    std::printf("set_clone_4000_segments: %.2f ms\n", clone * 1e3);
    return 0;
}
