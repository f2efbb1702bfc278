#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vantor {

// Keeps readers and writers of one store apart: any number of readers at a
// time, or one writer alone. A waiting writer holds new readers back, so a
// stream of readers (the update pass) cannot starve the user's changes.
// Neither side may be entered again by a thread that is already inside.
class CStoreGate {
public:
    void EnterReader();
    void LeaveReader();
    void EnterWriter();
    void LeaveWriter();

    class Reader {
    public:
        explicit Reader(CStoreGate& gate) : m_gate(gate) { m_gate.EnterReader(); }
        ~Reader() { m_gate.LeaveReader(); }
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;

    private:
        CStoreGate& m_gate;
    };

    class Writer {
    public:
        explicit Writer(CStoreGate& gate) : m_gate(gate) { m_gate.EnterWriter(); }
        ~Writer() { m_gate.LeaveWriter(); }
        Writer(const Writer&) = delete;
        Writer& operator=(const Writer&) = delete;

    private:
        CStoreGate& m_gate;
    };

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int32_t m_readers = 0;
    int32_t m_waitingWriters = 0;
    bool m_writer = false;
};

}  // namespace vantor
