#include "engine/effect_manager_impl.h"

#include <algorithm>
#include <filesystem>

namespace vantor {

CEffectManagerImpl::~CEffectManagerImpl() {
    std::vector<IEffect*> effects;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_table.ForEach([&](const char*, EffectRecord& record) { effects.push_back(record.effect); });
    }
    // Outside the lock: an effect type may call back into the host.
    for (IEffect* effect : effects) effect->Delete();
}

int CEffectManagerImpl::RegisterEffect(IEffect* effect) {
    if (!effect) return 0;
    const char* name = effect->GetName();
    if (!name) return 0;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_table.Find(name)) return 0;
    return m_table.Insert(name, EffectRecord{name, effect}) ? 1 : 0;
}

int CEffectManagerImpl::GetEffectCount() {
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_table.Count());
}

const char* CEffectManagerImpl::GetEffectNameAt(int index) {
    if (index < 0) return nullptr;
    std::lock_guard<std::mutex> lock(m_lock);
    return m_table.KeyAt(static_cast<uint32_t>(index));
}

IEffect* CEffectManagerImpl::FindEffect(const char* name) {
    std::lock_guard<std::mutex> lock(m_lock);
    EffectRecord* record = m_table.Find(name);
    return record ? record->effect : nullptr;
}

void CEffectManagerImpl::LoadEffectLibraries(const std::string& directory) {
    if (directory.empty()) return;
    std::string dir = directory.back() == '/' ? directory : directory + "/";
    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = item.path().filename().string();
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0) paths.push_back(dir + name);
    }
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) LoadEffectLibrary(path);
}

bool CEffectManagerImpl::LoadEffectLibrary(const std::string& path) {
    DynamicLibrary library;
    if (!library.Load(path)) return false;
    using EntryPoint = int (*)(IEffectManager*);
    auto entry = reinterpret_cast<EntryPoint>(library.Symbol("EffectRegEntryPoint"));
    if (!entry) {
        library.Unload();
        return false;
    }
    m_libraries.push_back(library);
    entry(this);
    return true;
}

std::vector<std::pair<std::string, std::vector<std::string>>> CEffectManagerImpl::ListEffectChoices() {
    std::vector<std::pair<std::string, std::vector<std::string>>> choices;
    for (int i = 0; i < GetEffectCount(); ++i) {
        const char* name = GetEffectNameAt(i);
        IEffect* effect = name ? FindEffect(name) : nullptr;
        if (!effect) continue;
        std::vector<std::string> parameters;
        for (int p = 0; p < effect->GetParameterCount(); ++p)
            if (const char* parameter = effect->GetParameterName(p)) parameters.emplace_back(parameter);
        choices.emplace_back(name, std::move(parameters));
    }
    std::sort(choices.begin(), choices.end());
    return choices;
}

}  // namespace vantor
