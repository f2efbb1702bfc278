#pragma once

namespace vantor {

// The grid dragged events snap to: a fraction of a bar (1.0 bar, 0.5 half
// note, ... 0.0625 sixteenth note) at the grid's tempo, laid from its origin,
// the tempo event the user last pressed. Off (-1.0) leaves times as they are.
class SnapGrid {
public:
    static constexpr double kOff = -1.0;
    static constexpr double kBar = 1.0;

    explicit SnapGrid(double tempo = 130.0) : m_tempo(tempo) {}

    double GetFraction() const { return m_fraction; }
    // A finite fraction above 0, or kOff; anything else is ignored. False
    // when ignored.
    bool SetFraction(double fraction);
    bool IsOff() const { return m_fraction <= 0; }

    double GetTempo() const { return m_tempo; }
    double GetOrigin() const { return m_origin; }
    // Lays the grid from a tempo event: its tempo and its time in seconds.
    // A tempo that is not a finite number above 0 keeps the old one.
    void Align(double tempo, double originSeconds);

    // The length of one grid step in seconds: fraction x 4 beats x 60 / tempo.
    double GetUnit() const;
    // The grid point nearest to t (a half rounds up), counted from the
    // origin, so the origin itself is a grid point. A point below 0 moves up
    // to the first grid point at or after 0. Negative times come back as 0
    // when the grid is off.
    double Snap(double seconds) const;

private:
    double m_fraction = kBar;
    double m_tempo;
    double m_origin = 0.0;
};

}  // namespace vantor
