#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantor {

class CSongProfile;

// What a search looks at in one song: its texts in upper case, so that a
// search compares without regard to case and without reading the record.
struct SongTextRow {
    std::string key;
    std::string title;
    std::string artist;
    std::string mixer;
    std::string album;
    double tempo = 0.0;
    int32_t type = 0;
    int32_t genre = 0;

    static SongTextRow FromProfile(std::string key, const CSongProfile& song);
};

// Every song of the database as a search row, in title order. The rows are
// shared with the cache, so arranging them anew copies no text.
using SongTextIndex = std::vector<std::shared_ptr<const SongTextRow>>;

std::string UpperText(std::string text);

// The search rows of a store's songs, kept between searches: filled from
// every record once after the store was opened, then kept up to date by the
// changes made through it, so that only a change by another process costs
// a reading of every record.
class SongTextCache {
public:
    // The store was opened anew: the rows are read again on the next search.
    void Forget();
    bool IsFilled() const;
    void Fill(std::unordered_map<std::string, std::shared_ptr<const SongTextRow>> rows);
    // A song stored or removed; nothing while the rows are not filled. A
    // song stored again under its title keeps its place in the table.
    void Put(SongTextRow row);
    void Remove(const std::string& key);
    // The rows in the order of the keys `sortedKeys` gives, arranged once
    // per change and shared by every search until the next one.
    std::shared_ptr<const SongTextIndex> Table(const std::function<std::vector<std::string>()>& sortedKeys);

private:
    mutable std::mutex m_lock;
    bool m_filled = false;
    std::unordered_map<std::string, std::shared_ptr<const SongTextRow>> m_rows;
    std::shared_ptr<const SongTextIndex> m_table;
};

}  // namespace vantor
