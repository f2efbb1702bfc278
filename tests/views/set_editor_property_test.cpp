#include <gtest/gtest.h>

#include <random>

#include "editing/editing_fixtures.h"
#include "effects/effects_fixture.h"
#include "engine/effect_manager_impl.h"
#include "model/builtin_presets.h"
#include "model/effect_preset_file.h"
#include "platform/scripted_user_interface.h"
#include "views/event_editor_view.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

// A user who answers every question at random.
class RandomUser : public ScriptedUserInterface {
public:
    explicit RandomUser(std::mt19937& random) : m_random(random) {}
    MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageButtons buttons,
                             MessageIcon icon) override {
        ScriptedUserInterface::MessageBox(text, caption, buttons, icon);
        const bool yes = m_random() % 2 == 0;
        switch (buttons) {
            case MessageButtons::Ok: return MessageAnswer::Ok;
            case MessageButtons::OkCancel: return yes ? MessageAnswer::Ok : MessageAnswer::Cancel;
            case MessageButtons::YesNo: return yes ? MessageAnswer::Yes : MessageAnswer::No;
            case MessageButtons::YesNoCancel: return yes ? MessageAnswer::Yes : MessageAnswer::Cancel;
        }
        return MessageAnswer::Cancel;
    }

private:
    std::mt19937& m_random;
};

// Random sequences of editor commands on a generated set: after every
// command no two segments of a track share a frame and every list is in
// position order; at the end the history replayed on the original gives the
// edited set, and Revert Changes gives the original bytes back.
class SetEditorPropertyTest : public ::testing::TestWithParam<uint32_t> {
protected:
    void SetUp() override {
        random.seed(GetParam());
        songs = {library.AddSong("A", 150000, 44100, 124.0), library.AddSong("B", 120000, 44100, 128.0)};
        geometry.rowHeights = {20, 20, 20, 20};
        geometry.secondsPerPixel = 0.01;
        for (int32_t track = 1; track <= 3; ++track) {
            int32_t position = Uniform(0, 50000);
            for (int i = 0; i < 4; ++i) {
                int32_t start = Uniform(0, 40000);
                int32_t end = start + Uniform(1000, 80000);
                double ratio = kRatios[Uniform(0, 4)];
                CEvent* event = test::AddSegment(*set, track, position, start, end, ratio,
                                                 songs[static_cast<size_t>(Uniform(0, 1))], "S" + std::to_string(i));
                position += event->GetSegment()->GetSegment()->GetTimelineLength() + Uniform(0, 30000);
            }
        }
        test::AddTempo(*set, Uniform(10000, 100000), 124.0);
        test::AddTempo(*set, Uniform(200000, 400000), 128.0);
        ASSERT_TRUE(test::TimelineIsSound(*set));
        view.SetInsertSegmentRunner([this](CInsertSegmentDialog& dialog) {
            const InsertChoice choices[] = {InsertChoice::MixInto, InsertChoice::Resample, InsertChoice::SplitTempo,
                                            InsertChoice::Nothing};
            dialog.Choose(choices[Uniform(0, 3)]);
            return Uniform(0, 5) > 0;
        });
        // The wizard's fades in the presets file, two of them in quick slots.
        effects.LoadEffectLibraries(test::BuildDir());
        config.SetProgramDirectory(presetsDir.Path());
        EffectPresets presets;
        for (const auto& fade : BuiltInPresets::ReservedFades()) presets.profiles->Add(fade.get());
        ASSERT_TRUE(WriteEffectPresets(presets, presetsDir / "EFFECTS.PST"));
        config.SetEffectPresetName(0, "Fade In");
        config.SetEffectPresetName(3, "Not There");
        view.SetApplyEffects(&effects, &config, [this](CApplyEffectsDialog& dialog) {
            const char* profiles[] = {"Fade Out", "Hold 2", "<none>"};
            dialog.ChooseProfile(std::string(profiles[Uniform(0, 2)]));
            if (Uniform(0, 1)) dialog.AddEffect("Echo", "Decay");
            const char* shapes[] = {"Flat", "Linear", "Fast Log", "Slow Log"};
            dialog.ChooseWaveform(std::string(shapes[Uniform(0, 3)]));
            if (Uniform(0, 1)) dialog.Reverse();
            return Uniform(0, 4) > 0;
        });
        view.SetMixingHelper([this](const SegmentAt& chosen, const SegmentAt&) -> std::optional<int32_t> {
            if (Uniform(0, 2) == 0) return std::nullopt;
            const int64_t length = chosen.event->GetSegment()->GetSegment()->GetTimelineLength();
            return static_cast<int32_t>(chosen.event->GetPosition() + Uniform(0, static_cast<int32_t>(length)));
        });
    }

