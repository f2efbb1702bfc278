#pragma once

#include <array>
#include <cstdint>

namespace vantor {

// The fourteen kinds of windows, in the order they are registered.
enum class WindowKind : int32_t {
    MusicDatabase,
    SongProfile,
    Analyzer,
    SegmentDesigner,
    SingleSegmentEditor,
    MusicSet,
    EventEditor,
    LoadFiles,
    FindMusic,
    ManageMixDesigns,
    SampleDatabase,
    MixerBoard,
    EditCategories,
    Playlist,
};

struct WindowKindInfo {
    WindowKind kind;
    const char* viewClass;
    bool multiple;
};

// Every kind with its view class and whether several may be open at once.
constexpr std::array<WindowKindInfo, 14> kWindowKinds = {{
    {WindowKind::MusicDatabase, "CMusicDatabaseView", false},
    {WindowKind::SongProfile, "CSongProfileView", false},
    {WindowKind::Analyzer, "CAnalyzerView", false},
    {WindowKind::SegmentDesigner, "CSegmentDesignerView", false},
    {WindowKind::SingleSegmentEditor, "CSingleSegmentEditorView", true},
    {WindowKind::MusicSet, "CMusicSetView", true},
    {WindowKind::EventEditor, "CEventEditorView", true},
    {WindowKind::LoadFiles, "CLoadFilesView", false},
    {WindowKind::FindMusic, "CFindMusicView", false},
    {WindowKind::ManageMixDesigns, "CManageMixDesignsView", false},
    {WindowKind::SampleDatabase, "CSampleDatabaseView", false},
    {WindowKind::MixerBoard, "CMixerBoardView", false},
    {WindowKind::EditCategories, "CEditCategoriesView", false},
    {WindowKind::Playlist, "CPlaylistView", false},
}};

constexpr const char* ViewClassOf(WindowKind kind) {
    return kWindowKinds[static_cast<size_t>(kind)].viewClass;
}

}  // namespace vantor
