#pragma once

#include <type_traits>
#include <utility>

namespace vantor {

// Holds one reference on an intrusively counted object (AddRef/Release) and
// gives it back on every path.
template <class T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(std::nullptr_t) {}
    RefPtr(T* object) : m_object(object) {  // NOLINT: implicit from a raw pointer takes a reference
        if (m_object) m_object->AddRef();
    }
    RefPtr(const RefPtr& other) : RefPtr(other.m_object) {}
    RefPtr(RefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    RefPtr(const RefPtr<U>& other) : RefPtr(other.get()) {}
    ~RefPtr() {
        if (m_object) m_object->Release();
    }

    RefPtr& operator=(RefPtr other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }

    void reset(T* object = nullptr) { *this = RefPtr(object); }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool operator==(const RefPtr& other) const { return m_object == other.m_object; }

private:
    T* m_object = nullptr;
};

template <class T, class... Args>
RefPtr<T> MakeRef(Args&&... args) {
    return RefPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace vantor