    int32_t Uniform(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); }
    double Seconds() { return Uniform(0, 1200) / 100.0; }
    int Row() { return Uniform(0, 3); }
    int Y(int row) const { return geometry.RowTop(row) + 10; }
    // A time on an event's edge now and then, so edge drags happen.
    double PressTime(int row) {
        CTrack* track = set->GetTrack(row);
        if (Uniform(0, 2) == 0 && track->GetEvents().GetCount() > 0) {
            CEvent* event = test::EventAtIndex(*track, Uniform(0, track->GetEvents().GetCount() - 1));
            int64_t edge = event->GetPosition();
            if (Uniform(0, 1) == 0 && event->GetSegment()) edge += event->GetSegment()->GetSegment()->GetTimelineLength();
            return static_cast<double>(edge) / 44100;
        }
        return Seconds();
    }

    void RunCommand(int command) {
        switch (command) {
            case 0: view.GetState().SetLeftMarker(Seconds()); break;
            case 1: view.GetState().SetRightMarker(Seconds()); break;
            case 2: {
                int row = Row();
                double at = PressTime(row);
                view.MousePress(geometry.XAt(at), Y(row), geometry, Uniform(0, 3) == 0);
                view.MouseRelease(geometry.XAt(at), Y(row));
                break;
            }
            case 3: {
                int row = Row();
                double from = PressTime(row);
                view.MousePress(geometry.XAt(from), Y(row), geometry, Uniform(0, 3) == 0);
                for (int i = 0; i < 3; ++i) view.MouseMove(geometry.XAt(from) + Uniform(-800, 800), Y(row));
                view.MouseRelease(geometry.XAt(from) + Uniform(-800, 800), Y(row));
                break;
            }
            case 4: view.Copy(); break;
            case 5: view.Cut(); break;
            case 6: view.Paste(); break;
            case 7: view.Erase(); break;
            case 8: view.SplitSegment(); break;
            case 9: view.Undo(); break;
            case 10: {
                const double grids[] = {1.0, 0.5, 0.25, 0.125, 0.0625, -1.0};
                view.SetSnapGrid(grids[Uniform(0, 5)]);
                break;
            }
            case 11: {
                const std::string& key = songs[static_cast<size_t>(Uniform(0, 1))];
                int32_t start = Uniform(0, 60000);
                auto design = test::SongDesign(key, start, start + Uniform(100, 60000), 120.0 + Uniform(0, 12));
                int row = Row();
                view.DropSegment(*design, geometry.XAt(Seconds()), Y(row), geometry);
                break;
            }
            case 12: EventEditorCommand(); break;
            case 13: {
                auto request = view.EditSegment();
                if (!request) break;
                RefPtr<CSegmentDesign> design(request->event->GetSegment()->Clone());
                CSegment& segment = *design->GetSegment();
                segment.SetEnd(segment.GetStart() + Uniform(1, 90000));
                if (Uniform(0, 1)) segment.SetRatio(kRatios[Uniform(0, 4)]);
                view.ReplaceSegment(*request, *design);
                break;
            }
            case 14: view.CheckSet(); break;
            case 15: view.SetLoop(); break;
            case 16: view.SplitTempo(); break;
            case 17: view.InsertBlankSpace(); break;
            case 18: view.EraseSection(); break;
            case 19: view.CopySection(); break;
            case 20: view.CutSection(); break;
            case 21: view.PasteSection(); break;
            case 22: {
                const char* ends[] = {"60", "124", "131.5", "200", "0", "-5"};
                const char* steps[] = {"1", "3", "10", "40", "0", "0.5"};
                const std::string end = ends[Uniform(0, 5)];
                const std::string count = steps[Uniform(0, 5)];
                view.SetFadeTempoRunner([end, count](CFadeTempoDialog& dialog) {
                    dialog.SetEndTempoText(end);
                    dialog.SetStepsText(count);
                    return true;
                });
                view.FadeTempo();
                break;
            }
            case 23: view.AdjustToTempo(); break;
            case 24: view.AdjustAll(); break;
            case 25: view.NudgeSpeed(Uniform(0, 7)); break;
            case 26: {
                const char* names[] = {"Fade In", "Fade Out", "Hold 1", "Missing"};
                view.GetState().SetSelectedTrack(Uniform(0, 3));
                view.ApplyEffectPreset(names[Uniform(0, 3)]);
                break;
            }
            case 27: view.QuickPreset(Uniform(0, 5)); break;
            case 28: view.AddEffect(); break;
            case 29: MixCommand(); break;
            case 30: {
                const std::string name = "D" + std::to_string(Uniform(0, 2));
                view.CreateMixDesign(name, Uniform(0, 1) == 0, [this](const std::vector<std::string>& rows) {
                    return Uniform(0, static_cast<int32_t>(rows.size()));  // the last one cancels
                });
                break;
            }
            case 31:
                view.ApplyDesign([this](const std::string&, const std::vector<std::string>& rows) {
                    return Uniform(-1, static_cast<int32_t>(rows.size()) - 1);
                });
                break;
        }
    }

    // The mixing wizard's OK on two random segments with random fields.
    void MixCommand() {
        std::vector<SegmentAt> segments;
        for (int32_t t = 1; t <= 3; ++t)
            for (auto* n = set->GetTrack(t)->GetEvents().GetHead(); n; n = n->GetNext())
                if (n->GetItem()->GetSegment()) segments.push_back({t, n->GetItem()});
        if (segments.size() < 2) return;
        const SegmentAt first = segments[static_cast<size_t>(Uniform(0, static_cast<int32_t>(segments.size()) - 1))];
        const SegmentAt second = segments[static_cast<size_t>(Uniform(0, static_cast<int32_t>(segments.size()) - 1))];
        if (first.event == second.event) return;
        MixingFields fields;
        fields.cursor1 = Uniform(0, 400) / 100.0;
        fields.cursor2 = Uniform(0, 200) / 100.0;
        fields.ratio2 = Uniform(0, 1) ? 0.0 : MixingWizard::FineTunedRatio(kRatios[Uniform(0, 4)], Uniform(0, 1000));
        fields.join = static_cast<MixingFields::Join>(Uniform(0, 2));
        fields.markWithTempoChange = Uniform(0, 1) == 0;
        fields.fadesEnabled = Uniform(0, 1) == 0;
        fields.fadeInBars = Uniform(0, 2);
        fields.holdBars = Uniform(0, 2);
        fields.fadeOutBars = Uniform(0, 2);
        view.MixSegments(first, second, fields);
    }

    void EventEditorCommand() {
        int row = Row();
        CEventEditorView editor(user, &library.Database(), 6);
        EventEditorParameters parameters{"Track", set->GetTrack(row), row, nullptr, &view.GetState().GetHistory()};
        ASSERT_TRUE(editor.Open(parameters));
        editor.ThumbTrack(Uniform(0, 8));
        if (editor.GetRows().empty()) return;
        editor.SelectRow(Uniform(0, static_cast<int>(editor.GetRows().size()) - 1));
        switch (Uniform(0, 6)) {
            case 0:
                editor.DeleteEvent();
                break;
            case 1:
                editor.ClearTrack();
                break;
            default: {
                const int64_t start = CEventEditorView::ParseWhole(editor.GetStartField());
                const int64_t end = CEventEditorView::ParseWhole(editor.GetEndField());
                editor.SetStartField(std::to_string(std::max<int64_t>(0, start + Uniform(-30000, 30000))));
                editor.SetEndField(std::to_string(std::max<int64_t>(0, end + Uniform(-30000, 30000))));
                editor.SetTempoField(std::to_string(95 + Uniform(0, 60)));
                editor.UpdateEvent();
            }
        }
    }

    static constexpr double kRatios[] = {0.5, 0.97, 1.0, 1.5, 2.0};
    static constexpr int kCommands = 32;
    std::mt19937 random;
    RandomUser user{random};
    test::TempDir presetsDir;
    CEffectManagerImpl effects;
    test::SongLibrary library;
    std::vector<std::string> songs;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(3);
    CMusicSetView view{user, &library.Database(), set.get(), "/sets/random.set", config};
    TimelineGeometry geometry;
};

