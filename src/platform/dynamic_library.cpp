#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace vantor {

bool DynamicLibrary::Load(const std::string& path) {
    Unload();
    // Local symbols: two libraries may well define the same internal names.
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* error = ::dlerror();
        m_error = error ? error : "cannot load";
        return false;
    }
    m_error.clear();
    return true;
}

void* DynamicLibrary::Symbol(const char* name) const { return m_handle ? ::dlsym(m_handle, name) : nullptr; }

void DynamicLibrary::Unload() {
    if (m_handle) ::dlclose(m_handle);
    m_handle = nullptr;
}

}  // namespace vantor
