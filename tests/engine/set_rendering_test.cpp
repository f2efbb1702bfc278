#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "database/music_database.h"
#include "engine/set_stream.h"
#include "engine/stream_disk_writer.h"
#include "engine/wave_writer.h"
#include "platform/file_io.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Left sample of source frame n of song s; the right one is its negation.
// Every frame of every song has its own value, so a frame taken from the
// wrong place, one too early or too late, shows as a wrong number.
int16_t Staircase(int song, uint32_t frame) { return static_cast<int16_t>(1 + (frame * 7 + song * 1000) % 30000); }

struct SegmentSpec {
    int track;      // audio track, from 1
    uint32_t at;    // set frame
    int song;
    uint32_t start, end;
    double ratio;
    double normalization = 1.0;
};

class SetRenderingTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("render_" + std::to_string(::getpid()) + "_" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_TRUE(database.Open(dir.string()));
    }
    void TearDown() override {
        database.Close();
        fs::remove_all(dir);
    }

    void AddSong(int song, uint32_t frames) {
        std::vector<int16_t> samples(frames * 2);
        for (uint32_t n = 0; n < frames; ++n) {
            samples[2 * n] = Staircase(song, n);
            samples[2 * n + 1] = static_cast<int16_t>(-Staircase(song, n));
        }
        std::string path = SongPath(song);
        WaveWriter writer;
        ASSERT_TRUE(writer.Open(path, WaveFormat{}));
        ASSERT_TRUE(writer.Write(samples.data(), samples.size() * 2));
        ASSERT_TRUE(writer.Finish(frames));
        CSongProfile profile;
        profile.SetLocalPath(path);
        profile.SetTitle("song " + std::to_string(song));
        ASSERT_TRUE(database.PutSong(profile));
        songFrames[song] = frames;
    }
    std::string SongPath(int song) const { return (dir / ("song" + std::to_string(song) + ".wav")).string(); }

    RefPtr<CMusicSet> MakeSet(int audioTracks, const std::vector<SegmentSpec>& segments) {
        NewSetOptions options;
        options.audioTracks = audioTracks;
        RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
        for (const auto& s : segments) {
            auto* event = new CEvent();
            event->SetPosition(static_cast<int32_t>(s.at));
            auto design = MakeRef<CSegmentDesign>();
            design->SetNormalization(s.normalization);
            CSegment* segment = design->GetSegment();
            segment->SetSongKey(SongPath(s.song));
            segment->SetStart(static_cast<int32_t>(s.start));
            segment->SetEnd(static_cast<int32_t>(s.end));
            segment->SetRatio(s.ratio);
            event->SetSegment(design.get());
            set->GetTrack(s.track)->AddEvent(event);
        }
        return set;
    }

    // The rules, computed frame by frame on one thread: set frame h inside an
    // event starting at e reads resampled frame trunc(start x r) + (h - e),
    // which is source frame trunc(that / r); the event renders through its
    // end frame, so a following event at that frame starts one frame in.
    std::vector<int16_t> Reference(const std::vector<SegmentSpec>& segments, int audioTracks, uint32_t frames,
                                   const std::vector<double>& volumes = {}) {
        std::vector<int16_t> out(frames * 2, 0);
        for (int track = 1; track <= audioTracks; ++track) {
            std::vector<SegmentSpec> events;
            for (const auto& s : segments)
                if (s.track == track) events.push_back(s);
            std::sort(events.begin(), events.end(), [](auto& a, auto& b) { return a.at < b.at; });
            double volume = volumes.empty() ? 1.0 : volumes[track - 1];
            int16_t volumeFactor = static_cast<int16_t>(std::trunc(volume * 8192));
            for (uint32_t h = 0; h < frames; ++h) {
                const SegmentSpec* playing = nullptr;
                for (const auto& s : events) {
                    uint32_t f = s.at + static_cast<uint32_t>(std::trunc((s.end - s.start) * s.ratio));
                    if (h >= s.at && h <= f) {
                        playing = &s;
                        break;
                    }
                }
                int16_t left = 0, right = 0;
                if (playing) {
                    uint32_t q = static_cast<uint32_t>(std::trunc(playing->start * playing->ratio)) + (h - playing->at);
                    uint32_t source = static_cast<uint32_t>(std::trunc(q / playing->ratio));
                    if (source < songFrames[playing->song]) {
                        left = Staircase(playing->song, source);
                        right = static_cast<int16_t>(-left);
                    }
                    int16_t g = static_cast<int16_t>(std::trunc(std::min(playing->normalization, 3.8) * 8192));
                    left = Clamp((left * g) >> 13);
                    right = Clamp((right * g) >> 13);
                }
                left = Clamp((left * volumeFactor) >> 13);
                right = Clamp((right * volumeFactor) >> 13);
                out[2 * h] = Clamp(out[2 * h] + left);
                out[2 * h + 1] = Clamp(out[2 * h + 1] + right);
            }
        }
        return out;
    }
    static int16_t Clamp(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

    std::vector<int16_t> Render(CMusicSet* set, uint32_t from, uint32_t frames, std::mt19937* random = nullptr) {
        CSetStream stream(nullptr, &database, set, false);
        stream.SetPosition(from, true);
        EXPECT_TRUE(stream.StartStream());
        std::vector<int16_t> out(frames * 2);
        uint32_t done = 0;
        while (done < frames) {
            uint32_t want = frames - done;
            if (random) want = std::min<uint32_t>(want, 1 + (*random)() % 9000);
            uint32_t got = stream.Read(out.data() + 2 * done, want * 4);
            EXPECT_EQ(got, want * 4);
            done += want;
            if (random && (*random)() % 20 == 0) std::this_thread::sleep_for(std::chrono::microseconds((*random)() % 3000));
        }
        stream.StopStream();
        return out;
    }

    static ::testing::AssertionResult SameSamples(const std::vector<int16_t>& got, const std::vector<int16_t>& want) {
        if (got.size() != want.size()) return ::testing::AssertionFailure() << "sizes differ";
        for (size_t i = 0; i < got.size(); ++i)
            if (got[i] != want[i])
                return ::testing::AssertionFailure() << "first difference at frame " << i / 2 << (i % 2 ? " right" : " left")
                                                     << ": got " << got[i] << ", want " << want[i];
        return ::testing::AssertionSuccess();
    }

    fs::path dir;
    CMusicDatabase database;
    std::map<int, uint32_t> songFrames;
};

