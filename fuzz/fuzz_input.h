// Cuts a fuzzer's bytes into the arguments of one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    int next_int(int low, int high) {
        uint32_t raw = 0;
        for (int i = 0; i < 4 && at_ < size_; ++i) raw = (raw << 8) | data_[at_++];
        return low + static_cast<int>(raw % static_cast<uint32_t>(high - low + 1));
    }
    bool next_bool() { return next_int(0, 1) == 1; }
    // A text without zero bytes (the program's texts never hold one), up to the next 0xFF 0xFF or the end.
    std::string next_text() {
        std::string text;
        while (at_ < size_) {
            uint8_t byte = data_[at_++];
            if (byte == 0xFF && at_ < size_ && data_[at_] == 0xFF) {
                ++at_;
                break;
            }
            if (byte != 0) text += static_cast<char>(byte);
        }
        return text;
    }
    std::string rest() {
        std::string text;
        for (; at_ < size_; ++at_) {
            if (data_[at_] != 0) text += static_cast<char>(data_[at_]);
        }
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};