TEST_P(SetEditorPropertyTest, TwoHundredCommandsKeepTheTimelineSoundAndRevertRestoresTheFile) {
    test::ClearClipboard();
    RefPtr<CMusicSet> original(set->Clone());
    const std::vector<uint8_t> originalBytes = test::Bytes(*set);
    std::vector<int> counts(kCommands, 0);
    for (int step = 0; step < 200; ++step) {
        // Drags, clicks, drops and the event editor come up more often.
        const int extra[] = {3, 3, 3, 2, 11, 12, 8};
        const int pick = Uniform(0, kCommands - 1 + 7);
        const int command = pick < kCommands ? pick : extra[pick - kCommands];
        ++counts[static_cast<size_t>(command)];
        ASSERT_NO_FATAL_FAILURE(RunCommand(command));
        ASSERT_TRUE(test::TimelineIsSound(*set)) << "after command " << command << " at step " << step;
        ASSERT_EQ(view.GetState().GetHistory().GetGroupDepth(), 0) << "command " << command;
    }
    // The records carry the edit: replayed on the original, they give the
    // edited set, as a playing copy would get it.
    RefPtr<CMusicSet> replayed(original->Clone());
    view.GetState().GetHistory().Replay(*replayed);
    EXPECT_EQ(test::Bytes(*replayed), test::Bytes(*set));

    view.RevertChanges();
    EXPECT_FALSE(view.CanUndo());
    EXPECT_EQ(test::Bytes(*set), originalBytes);
    test::ClearClipboard();
}

INSTANTIATE_TEST_SUITE_P(Seeds, SetEditorPropertyTest, ::testing::Range(1u, 13u));

}  // namespace
}  // namespace vantor