TEST_F(SetRenderingTest, ThreadedMixMatchesTheFrameByFrameRules) {
    AddSong(1, 60000);
    AddSong(2, 50000);
    AddSong(3, 40000);
    // Adjacent events of one song (sharing a source), ratios above and below
    // 1, a gap, overlap across tracks, a segment past its song's end, and a
    // loud normalization that saturates.
    std::vector<SegmentSpec> segments = {
        {1, 1000, 1, 100, 20100, 1.0},
        {1, 21000, 1, 5000, 15000, 1.5},   // starts at the previous end frame
        {1, 40000, 2, 0, 10000, 0.75, 2.5},
        {2, 0, 3, 30000, 45000, 1.0123},   // runs past the song's 40000 frames
        {2, 30000, 2, 40000, 44100, 2.0},
        {3, 12345, 1, 33333, 50000, 0.5},
    };
    RefPtr<CMusicSet> set = MakeSet(3, segments);
    const uint32_t frames = 70000;
    std::vector<int16_t> want = Reference(segments, 3, frames);
    EXPECT_TRUE(SameSamples(Render(set.get(), 0, frames), want));

    // The same bytes whatever the request sizes and the consumer's pace.
    std::mt19937 random(11);
    for (int run = 0; run < 4; ++run) EXPECT_TRUE(SameSamples(Render(set.get(), 0, frames, &random), want)) << run;

    // Starting two seconds in renders what the whole render has there,
    // including from inside an event.
    std::vector<int16_t> tail(want.begin() + 2 * 25000, want.end());
    EXPECT_TRUE(SameSamples(Render(set.get(), 25000, frames - 25000), tail));
}

