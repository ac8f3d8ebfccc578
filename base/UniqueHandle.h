#pragma once
// Owners for system handles: every handle is released by scope, never by a line someone must
// remember. Release is the call that lets a handle go; its Empty() is the value that holds
// none (null, or INVALID_HANDLE_VALUE for the kinds whose calls fail with it).
#include <windows.h>

#include <cstddef>
#include <utility>

template <typename Handle, typename Release> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : m_h(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return m_h; }
    explicit operator bool() const { return m_h != Release::Empty(); }
    Handle release() { return std::exchange(m_h, Release::Empty()); }
    void reset(Handle h = Release::Empty()) {
        if (m_h != Release::Empty()) {
            Release()(m_h);
        }
        m_h = h;
    }

private:
    Handle m_h = Release::Empty();
};

struct NullIsEmpty {
    static std::nullptr_t Empty() { return nullptr; }
};
struct InvalidIsEmpty {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
};

// Lets a handle go through the system call that releases its kind.
template <auto Release, typename NoHandle = NullIsEmpty> struct ReleaseWith : NoHandle {
    template <typename Handle> void operator()(Handle h) const { Release(h); }
};

// OpenProcess and the like, null on failure.
using ProcessHandle = UniqueHandle<HANDLE, ReleaseWith<&CloseHandle>>;
// CreateFile, INVALID_HANDLE_VALUE on failure.
using FileHandle = UniqueHandle<HANDLE, ReleaseWith<&CloseHandle, InvalidIsEmpty>>;
// FindFirstFile, INVALID_HANDLE_VALUE on failure.
using FindHandle = UniqueHandle<HANDLE, ReleaseWith<&FindClose, InvalidIsEmpty>>;
using HookHandle = UniqueHandle<HHOOK, ReleaseWith<&UnhookWindowsHookEx>>;
using MenuHandle = UniqueHandle<HMENU, ReleaseWith<&DestroyMenu>>;
