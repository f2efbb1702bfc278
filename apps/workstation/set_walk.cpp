#include "set_walk.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QThread>

#include "mixdown_window.h"
#include "model/event.h"
#include "model/track.h"
#include "platform/audio_device.h"
#include "set_window.h"
#include "workstation.h"

namespace vantor::gui {

namespace {

void Wait(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

void Mouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

std::vector<std::string> SetWalk::Run(Workstation& workstation, const std::string& setPath) {
    std::vector<std::string> failures;
    CVantorApp& app = workstation.App();
    if (!app.OpenPath(setPath)) return {"the set " + setPath + " did not open"};
    QApplication::processEvents();
    auto* window = workstation.Find<SetWindow>(WindowKind::MusicSet);
    if (!window) return {"no set editor opened"};

    if (!window->StartSet(SetWindow::StartPoint::Beginning, &NullDeviceId())) {
        failures.push_back("the set did not start on the null device");
    } else {
        Wait(600);
        if (!(window->Timeline()->PlayCursor() > 0)) failures.push_back("the play cursor did not move");
    }

    // Track 1's first segment, dragged two seconds right by its body.
    CTrack* track = window->View().GetState().GetTrack(1);
    CEvent* first = track && track->GetEvents().GetHead() ? track->GetEvents().GetHead()->GetItem() : nullptr;
    if (!first) {
        failures.push_back("track 1 of the set is empty");
    } else {
        window->View().DisableAutoAlign();
        SetTimelineWidget* timeline = window->Timeline();
        timeline->SetScale(0.02);
        timeline->ScrollTo(0);
        const int32_t before = first->GetPosition();
        const TimelineGeometry g = timeline->Geometry();
        const int y = g.RowTop(1) + g.rowHeights[1] / 2;
        const int x = g.XAt(static_cast<double>(before) / window->View().GetState().GetSampleRate() + 1.0);
        Mouse(timeline, QEvent::MouseButtonPress, QPoint(x, y), Qt::LeftButton);
        for (int step = 1; step <= 10; ++step)
            Mouse(timeline, QEvent::MouseMove, QPoint(x + step * 10, y), Qt::LeftButton);
        Mouse(timeline, QEvent::MouseButtonRelease, QPoint(x + 100, y), Qt::NoButton);
        QApplication::processEvents();
        if (first->GetPosition() == before) failures.push_back("the segment did not move");
        if (!window->View().CommitChanges()) failures.push_back("the move was not committed");
        if (window->View().CanUndo()) failures.push_back("the history was not cleared by the commit");
    }
    window->StopSet(false);
    if (window->IsPlaying()) failures.push_back("the set did not stop");

    window->View().GetState().SetLeftMarker(0.0);
    window->View().GetState().SetRightMarker(4.0);
    const QString wave = QString::fromStdString(setPath + ".mix.wav");
    QFile::remove(wave);
    if (MixdownWindow* mixdown = window->Mixdown(wave.toStdString())) {
        QElapsedTimer clock;
        clock.start();
        while (!mixdown->Dialog().IsFinished() && clock.elapsed() < 60000) Wait(50);
        if (!mixdown->Dialog().IsFinished()) failures.push_back("the mixdown did not finish");
        mixdown->close();
        if (QFile(wave).size() <= 44) failures.push_back("the mixdown wrote no audio");
    } else {
        failures.push_back("the mixdown did not start");
    }
    QFile::remove(wave);

    if (!workstation.Main().close()) failures.push_back("the main window did not close");
    return failures;
}

}  // namespace vantor::gui