TEST_F(SetRenderingTest, ThreadedNormalizationSwitchVolumesAndMutes) {
    AddSong(1, 20000);
    AddSong(2, 20000);
    std::vector<SegmentSpec> segments = {{1, 0, 1, 0, 10000, 1.0, 5.0}, {2, 0, 2, 0, 10000, 1.0}};
    RefPtr<CMusicSet> set = MakeSet(2, segments);
    {
        CSetStream stream(nullptr, &database, set.get(), false);
        stream.GetTrackStream(0)->SetNormalizationEnabled(false);
        stream.SetTrackVolume(1, 0.5);
        stream.SetTrackVolume(7, 0.5);  // no such track: ignored
        EXPECT_EQ(stream.GetTrackVolume(7), 0.0);
        stream.SetPosition(0, true);
        stream.StartStream();
        std::vector<int16_t> out(2 * 100);
        stream.Read(out.data(), 400);
        for (uint32_t h = 0; h < 100; ++h) {
            int32_t one = Staircase(1, h);
            int32_t two = (Staircase(2, h) * 4096) >> 13;
            ASSERT_EQ(out[2 * h], Clamp(one + two)) << h;
        }
        // Muting keeps the track in step: unmuted later, it plays from the
        // frame the set has reached.
        stream.MuteTrack(0);
        stream.Read(out.data(), 400);  // frames 100-199 (some may have been mixed already)
        stream.StopStream();
    }
    // Normalization on: 5.0 acts as 3.8, and saturates.
    std::vector<int16_t> want = Reference(segments, 2, 5000);
    EXPECT_TRUE(SameSamples(Render(set.get(), 0, 5000), want));
}

TEST_F(SetRenderingTest, ThreadedMutedTrackStaysInStep) {
    AddSong(1, 40000);
    std::vector<SegmentSpec> segments = {{1, 0, 1, 0, 30000, 1.0}};
    RefPtr<CMusicSet> set = MakeSet(1, segments);
    CSetStream stream(nullptr, &database, set.get(), false);
    stream.MuteTrack(0);
    EXPECT_TRUE(stream.IsTrackMuted(0));
    stream.SetPosition(0, true);
    stream.StartStream();
    std::vector<int16_t> out(2 * 10000);
    stream.Read(out.data(), 40000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
    stream.UnmuteTrack(0);
    // The mixer runs ahead by up to its ring; find where the audio resumes
    // and check it is the song at exactly that frame.
    std::vector<int16_t> more(2 * 20000);
    stream.Read(more.data(), 80000);
    stream.StopStream();
    size_t first = 0;
    while (first < 20000 && more[2 * first] == 0) ++first;
    ASSERT_LT(first, 20000u);
    uint32_t frame = 10000 + static_cast<uint32_t>(first);
    EXPECT_EQ(more[2 * first], Staircase(1, frame));
    EXPECT_EQ(more[2 * first + 2], Staircase(1, frame + 1));
}

TEST_F(SetRenderingTest, ThreadedSetWithOnlyTheTempoTrackRendersSilenceAndBadFormatsNothing) {
    RefPtr<CMusicSet> empty = MakeSet(1, {});
    empty->GetTracks().RemoveAt(1);
    CSetStream silent(nullptr, &database, empty.get(), false);
    EXPECT_EQ(silent.GetTrackCount(), 0);
    silent.SetPosition(0, true);
    silent.StartStream();
    std::vector<int16_t> out(2000, 7);
    EXPECT_EQ(silent.Read(out.data(), 4000), 4000u);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
    silent.StopStream();

    RefPtr<CMusicSet> odd = MakeSet(1, {});
    odd->SetBlockAlign(2);
    CSetStream refused(nullptr, &database, odd.get(), false);
    refused.SetPosition(0, true);
    refused.StartStream();
    EXPECT_EQ(refused.Read(out.data(), 4000), 0u);
}

TEST_F(SetRenderingTest, ThreadedMissingSongsRenderSilenceAndKeepTiming) {
    AddSong(1, 20000);
    std::vector<SegmentSpec> segments = {{1, 0, 9, 0, 5000, 1.0}, {1, 5001, 1, 0, 5000, 1.0}};
    RefPtr<CMusicSet> set = MakeSet(1, segments);
    songFrames[9] = 0;  // not in the database: silence
    EXPECT_TRUE(SameSamples(Render(set.get(), 0, 12000), Reference(segments, 1, 12000)));
}

TEST_F(SetRenderingTest, ThreadedRepositionIntoAGapRendersSilenceUpToTheNextEvent) {
    AddSong(1, 20000);
    std::vector<SegmentSpec> segments = {{1, 0, 1, 0, 1000, 1.0}, {1, 44100, 1, 500, 2500, 1.0}};
    RefPtr<CMusicSet> set = MakeSet(1, segments);
    std::vector<int16_t> got = Render(set.get(), 20000, 30000);
    std::vector<int16_t> all = Reference(segments, 1, 50000);
    EXPECT_TRUE(SameSamples(got, std::vector<int16_t>(all.begin() + 40000, all.end())));
    EXPECT_EQ(got[2 * (44100 - 20000) - 2], 0);
    EXPECT_EQ(got[2 * (44100 - 20000)], Staircase(1, 500));
}

TEST_F(SetRenderingTest, ThreadedMixdownThroughTheWriterMatchesTheRules) {
    AddSong(1, 30000);
    AddSong(2, 30000);
    std::vector<SegmentSpec> segments = {{1, 500, 1, 0, 20000, 1.25}, {2, 3000, 2, 1000, 21000, 0.8}};
    RefPtr<CMusicSet> set = MakeSet(2, segments);
    std::string path = (dir / "mix.wav").string();
    {
        CSetStream stream(nullptr, &database, set.get(), false);
        CStreamDiskWriter writer(&stream);
        ASSERT_TRUE(writer.Open(path, WaveFormat{}));
        ASSERT_TRUE(writer.Start(0, 30000, nullptr));
    }
    auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 56u + 30000 * 4);
    std::vector<int16_t> got(30000 * 2);
    std::memcpy(got.data(), bytes->data() + 56, got.size() * 2);
    EXPECT_TRUE(SameSamples(got, Reference(segments, 2, 30000)));
}

