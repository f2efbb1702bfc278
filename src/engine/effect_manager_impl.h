#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/name_hash_table.h"
#include "platform/dynamic_library.h"
#include "vantor/effect_api.h"

namespace vantor {

// The registry of effect types, filled by the effects libraries at start-up
// and asked by name from then on. Effect types live until the registry is
// destroyed; the libraries that made them stay loaded.
class CEffectManagerImpl final : public IEffectManager {
public:
    CEffectManagerImpl() = default;
    // Deletes every registered effect type. Processors made from them must be
    // gone before.
    ~CEffectManagerImpl();
    CEffectManagerImpl(const CEffectManagerImpl&) = delete;
    CEffectManagerImpl& operator=(const CEffectManagerImpl&) = delete;

    int RegisterEffect(IEffect* effect) override;

    int GetEffectCount();
    // The name at the index-th occupied slot in slot order, or null.
    const char* GetEffectNameAt(int index);
    IEffect* FindEffect(const char* name);
    // Every registered effect type with the names of its parameters, ordered
    // by effect name: what the effect dialogs offer.
    std::vector<std::pair<std::string, std::vector<std::string>>> ListEffectChoices();

    // Loads every "*.so" of the directory (in name order); nothing for an
    // empty directory text.
    void LoadEffectLibraries(const std::string& directory);
    // Loads one library and lets it register its effect types. A library
    // without "EffectRegEntryPoint" is unloaded again, one that does not load
    // is skipped; false in both cases.
    bool LoadEffectLibrary(const std::string& path);
    int GetLibraryCount() const { return static_cast<int>(m_libraries.size()); }

private:
    struct EffectRecord {
        std::string name;
        IEffect* effect = nullptr;
    };

    std::mutex m_lock;
    NameHashTable<EffectRecord> m_table;
    std::vector<DynamicLibrary> m_libraries;
};

}  // namespace vantor
