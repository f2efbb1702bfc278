#include <QImage>
#include <QTest>

#include "analyzer_window.h"
#include "music_database_window.h"
#include "engine/resampled_wave_summary_file.h"
#include "views/waveform_columns.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::WorkstationFixture;

class AnalyzerWindowTest : public WorkstationFixture {
protected:
    void SetUp() override {
        WorkstationFixture::SetUp();
        workstation->App().ViewMusic();
        database = workstation->Find<gui::MusicDatabaseWindow>(WindowKind::MusicDatabase);
        ASSERT_NE(database, nullptr);
        database->Table()->selectRow(0);
        QTest::mouseClick(database->Button("Analyze Song"), Qt::LeftButton);
        Settle();
        analyzer = workstation->Find<gui::AnalyzerWindow>(WindowKind::Analyzer);
        ASSERT_NE(analyzer, nullptr);
        Frame(WindowKind::Analyzer)->setGeometry(0, 0, 1000, 600);
        Settle();
        analyzer->Waveform()->ShowWhole();
    }

    // How tall the waveform is drawn in each column: its colour's pixels.
    std::vector<int> DrawnColumns() {
        const QImage image = analyzer->Waveform()->grab().toImage();
        std::vector<int> drawn(static_cast<size_t>(image.width()), 0);
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y) {
                const QColor c = image.pixelColor(x, y);
                if (c.green() > 150 && c.blue() > 180 && c.red() < 120) ++drawn[static_cast<size_t>(x)];
            }
        return drawn;
    }

    gui::MusicDatabaseWindow* database = nullptr;
    gui::AnalyzerWindow* analyzer = nullptr;
};

TEST_F(AnalyzerWindowTest, TheWaveformShowsTheSilenceBeforeTheFirstBeatAndTheClicksAfter) {
    EXPECT_EQ(analyzer->windowTitle(), "Analyzer - Night Drive (Alpha)");
    auto* waveform = analyzer->Waveform();
    ASSERT_EQ(waveform->Length(), 6 * 44100);
    // The song is silent for its first second: a sixth of the width.
    const auto drawn = DrawnColumns();
    const size_t silentEnd = drawn.size() / 6;
    int loud = 0;
    for (size_t x = 2; x + 2 < silentEnd; ++x) EXPECT_LE(drawn[x], 2) << x;
    for (size_t x = silentEnd + 3; x < drawn.size(); ++x) loud += drawn[x] > 20;
    EXPECT_GT(loud, static_cast<int>(drawn.size()) / 4);
    const auto columns = WaveformColumns::Compute(*analyzer->View().GetSummary(), 0, waveform->Length() / 60.0, 60);
    int16_t loudest = 0;
    for (size_t x = 0; x < 60; ++x) {
        if (x < 9) {
            EXPECT_EQ(columns[x].maximum, 0) << x;
        }
        if (x > 10) loudest = std::max(loudest, columns[x].maximum);
    }
    EXPECT_GT(loudest, 20000);
}

TEST_F(AnalyzerWindowTest, ZoomAndScrollMoveTheShownFrames) {
    auto* waveform = analyzer->Waveform();
    const double whole = waveform->Scale();
    QTest::mouseClick(analyzer->Button("Zoom In"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(waveform->Scale(), whole / 2);
    QTest::mouseClick(analyzer->Button("Zoom In"), Qt::LeftButton);
    analyzer->Scroll()->setValue(0);
    EXPECT_EQ(waveform->FirstFrame(), 0);
    analyzer->Scroll()->setValue(analyzer->Scroll()->maximum());
    EXPECT_GT(waveform->FirstFrame(), waveform->Length() / 2);
    EXPECT_LE(waveform->FirstFrame(), waveform->LastFirstFrame());
    for (int i = 0; i < 30; ++i) QTest::mouseClick(analyzer->Button("Zoom In"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(waveform->Scale(), 0.25) << "a pixel shows at least a quarter frame";
    QTest::mouseClick(analyzer->Button("Whole Song"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(waveform->Scale(), whole);
    EXPECT_EQ(waveform->FirstFrame(), 0);
    QTest::mouseClick(analyzer->Button("Zoom Out"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(waveform->Scale(), whole) << "never further out than the whole song";
}

TEST_F(AnalyzerWindowTest, DetectFindsTheStartAndOkStoresItAndTellsTheDatabase) {
    QTest::mouseClick(analyzer->Button("Detect"), Qt::LeftButton);
    ASSERT_GE(analyzer->Points()->rowCount(), 1);
    EXPECT_EQ(analyzer->Points()->item(0, 1)->text(), "START_SONG");
    EXPECT_NEAR(analyzer->Points()->item(0, 0)->text().toDouble(), 1.0, 0.05);
    // Clicking the waveform sets the time field.
    QTest::mouseClick(analyzer->Waveform(), Qt::LeftButton, {}, QPoint(analyzer->Waveform()->width() / 2, 20));
    EXPECT_NEAR(analyzer->TimeEdit()->text().toDouble(), 3.0, 0.1);

    QTest::mouseClick(analyzer->Button("OK"), Qt::LeftButton);
    Settle();
    EXPECT_FALSE(workstation->App().Registry().IsOpen(WindowKind::Analyzer));
    auto song = workstation->App().Database().GetSong(songs[1]);
    ASSERT_TRUE(song);
    EXPECT_GE(song->GetMatchPoints().GetCount(), 1);
}

}  // namespace
}  // namespace vantor
