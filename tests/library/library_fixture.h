#pragma once

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "database/music_database.h"
#include "engine/audio_fixtures.h"
#include "library/music_loader.h"
#include "library/question_channel.h"

namespace vantor::test {

// A local disk and an archive medium (a directory tree standing for a
// mounted disk) with a music database on the local side.
class LibraryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(Local(""));
        std::filesystem::create_directories(Archive("music"));
        ASSERT_TRUE(database.Open(Local("")));
    }
    std::string Local(const std::string& name) const { return dir / ("local/" + name); }
    std::string Archive(const std::string& name) const { return dir / ("ARCHIVE_ONE/" + name); }
    static void WriteWave(const std::string& path, uint32_t frames = 4410) {
        WriteBytes(path, WaveBytes(SineBurstPcm(frames)));
    }
    // Answers the loader's questions from the queue until the queue is
    // worked off; records every question asked.
    void AnswerUntilIdle(CMusicLoader& loader, std::deque<bool> answers) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!loader.WaitUntilIdle(std::chrono::milliseconds(5))) {
            if (auto question = loader.Questions().Pending()) {
                asked.push_back(question->text);
                const bool yes = answers.empty() ? false : answers.front();
                if (!answers.empty()) answers.pop_front();
                loader.Questions().Answer(yes);
            }
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the loader did not finish";
        }
    }

    TempDir dir;
    CMusicDatabase database;
    std::vector<std::string> asked;
};

}  // namespace vantor::test
