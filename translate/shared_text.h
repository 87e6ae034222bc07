// A program-wide text that threads read while another replaces it: readers get either the old
// or the new value, whole.
#pragma once

#include <mutex>

#include "runtime/text.h"

namespace translate {

class SharedText {
public:
    explicit SharedText(runtime::Text initial = runtime::Text()) : value_(std::move(initial)) {}

    runtime::Text get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value_;
    }
    void set(const runtime::Text& value) {
        std::lock_guard<std::mutex> lock(mutex_);
        value_ = value;
    }

private:
    mutable std::mutex mutex_;
    runtime::Text value_;
};

}  // namespace translate
