#pragma once

#include <string>

namespace vantor {

// A shared library loaded at run time. It stays loaded until Unload is
// called: the destructor leaves it alone, because objects made by its code
// may outlive this handle.
class DynamicLibrary {
public:
    // False when the file is not a loadable library; Error() says why.
    bool Load(const std::string& path);
    void* Symbol(const char* name) const;
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    const std::string& Error() const { return m_error; }

private:
    void* m_handle = nullptr;
    std::string m_error;
};

}  // namespace vantor
