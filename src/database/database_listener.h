#pragma once

namespace vantor {

// Told after every change of the song store (a song stored or removed, the
// store compacted). Called outside the database's gates, so it may read the
// database again.
class IDatabaseListener {
public:
    virtual ~IDatabaseListener() = default;
    virtual void DatabaseChanged() = 0;
};

}  // namespace vantor
