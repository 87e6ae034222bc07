// A program-wide value that threads read while another replaces it: readers get either the old
// or the new value, whole.
#pragma once

#include <mutex>

#include "runtime/text.h"

namespace runtime {

template <typename T>
class Shared {
public:
    explicit Shared(T initial = T()) : value_(std::move(initial)) {}

    T get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value_;
    }
    void set(const T& value) {
        std::lock_guard<std::mutex> lock(mutex_);
        value_ = value;
    }

private:
    mutable std::mutex mutex_;
    T value_;
};

using SharedText = Shared<Text>;

}  // namespace runtime