TEST_F(SetRenderingTest, ThreadedApplyEditWhilePlayingIsHeardFromTheCurrentPosition) {
    AddSong(1, 200000);
    AddSong(2, 200000);
    std::vector<SegmentSpec> segments = {{1, 0, 1, 0, 150000, 1.0}};
    RefPtr<CMusicSet> edited = MakeSet(1, segments);
    RefPtr<CMusicSet> playing(edited->Clone());

    CSetStream stream(nullptr, &database, playing.get(), false);
    stream.SetPosition(0, true);
    stream.StartStream();
    std::vector<int16_t> out(2 * 1000);
    std::atomic<bool> done{false};
    std::thread consumer([&] {
        std::vector<int16_t> buffer(2 * 1000);
        while (!done) stream.Read(buffer.data(), 4000);
    });
    // Replace the segment with one of song 2 while the set renders.
    CSetHistory history(edited.get());
    for (int i = 0; i <= 20; ++i) {  // the last edit (i = 20) leaves song 2
        CTrack* track = edited->GetTrack(1);
        auto* node = track->GetEvents().GetHead();
        RefPtr<CEvent> old(node->GetItem());
        CEvent* next = old->Clone();
        next->GetSegment()->GetSegment()->SetSongKey(SongPath(i % 2 ? 1 : 2));
        track->GetEvents().Remove(node);
        track->AddEvent(next);
        history.RecordReplace(1, old.get(), next);
        stream.ApplyEdit(history);
        history.Commit();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    done = true;
    consumer.join();
    stream.StopStream();
    EXPECT_STREQ(playing->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetSegment()->GetSongKey(),
                 SongPath(2).c_str());
    uint32_t position = stream.GetSetPosition();
    stream.SetPosition(position, true);
    stream.StartStream();
    stream.Read(out.data(), 4000);
    stream.StopStream();
    if (position + 1000 < 150000) {
        EXPECT_EQ(out[0], Staircase(2, position));
    }
}

// Pulled (as the mixdown writer reads it), the tracks render on the reader's
// thread and a helper: the same bytes as the rules, for reads of any byte
// count, with more tracks than threads, saturating sums, faders and a mute.
TEST_F(SetRenderingTest, ThreadedPulledMixOnTwoThreadsMatchesTheFrameByFrameRules) {
    AddSong(1, 90000);
    AddSong(2, 90000);
    AddSong(3, 90000);
    std::vector<SegmentSpec> segments = {
        {1, 0, 1, 0, 60000, 1.0, 3.0},  {2, 100, 2, 500, 80000, 0.97},  {3, 5000, 3, 0, 40000, 1.1, 2.0},
        {4, 0, 1, 1000, 70000, 1.013},  {5, 44100, 2, 0, 30000, 0.5},    {5, 0, 3, 100, 20000, 1.0123},
        {6, 7, 1, 7, 80000, 1.0, 3.8},
    };
    RefPtr<CMusicSet> set = MakeSet(7, segments);  // track 7 stays empty
    const uint32_t frames = 100000;
    const std::vector<double> volumes = {1.0, 0.5, 1.0, 2.2, 1.0, 0.75, 1.0};
    std::vector<double> heard = volumes;
    heard[3] = 0.0;  // muted
    std::vector<int16_t> want = Reference(segments, 7, frames, heard);

    std::mt19937 random(23);
    for (int run = 0; run < 3; ++run) {
        CSetStream stream(nullptr, &database, set.get(), false);
        for (int t = 0; t < 7; ++t) stream.SetTrackVolume(t, volumes[t]);
        stream.MuteTrack(3);
        stream.SetPosition(0, true);
        ASSERT_TRUE(stream.StartPulled());
        EXPECT_FALSE(stream.StartStream());
        std::vector<int16_t> got(frames * 2);
        auto* bytes = reinterpret_cast<uint8_t*>(got.data());
        uint32_t done = 0;
        while (done < frames * 4) {
            // Whole writer passes, odd byte counts and everything between.
            uint32_t ask = run == 0 ? 176400 : (random() % 3 == 0 ? 1 + random() % 9 : 1 + random() % 400000);
            ask = std::min(ask, frames * 4 - done);
            ASSERT_EQ(stream.Read(bytes + done, ask), ask);
            done += ask;
        }
        EXPECT_FALSE(stream.IsRunning());
        // Moved back while the helper has read ahead: from there as a whole
        // render has it.
        stream.SetPosition(25000, true);
        std::vector<int16_t> again(2 * 50000);
        ASSERT_EQ(stream.Read(again.data(), 4 * 31111), 4u * 31111);
        ASSERT_EQ(stream.Read(again.data() + 2 * 31111, 4 * (50000 - 31111)), 4u * (50000 - 31111));
        stream.StopStream();
        EXPECT_TRUE(SameSamples(got, want)) << "run " << run;
        EXPECT_TRUE(SameSamples(again, std::vector<int16_t>(want.begin() + 2 * 25000, want.begin() + 2 * 75000)))
            << "run " << run;
    }
}

// Locked, a pulled set stream holds its reader back; the locking thread may
// still move it, and unlocked it renders from there.
TEST_F(SetRenderingTest, ThreadedPulledLockFreezesReadsAndAllowsRepositioning) {
    AddSong(1, 90000);
    AddSong(2, 90000);
    std::vector<SegmentSpec> segments = {{1, 0, 1, 0, 80000, 0.97}, {2, 300, 2, 0, 80000, 1.025}};
    RefPtr<CMusicSet> set = MakeSet(2, segments);
    std::vector<int16_t> want = Reference(segments, 2, 90000);
    CSetStream stream(nullptr, &database, set.get(), false);
    stream.SetPosition(0, true);
    ASSERT_TRUE(stream.StartPulled());
    std::vector<int16_t> out(2 * 44100);
    ASSERT_EQ(stream.Read(out.data(), 4 * 44100), 4u * 44100);
    stream.Lock(true);
    EXPECT_TRUE(stream.IsLocked());
    std::atomic<bool> readDone{false};
    std::vector<int16_t> late(2 * 1000);
    std::thread reader([&] {
        stream.Read(late.data(), 4 * 1000);
        readDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(readDone.load());
    stream.SetPosition(20000, true);
    stream.Lock(false);
    reader.join();
    stream.StopStream();
    EXPECT_TRUE(SameSamples(late, std::vector<int16_t>(want.begin() + 2 * 20000, want.begin() + 2 * 21000)));
}

TEST(SilenceProbe, OnlyABlockOfZerosIsSilent) {
    std::vector<int16_t> block(1000, 0);
    EXPECT_TRUE(IsSilentBlock(block.data(), block.size()));
    block[37] = 1;  // between the old probe points: not silent any more
    EXPECT_FALSE(IsSilentBlock(block.data(), block.size()));
}

}  // namespace
}  // namespace vantor
