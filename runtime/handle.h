// One small move-only owner for the operating system's handles.
#pragma once

#include <windows.h>

#include <utility>

namespace runtime {

// Traits give the handle type, its empty value and how to close it.
template <typename Traits>
class Handle {
public:
    using Value = typename Traits::Value;

    Handle() = default;
    explicit Handle(Value value) : value_(value) {}
    Handle(Handle&& other) noexcept : value_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    Value get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::empty(); }
    Value release() { return std::exchange(value_, Traits::empty()); }
    void reset(Value value = Traits::empty()) {
        if (value_ != Traits::empty()) Traits::close(value_);
        value_ = value;
    }

private:
    Value value_ = Traits::empty();
};

struct KernelHandleTraits {
    using Value = HANDLE;
    static HANDLE empty() { return nullptr; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};

// Files say "no handle" with INVALID_HANDLE_VALUE, threads and processes with null.
struct FileHandleTraits : KernelHandleTraits {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
};

using KernelHandle = Handle<KernelHandleTraits>;
using FileHandle = Handle<FileHandleTraits>;

}  // namespace runtime
