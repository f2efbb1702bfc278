#pragma once

// A file system that counts every step that changes the disk and can make
// one of them fail (a full disk: a write stops halfway and reports failure)
// or crash (the step is cut short and nothing after it reaches the disk).
#include <memory>

#include "platform/store_file_system.h"

namespace vantor::test {

class FaultyFileSystem : public IStoreFileSystem {
public:
    enum class Mode { None, Fail, Crash };

    void Arm(Mode mode, int step) {
        m_mode = mode;
        m_target = step;
        m_steps = 0;
        m_dead = false;
    }
    int Steps() const { return m_steps; }
    bool Crashed() const { return m_dead; }

    // Decides the fate of the next step: true to do it whole.
    enum class Fate { Do, Half, Skip };
    Fate Next() {
        if (m_dead) return Fate::Skip;
        const int step = m_steps++;
        if (m_mode == Mode::None || step != m_target) return Fate::Do;
        if (m_mode == Mode::Crash) m_dead = true;
        return Fate::Half;
    }

    std::unique_ptr<IStoreFile> Open(const std::string& path) override {
        if (m_dead) return nullptr;
        auto file = m_real.Open(path);
        if (!file) return nullptr;
        return std::make_unique<File>(*this, std::move(file));
    }
    std::unique_ptr<IStoreFile> OpenForReading(const std::string& path) override {
        if (m_dead) return nullptr;
        auto file = m_real.OpenForReading(path);
        if (!file) return nullptr;
        return std::make_unique<File>(*this, std::move(file));
    }
    std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path) override {
        if (m_dead) return std::nullopt;
        return m_real.ReadWhole(path);
    }
    bool WriteReplacing(const std::string& path, const std::vector<uint8_t>& bytes) override {
        // Cut short, a replacing write never reaches its name.
        return Next() == Fate::Do && m_real.WriteReplacing(path, bytes);
    }
    bool Remove(const std::string& path) override { return Next() == Fate::Do && m_real.Remove(path); }
    bool Rename(const std::string& from, const std::string& to) override {
        return Next() == Fate::Do && m_real.Rename(from, to);
    }
    bool Exists(const std::string& path) override { return !m_dead && m_real.Exists(path); }
    std::vector<std::string> List(const std::string& directory, const std::string& suffix) override {
        return m_real.List(directory, suffix);
    }

private:
    class File : public IStoreFile {
    public:
        File(FaultyFileSystem& fs, std::unique_ptr<IStoreFile> real) : m_fs(fs), m_real(std::move(real)) {}
        int64_t Size() override { return m_fs.m_dead ? -1 : m_real->Size(); }
        size_t ReadAt(int64_t offset, void* data, size_t size) override {
            return m_fs.m_dead ? 0 : m_real->ReadAt(offset, data, size);
        }
        bool WriteAt(int64_t offset, const void* data, size_t size) override {
            switch (m_fs.Next()) {
                case Fate::Do:
                    return m_real->WriteAt(offset, data, size);
                case Fate::Half:
                    m_real->WriteAt(offset, data, size / 2);
                    return false;
                case Fate::Skip:
                    return false;
            }
            return false;
        }
        bool Truncate(int64_t length) override { return m_fs.Next() == Fate::Do && m_real->Truncate(length); }
        bool Sync() override { return m_fs.Next() == Fate::Do && m_real->Sync(); }

    private:
        FaultyFileSystem& m_fs;
        std::unique_ptr<IStoreFile> m_real;
    };

    PosixStoreFileSystem m_real;
    Mode m_mode = Mode::None;
    int m_target = -1;
    int m_steps = 0;
    bool m_dead = false;
};

}  // namespace vantor::test
