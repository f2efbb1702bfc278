#include "views/music_set_view.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "editing/history_group.h"
#include "editing/mix_design_application.h"
#include "editing/mix_suggestion.h"
#include "database/music_database.h"
#include "editing/segment_placement.h"
#include "editing/song_lengths.h"
#include "engine/set_player.h"

namespace vantor {

// ---- TimelineGeometry ----

int TimelineGeometry::RowAt(int y) const {
    if (y < trackAreaTop) return -1;
    int top = trackAreaTop - rowScroll;
    for (size_t row = 0; row < rowHeights.size(); ++row) {
        top += rowHeights[row];
        if (y < top) return static_cast<int>(row);
    }
    return -1;
}

int TimelineGeometry::RowTop(int row) const {
    int top = trackAreaTop - rowScroll;
    for (int r = 0; r < row && r < static_cast<int>(rowHeights.size()); ++r) top += rowHeights[static_cast<size_t>(r)];
    return top;
}

double TimelineGeometry::TimeAt(int x) const { return startTime + (x - trackAreaLeft) * secondsPerPixel; }

int TimelineGeometry::XAt(double seconds) const {
    if (!(secondsPerPixel > 0)) return trackAreaLeft;
    return trackAreaLeft + static_cast<int>(std::lround((seconds - startTime) / secondsPerPixel));
}

// ---- CMusicSetView ----

CMusicSetView::CMusicSetView(IUserInterface& ui, CMusicDatabase* database, CMusicSet* set, std::string path,
                             const CConfiguration& config, double leftMarker, double rightMarker)
    : m_ui(ui),
      m_database(database),
      m_config(config),
      m_path(std::move(path)),
      m_state(set, config, leftMarker, rightMarker),
      m_commands(m_state),
      m_sections(m_state),
      m_drag(m_state, SongLengthsFrom(database)),
      m_audio(ui, config, database) {}

CMusicSetView::~CMusicSetView() { m_drag.End(); }

void CMusicSetView::Show(const Status& status) {
    if (!status) m_ui.ShowRefusal(status.Error());
}

void CMusicSetView::Changed() {
    for (int32_t row : m_state.TakeRepaint()) {
        m_repaint.insert(row);
        if (m_trackChanged) {
            if (CTrack* track = m_state.GetTrack(row)) m_trackChanged(track);
        }
    }
}

std::set<int32_t> CMusicSetView::TakeRepaintRows() {
    Changed();
    std::set<int32_t> rows;
    rows.swap(m_repaint);
    return rows;
}

void CMusicSetView::OnTrackChanged(const CTrack* track) {
    int32_t index = m_state.GetSet().GetTracks().IndexOf(track);
    if (index >= 0) m_repaint.insert(index);
}

void CMusicSetView::Copy() { m_commands.Copy(); }

void CMusicSetView::Cut() {
    m_commands.Cut();
    Changed();
}

void CMusicSetView::Erase() {
    m_commands.Erase();
    Changed();
}

void CMusicSetView::Paste() {
    if (!SetEditCommands::ClipboardHasSegmentDesign()) {
        PasteSection();
        return;
    }
    auto pasted = m_commands.PasteSegmentDesign();
    if (!pasted) m_ui.ShowRefusal(pasted.Error());
    Changed();
}

std::optional<EditSegmentRequest> CMusicSetView::EditSegment() {
    auto request = CurrentSegment();
    if (request && m_designer) m_designer(*request);
    return request;
}

std::optional<EditSegmentRequest> CMusicSetView::CurrentSegment() {
    const int32_t t = m_state.FirstTrackWithSelection();
    if (t < 1) return std::nullopt;
    CEvent* event = m_state.GetCurrentEvent(t);
    if (!event || !event->GetSegment()) return std::nullopt;
    const double rate = m_state.GetSampleRate() > 0 ? m_state.GetSampleRate() : 44100.0;
    const CSegment& segment = *event->GetSegment()->GetSegment();
    EditSegmentRequest request;
    request.event = event;
    request.track = m_state.GetTrack(t);
    request.trackIndex = t;
    request.history = &m_state.GetHistory();
    request.songTime = std::max(0.0, segment.GetRatio() * segment.GetStart() / rate +
                                         (m_state.GetLeftMarker() - event->GetPosition() / rate));
    return request;
}

bool CMusicSetView::ReplaceSegment(const EditSegmentRequest& request, const CSegmentDesign& design) {
    Status status = m_commands.ReplaceSegmentDesign(request.trackIndex, request.event, design);
    Show(status);
    Changed();
    return status.Ok();
}

bool CMusicSetView::SplitSegment() {
    Status status = m_commands.SplitSegmentAtLeft();
    Show(status);
    Changed();
    return status.Ok();
}

bool CMusicSetView::AddEffect() {
    auto span = m_commands.CheckAddEffect();
    if (!span) {
        m_ui.ShowRefusal(span.Error());
        return false;
    }
    if (!m_effectsConfig || !m_applyEffectsRunner) return false;
    CApplyEffectsDialog dialog(m_ui, m_effects, *m_effectsConfig);
    dialog.Open(m_state, span->track, span->start, span->end);
    if (!m_applyEffectsRunner(dialog)) {
        dialog.Cancel();
        return false;
    }
    auto applied = dialog.Ok();
    if (!applied) m_ui.ShowRefusal(applied.Error());
    Changed();
    return applied && applied.Value() > 0;
}

bool CMusicSetView::IsQuickPresetEnabled(int slot) const {
    const CConfiguration& config = m_effectsConfig ? *m_effectsConfig : m_config;
    return *config.GetEffectPresetName(slot) != '\0';
}

bool CMusicSetView::QuickPreset(int slot) {
    if (!IsQuickPresetEnabled(slot)) return false;
    const CConfiguration& config = m_effectsConfig ? *m_effectsConfig : m_config;
    return ApplyEffectPreset(config.GetEffectPresetName(slot));
}

bool CMusicSetView::ApplyEffectPreset(const std::string& name) {
    auto span = m_commands.CheckAddEffect();
    if (!span) {
        m_ui.ShowRefusal(span.Error());
        return false;
    }
    const CConfiguration& config = m_effectsConfig ? *m_effectsConfig : m_config;
    auto applied = CApplyEffectsDialog::ApplyPreset(m_effects, config, m_state, span->track, span->start, span->end, name);
    if (!applied) m_ui.ShowRefusal(applied.Error());
    Changed();
    return applied && applied.Value() > 0;
}

bool CMusicSetView::CopyToProfile() {
    if (!m_database) return false;
    auto stored = m_commands.CopyToProfile(*m_database);
    if (!stored) {
        m_ui.ShowRefusal(stored.Error());
        return false;
    }
    return stored.Value();
}

std::vector<std::string> CMusicSetView::MakeMixSuggestion() {
    const int32_t t = m_state.FirstAudioTrackWithSelection();
    CEvent* event = t == SetEditorState::kNoTrack ? nullptr : m_state.GetCurrentEvent(t);
    if (!m_database || !event) return {};
    return MixSuggestion::For(*m_database, *event);
}

std::optional<int32_t> CMusicSetView::MixSegments(const SegmentAt& first, const SegmentAt& second,
                                                  const MixingFields& fields) {
    const CConfiguration& config = m_effectsConfig ? *m_effectsConfig : m_config;
    MixingWizard wizard(m_state, SongLengthsFrom(m_database), first, second);
    auto mixed = wizard.Ok(fields, [&](const std::string& preset, int32_t track, int32_t a, int32_t b) -> Status {
        auto applied = CApplyEffectsDialog::ApplyPreset(m_effects, config, m_state, track, a, b, preset);
        if (!applied) return applied.Error();
        return Status::Success();
    });
    Changed();
    if (!mixed) {
        m_ui.ShowRefusal(mixed.Error());
        return std::nullopt;
    }
    return mixed.Value();
}

bool CMusicSetView::ApplyDesign(const DesignChooser& choose) {
    return ApplyDesign([&choose](CSelectMixingDesignDialog& dialog) {
        return dialog.Choose(choose ? choose(dialog.GetTitle(), dialog.GetDesigns()) : -1);
    });
}

bool CMusicSetView::ApplyDesign(const SelectDesignRunner& run) {
    constexpr const char* caption = MixDesignApplication::kCaption;
    const int32_t t = m_state.FirstAudioTrackWithSelection();
    if (t == SetEditorState::kNoTrack || m_state.GetSelection(t).size() != 1) {
        m_ui.MessageBox("Only one segment can be selected when applying a mixing design.", caption, MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    CEvent* event = m_state.GetSelection(t).front().get();
    if (!event->GetSegment() || !m_database) return false;
    RefPtr<CSongProfile> song = m_database->GetSong(event->GetSegment()->GetSegment()->GetSongKey());
    if (!song) {
        m_ui.MessageBox("Unable to database entry for the segment.", caption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    auto& within = song->GetWithinSongDesigns();
    auto& mixOut = song->GetMixOutDesigns();
    if (within.GetCount() == 0 && mixOut.GetCount() == 0) {
        m_ui.MessageBox("No mixing designs are defined for this song.", caption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    std::vector<std::string> rows;
    std::vector<RefPtr<CMixingProfile>> designs;
    for (int32_t i = 0; i < within.GetCount(); ++i) {
        rows.push_back(std::string(within.GetAt(i)->GetName()) + " (Within)");
        designs.emplace_back(within.GetAt(i));
    }
    for (int32_t i = 0; i < mixOut.GetCount(); ++i) {
        rows.push_back(std::string(mixOut.GetAt(i)->GetName()) + " (Mix out)");
        designs.emplace_back(mixOut.GetAt(i));
    }
    CSelectMixingDesignDialog dialog(song->GetTitle(), rows);
    if (!run || !run(dialog)) return false;
    const int row = dialog.GetChosen();
    if (row < 0 || row >= static_cast<int>(designs.size())) return false;
    auto applied = MixDesignApplication::Apply(m_state, {t, event}, *designs[static_cast<size_t>(row)]);
    Changed();
    if (!applied) {
        m_ui.ShowRefusal(applied.Error());
        return false;
    }
    if (applied->tracksShort)
        m_ui.MessageBox("This track has insufficient tracks for this design.\nOnly part of the design as been used.",
                        caption, MessageButtons::Ok, MessageIcon::Exclamation);
    return true;
}

bool CMusicSetView::CreateMixDesign(const std::string& name, bool mixOut,
                                    const std::function<int(const std::vector<std::string>& candidates)>& choose) {
    return CreateMixDesign([&](CCreateMixingDesignDialog& dialog) {
        if (!dialog.ChoosePrimary(choose ? choose(dialog.GetCandidates()) : -1)) return false;
        dialog.SetName(name);
        dialog.SetType(mixOut ? CCreateMixingDesignDialog::Type::MixOut : CCreateMixingDesignDialog::Type::Within);
        return dialog.Ok();
    });
}

bool CMusicSetView::CreateMixDesign(const CreateDesignRunner& run) {
    const int32_t a = m_state.GetLeftPosition();
    const int32_t b = m_state.GetRightPosition();
    if (a >= b) {
        m_ui.MessageBox("Before selecting this option, position the left marker where the design begins, and the right "
                        "marker where it ends.",
                        "Create Mix Design", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    auto clip = MakeRef<CSetClip>();
    m_sections.BuildClip(a, b, *clip);
    const double tempo = m_state.TempoAt(a);
    std::vector<std::string> candidates;
    std::vector<std::pair<int32_t, const CSegmentDesign*>> primaries;
    for (int32_t i = 0; i < clip->GetCount(); ++i) {
        const CSetClip::Designs& designs = *clip->GetArray(i);
        for (int32_t j = 0; j < designs.GetCount(); ++j) {
            if (designs.GetAt(j)->GetPositionOffset() != 0) continue;
            char label[300];
            std::snprintf(label, sizeof label, "Track %u: %s", static_cast<unsigned>(i + 1), designs.GetAt(j)->GetName());
            candidates.emplace_back(label);
            primaries.emplace_back(i, designs.GetAt(j));
            break;
        }
    }
    if (candidates.empty()) {
        m_ui.MessageBox("At least one segment must start on or before the section.", "Create Mixing Design",
                        MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    CCreateMixingDesignDialog dialog(m_ui, candidates);
    if (!run || !run(dialog) || dialog.GetName().empty()) return false;
    const std::string& name = dialog.GetName();
    const auto& [array, primary] = primaries[static_cast<size_t>(dialog.GetPrimary())];
    RefPtr<CSetClip> captured(clip->Clone());
    captured->SetTag(array);
    auto design = MakeRef<CMixingProfile>();
    design->SetName(name);
    design->SetTempo(tempo);
    design->SetClip(captured.get());
    const std::string key = primary->GetSegment()->GetSongKey();
    RefPtr<CSongProfile> song = m_database ? m_database->GetSong(key) : RefPtr<CSongProfile>();
    if (!song) {
        m_ui.MessageBox("Error retrieving database record for " + key + ".", "Create Mxing Design", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    const bool mixOut = dialog.GetType() == CCreateMixingDesignDialog::Type::MixOut;
    (mixOut ? song->GetMixOutDesigns() : song->GetWithinSongDesigns()).Add(design.get());
    if (!m_database->PutSong(*song)) {
        m_ui.MessageBox("The mixing design could not be stored with " + key + ".", "Create Mixing Design",
                        MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    return true;
}

CheckSetReport CMusicSetView::CheckSet() {
    CheckSetReport report{"Check Set - " + m_path, SetCheck::Run(m_state, m_database)};
    Changed();
    return report;
}

void CMusicSetView::GoToCheckRow(const CheckSetRow& row) {
    if (row.track > 0) m_state.SetSelectedTrack(row.track);
    if (m_state.GetSampleRate() > 0) m_viewStartTime = static_cast<double>(row.position) / m_state.GetSampleRate();
    m_state.MarkAllRepaint();
    Changed();
}

// ---- Section and tempo commands ----

bool CMusicSetView::Done(const Status& status) {
    Show(status);
    Changed();
    return status.Ok();
}

bool CMusicSetView::AskShiftLeft() {
    return m_ui.MessageBox("Shift successive events to the left?", "Clear Set Section", MessageButtons::YesNo,
                           MessageIcon::Question) == MessageAnswer::Yes;
}

bool CMusicSetView::SplitTempo() { return Done(m_sections.SplitTempo()); }

bool CMusicSetView::InsertBlankSpace() { return Done(m_sections.InsertBlankSpace()); }

bool CMusicSetView::EraseSection() {
    return Done(m_sections.EraseSection([this] { return AskShiftLeft(); }));
}

bool CMusicSetView::CopySection() { return Done(m_sections.CopySection()); }

bool CMusicSetView::CutSection() {
    return Done(m_sections.CutSection([this] { return AskShiftLeft(); }));
}

bool CMusicSetView::PasteSection() {
    auto report = m_sections.PasteSection([this] {
        return m_ui.MessageBox("Unable to insert segment. Another segment\nis already occupying that region. Continue?",
                               "Insert Set Section", MessageButtons::YesNo, MessageIcon::Question) == MessageAnswer::Yes;
    });
    if (!report) return Done(report.Error());
    if (report->moreTracks)
        m_ui.MessageBox("Set section contains more tracks than the target set.", "Paste Set Section",
                        MessageButtons::Ok, MessageIcon::Exclamation);
    Changed();
    return report->pasted > 0;
}

bool CMusicSetView::FadeTempo() {
    auto start = m_sections.FadeTempoStart();
    if (!start) return Done(start.Error());
    CFadeTempoDialog dialog(start.Value());
    if (!m_fadeRunner || !m_fadeRunner(dialog)) return false;
    auto values = dialog.Values();
    if (!values) return Done(values.Error());
    return Done(m_sections.FadeTempo(values->endTempo, values->steps));
}

bool CMusicSetView::AdjustToTempo() { return Done(m_sections.AdjustToTempo()); }

bool CMusicSetView::AdjustAll() { return Done(m_sections.AdjustAll()); }

bool CMusicSetView::NudgeSpeed(int nudge) {
    if (nudge < 0 || nudge >= 8) return false;
    return Done(m_sections.NudgeSpeed(SetSectionCommands::kNudgeSteps[nudge]));
}

double CMusicSetView::GetTempoDisplay() const {
    if (const CEvent* current = m_state.GetCurrentEvent(0))
        if (const CTempoChange* tempo = current->GetTempoChange()) return tempo->GetTempo();
    return m_state.TempoAt(m_state.GetLeftPosition());
}

bool CMusicSetView::Undo() {
    bool undone = m_commands.Undo();
    Changed();
    return undone;
}

bool CMusicSetView::RevertChanges() {
    bool reverted = m_commands.Revert();
    Changed();
    return reverted;
}

bool CMusicSetView::CommitChanges() {
    if (!CanUndo()) return false;
    const CSetHistory& history = m_state.GetHistory();
    if (m_audio.IsPlaying()) {
        if (!m_audio.Commit(history)) return false;
    } else if (m_player && m_player->IsOpen()) {
        m_player->ApplyEdit(history);
    } else if (m_serverLink) {
        if (!m_serverLink(history)) {
            std::this_thread::sleep_for(m_retryDelay);
            if (!m_serverLink(history)) {
                m_ui.MessageBox("Unable to contact Sound Server", "Commit Set", MessageButtons::Ok, MessageIcon::Error);
                return false;
            }
        }
    }
    m_commands.Commit();
    Changed();
    return true;
}

bool CMusicSetView::SetLoop() {
    Status status = m_commands.SetLoop();
    Show(status);
    if (status && m_player && m_player->IsOpen())
        m_player->SetLoop(static_cast<uint32_t>(m_state.GetLoop()->start), static_cast<uint32_t>(m_state.GetLoop()->end));
    if (status) m_audio.SetLoop(m_state.GetLoop()->start, m_state.GetLoop()->end);
    return status.Ok();
}

// ---- Set audio ----

bool CMusicSetView::SetStart(StartPoint from) {
    if (!IsSetStartEnabled()) return false;
    if (CanUndo()) {
        if (m_ui.MessageBox("Set must be committed before starting audio.\nUndo history will be cleared.",
                            "Start Set Audio", MessageButtons::OkCancel, MessageIcon::Exclamation) != MessageAnswer::Ok)
            return false;
        if (!CommitChanges()) return false;
    }
    int32_t frame = 0;
    if (from == StartPoint::LeftMarker) frame = m_state.GetLeftPosition();
    if (from == StartPoint::RightMarker) frame = m_state.GetRightPosition();
    const LoopRange loop = m_state.GetLoop().value_or(LoopRange{});
    return m_audio.Start(GetSet(), frame, loop.start, loop.end);
}

bool CMusicSetView::StopSet() { return m_audio.Stop(); }

std::optional<double> CMusicSetView::GetPlayCursor() {
    const int32_t rate = m_state.GetSampleRate();
    auto position = m_audio.GetPosition();
    if (!position || rate <= 0) return std::nullopt;
    return static_cast<double>(*position) / rate;
}

void CMusicSetView::TakeConnection(const ServerConnection& connection) {
    if (connection.loopEnd > connection.loopStart)
        m_state.SetLoop(LoopRange{connection.loopStart, connection.loopEnd});
    m_audio.TakeConnection(connection);
}

std::optional<LoopRange> CMusicSetView::MixdownRange() {
    const int32_t start = m_state.GetLeftPosition();
    const int32_t end = m_state.GetRightPosition();
    if (end <= start) {
        m_ui.MessageBox("Place the left marker where you wish to start the mixdown and\nthe right marker where you "
                        "wish stop. Reselect File/Mixdown\nto save the section of the set to disk.\n",
                        "Mixdown", MessageButtons::Ok, MessageIcon::Error);
        return std::nullopt;
    }
    return LoopRange{start, end};
}

std::optional<EventEditorParameters> CMusicSetView::TempoList() {
    CTrack* track = m_state.GetTrack(0);
    if (!track) return std::nullopt;
    return EventEditorParameters{"Tempo", track, 0, m_state.GetCurrentEvent(0), &m_state.GetHistory()};
}

std::optional<EventEditorParameters> CMusicSetView::TrackList() {
    const int32_t t = m_state.GetSelectedTrack();
    if (!m_state.IsAudioTrack(t)) return std::nullopt;
    return EventEditorParameters{"Track " + std::to_string(t), m_state.GetTrack(t), t, m_state.GetCurrentEvent(t),
                                 &m_state.GetHistory()};
}

bool CMusicSetView::DropSegment(const CSegmentDesign& design, int x, int y, const TimelineGeometry& geometry) {
    SegmentDrop drop(m_state, m_database);
    auto prepared = drop.Prepare(design, [this](int percent) {
        m_ui.ShowProgress("Building waveform summary", percent);
        if (percent >= 100) m_ui.EndProgress();
    });
    if (!prepared) {
        m_ui.ShowRefusal(prepared.Error());
        return false;
    }
    const int row = geometry.RowAt(y);
    if (x < geometry.trackAreaLeft || row < 0) return false;

    std::optional<SegmentAt> replacing = drop.ReplaceTarget();
    int32_t track = row;
    int32_t position = 0;
    if (replacing) {
        const std::string question =
            std::string("Replace segment \"") + replacing->event->GetSegment()->GetName() + "\"?";
        if (m_ui.MessageBox(question, "Insert Segment", MessageButtons::OkCancel, MessageIcon::Question) !=
            MessageAnswer::Ok)
            return false;
        track = replacing->track;
        position = replacing->event->GetPosition();
    } else {
        position = m_state.ToPosition(geometry.TimeAt(x));
    }

    // The whole drop, the choice made afterwards included, is one Undo.
    HistoryGroup group(m_state.GetHistory());
    auto inserted = drop.Insert(prepared.Value().get(), track, position, replacing);
    if (!inserted) {
        m_ui.ShowRefusal(inserted.Error());
        Changed();
        return false;
    }
    CInsertSegmentDialog dialog(drop.Choices(track, position, *prepared.Value(), m_mixingHelper != nullptr));
    if (!dialog.GetChoices().endsAtOnce && (!m_insertRunner || m_insertRunner(dialog)))
        ApplyInsertChoice(dialog, SegmentAt{track, inserted.Value()});
    m_state.MarkRepaint(0);
    Changed();
    return true;
}

void CMusicSetView::ApplyInsertChoice(const CInsertSegmentDialog& dialog, const SegmentAt& inserted) {
    const InsertChoices& choices = dialog.GetChoices();
    switch (dialog.GetChoice()) {
        case InsertChoice::Resample:
            Show(m_commands.ResampleToTempo(inserted.track, inserted.event, choices.insertTempo));
            break;
        case InsertChoice::SplitTempo:
            Show(m_commands.PlaceTempoChange(choices.position, choices.segmentTempo));
            break;
        case InsertChoice::MixInto: {
            if (choices.resampleAvailable) {
                Status resampled = m_commands.ResampleToTempo(inserted.track, inserted.event, choices.insertTempo);
                if (!resampled) {
                    m_ui.ShowRefusal(resampled.Error());
                    return;
                }
            }
            const SegmentAt& chosen = choices.mixTargets[static_cast<size_t>(dialog.GetMixTarget())];
            std::optional<int32_t> point = m_mixingHelper ? m_mixingHelper(chosen, inserted) : std::nullopt;
            if (point && vantor::SplitSegment(m_state.GetSet(), m_state.GetHistory(), chosen.track, chosen.event, *point)) {
                m_state.SelectOnly(chosen.track, chosen.event);
                m_state.MarkRepaint(chosen.track);
            }
            break;
        }
        case InsertChoice::Nothing:
            break;
    }
}

int32_t CMusicSetView::Tolerance(const TimelineGeometry& geometry) const {
    double frames = geometry.secondsPerPixel * m_state.GetSampleRate();
    if (!(frames >= 1)) return 1;
    return frames > 1e9 ? 1000000000 : static_cast<int32_t>(frames);
}

void CMusicSetView::MousePress(int x, int y, const TimelineGeometry& geometry, bool ctrl) {
    m_drag.End();
    const int row = geometry.RowAt(y);
    if (x < geometry.trackAreaLeft || row < 0 || row >= m_state.GetTrackCount()) return;
    m_geometry = geometry;
    m_pressX = x;
    m_dragMoved = false;
    m_state.SetSelectedTrack(row);
    m_state.MarkRepaint(row);
    const int32_t position = m_state.ToPosition(geometry.TimeAt(x));
    DragHit hit = m_drag.Hit(row, position, Tolerance(geometry), ctrl);

    if (!hit.event) {
        if (!ctrl) m_state.ClearSelections();
        Changed();
        return;
    }
    bool drag = hit.kind != DragKind::None;
    if (ctrl && hit.kind != DragKind::Repeat) {
        m_state.ToggleSelected(row, hit.event);
        drag = drag && m_state.IsSelected(row, hit.event);
    } else if (!m_state.IsSelected(row, hit.event)) {
        m_state.SelectOnly(row, hit.event);
    }
    if (const CTempoChange* tempo = hit.event->GetTempoChange())
        m_state.GetSnapGrid().Align(tempo->GetTempo(),
                                    static_cast<double>(hit.event->GetPosition()) / m_state.GetSampleRate());
    if (drag) {
        m_drag.Begin(row, hit);
        m_edgeTimeAtPress = static_cast<double>(m_drag.GetEdgeAtPress()) / m_state.GetSampleRate();
    }
    Changed();
}

DragKind CMusicSetView::HitAt(int x, int y, const TimelineGeometry& geometry, bool ctrl) const {
    const int row = geometry.RowAt(y);
    if (x < geometry.trackAreaLeft || row < 0 || row >= m_state.GetTrackCount()) return DragKind::None;
    const int32_t position = m_state.ToPosition(geometry.TimeAt(x));
    return m_drag.Hit(row, position, Tolerance(geometry), ctrl).kind;
}

void CMusicSetView::MouseMove(int x, int /*y*/) {
    if (!m_drag.IsActive()) return;
    const int offset = x - m_pressX;
    // Small moves from the press point are a shaky click, not a drag.
    if (!m_dragMoved && std::abs(offset) <= 4) return;
    m_dragMoved = true;
    double seconds = std::max(0.0, m_edgeTimeAtPress + offset * m_geometry.secondsPerPixel);
    seconds = m_state.GetSnapGrid().Snap(seconds);
    m_drag.MoveTo(static_cast<int64_t>(seconds * m_state.GetSampleRate()));
    Changed();
}

void CMusicSetView::MouseRelease(int x, int y) {
    if (!m_drag.IsActive()) return;
    MouseMove(x, y);
    m_drag.End();
    Changed();
}

}  // namespace vantor
