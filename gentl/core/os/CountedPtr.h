// Shared-ownership handle of the producer: the object and a heap reference
// count beside it, changed atomically so that handles to one object may be
// copied and dropped on different threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace GenTLCore {

namespace CountedPtrDetail {
struct SharedCount {};
} // namespace CountedPtrDetail

template <typename T>
class CountedPtr {
public:
    using element_type = T;
    using Count = std::atomic<std::int32_t>;

    // An empty handle still owns a count cell of its own.
    CountedPtr() : CountedPtr(static_cast<T*>(nullptr)) {}
    CountedPtr(std::nullptr_t) : CountedPtr(static_cast<T*>(nullptr)) {}

    // Takes ownership of object (null allowed). When the count cell cannot be
    // allocated the object is destroyed before the failure passes on.
    explicit CountedPtr(T* object) : m_object(object), m_count(nullptr)
    {
        try {
            m_count = new Count(1);
        } catch (...) {
            delete object;
            throw;
        }
    }

    CountedPtr(const CountedPtr& other) : m_object(other.m_object), m_count(other.m_count)
    {
        Acquire();
    }

    // Derived-to-base conversion; shares the count.
    template <typename U, typename = std::enable_if_t<std::is_convertible<U*, T*>::value>>
    CountedPtr(const CountedPtr<U>& other) : m_object(other.m_object), m_count(other.m_count)
    {
        static_assert(std::is_same<std::remove_cv_t<T>, std::remove_cv_t<U>>::value ||
                          std::has_virtual_destructor<T>::value,
                      "a base handle must destroy the object through a virtual destructor");
        Acquire();
    }

    ~CountedPtr() { Release(); }

    CountedPtr& operator=(const CountedPtr& other)
    {
        CountedPtr copy(other);
        Swap(copy);
        return *this;
    }

    template <typename U, typename = std::enable_if_t<std::is_convertible<U*, T*>::value>>
    CountedPtr& operator=(const CountedPtr<U>& other)
    {
        CountedPtr copy(other);
        Swap(copy);
        return *this;
    }

    void Swap(CountedPtr& other) noexcept
    {
        std::swap(m_object, other.m_object);
        std::swap(m_count, other.m_count);
    }

    // Gives up the current object and holds object instead (null allowed).
    void Reset(T* object = nullptr)
    {
        CountedPtr fresh(object);
        Swap(fresh);
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    bool IsNull() const { return m_object == nullptr; }
    explicit operator bool() const { return m_object != nullptr; }

    // Number of handles sharing the count; for diagnostics only, nothing
    // may decide on it while other threads copy or release.
    std::int32_t UseCount() const { return m_count ? m_count->load() : 0; }

    // Checked cast: on success the result shares the count; a failed cast
    // gives an empty handle with a fresh count of its own.
    template <typename U>
    CountedPtr<U> DynamicCast() const
    {
        static_assert(std::is_same<std::remove_cv_t<T>, std::remove_cv_t<U>>::value ||
                          std::has_virtual_destructor<U>::value,
                      "the cast handle may be the last one: U must destroy the object through a virtual destructor");
        U* object = dynamic_cast<U*>(m_object);
        if (object == nullptr)
            return CountedPtr<U>();
        return CountedPtr<U>(object, m_count, SharedCount());
    }

    // Unchecked cast for a type the caller knows; shares the count.
    template <typename U>
    CountedPtr<U> StaticCast() const
    {
        static_assert(std::is_same<std::remove_cv_t<T>, std::remove_cv_t<U>>::value ||
                          std::has_virtual_destructor<U>::value,
                      "the cast handle may be the last one: U must destroy the object through a virtual destructor");
        if (m_object == nullptr)
            return CountedPtr<U>();
        return CountedPtr<U>(static_cast<U*>(m_object), m_count, SharedCount());
    }

private:
    template <typename U>
    friend class CountedPtr;

    using SharedCount = CountedPtrDetail::SharedCount;

    CountedPtr(T* object, Count* count, SharedCount) : m_object(object), m_count(count)
    {
        Acquire();
    }

    // Completes a copy: a non-empty object shares the count, an empty one
    // gets a cell of its own and leaves the source's count untouched.
    void Acquire()
    {
        if (m_object != nullptr) {
            m_count->fetch_add(1, std::memory_order_seq_cst);
        } else {
            m_count = nullptr;
            m_count = new Count(1);
        }
    }

    void Release()
    {
        static_assert(sizeof(T) > 0, "the object type must be complete where a handle is released");
        if (m_count == nullptr)
            return;
        if (m_count->fetch_sub(1, std::memory_order_seq_cst) == 1) {
            delete m_object;
            delete m_count;
        }
        m_object = nullptr;
        m_count = nullptr;
    }

    T* m_object;
    Count* m_count;
};

template <typename T, typename U>
bool operator==(const CountedPtr<T>& a, const CountedPtr<U>& b)
{
    return a.Get() == b.Get();
}

template <typename T, typename U>
bool operator!=(const CountedPtr<T>& a, const CountedPtr<U>& b)
{
    return a.Get() != b.Get();
}

template <typename T>
bool operator==(const CountedPtr<T>& a, std::nullptr_t)
{
    return a.Get() == nullptr;
}

template <typename T>
bool operator==(std::nullptr_t, const CountedPtr<T>& a)
{
    return a.Get() == nullptr;
}

template <typename T>
bool operator!=(const CountedPtr<T>& a, std::nullptr_t)
{
    return a.Get() != nullptr;
}

template <typename T>
bool operator!=(std::nullptr_t, const CountedPtr<T>& a)
{
    return a.Get() != nullptr;
}

} // namespace GenTLCore
