#include "engines/mp3.h"

#include <cstring>

namespace engines {

using runtime::Bytes;

namespace {

const size_t kId3v2Header = 10;
const size_t kId3v1Size = 128;

// Kilobits per second of MPEG-1 and of MPEG-2/2.5 Layer III frames, by the header's index.
const int kBitratesMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kBitratesMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int kSampleRates[3] = {44100, 48000, 32000};  // MPEG-1; halved for MPEG-2, quartered for 2.5

size_t id3v2_size(const Bytes& part) {
    if (part.size() < kId3v2Header || std::memcmp(part.data(), "ID3", 3) != 0) return 0;
    size_t size = (part[6] & 0x7F) << 21 | (part[7] & 0x7F) << 14 | (part[8] & 0x7F) << 7 | (part[9] & 0x7F);
    size_t footer = (part[5] & 0x10) ? kId3v2Header : 0;
    return std::min(part.size(), kId3v2Header + size + footer);
}

bool has_id3v1(const Bytes& part, size_t begin) {
    return part.size() >= begin + kId3v1Size && std::memcmp(&part[part.size() - kId3v1Size], "TAG", 3) == 0;
}

// The length of the Layer III frame at begin when it is a tag frame (Xing, Info or VBRI), else 0.
size_t tag_frame_length(const Bytes& part, size_t begin) {
    if (part.size() < begin + 4 || part[begin] != 0xFF || (part[begin + 1] & 0xE0) != 0xE0) return 0;
    int version = (part[begin + 1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer = (part[begin + 1] >> 1) & 3;     // 1 Layer III
    int bitrate_index = part[begin + 2] >> 4, rate_index = (part[begin + 2] >> 2) & 3;
    if (version == 1 || layer != 1 || rate_index == 3) return 0;
    bool mpeg1 = version == 3, mono = (part[begin + 3] >> 6) == 3;
    int bitrate = (mpeg1 ? kBitratesMpeg1 : kBitratesMpeg2)[bitrate_index] * 1000;
    int rate = kSampleRates[rate_index] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (bitrate == 0) return 0;
    size_t length = (mpeg1 ? 144 : 72) * bitrate / rate + ((part[begin + 2] >> 1) & 1);
    size_t side_info = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    auto tag_at = [&](size_t offset, const char* tag) {
        return part.size() >= begin + offset + 4 && std::memcmp(&part[begin + offset], tag, 4) == 0;
    };
    bool tagged = tag_at(4 + side_info, "Xing") || tag_at(4 + side_info, "Info") || tag_at(36, "VBRI");
    return tagged && begin + length <= part.size() ? length : 0;
}

}  // namespace

bool starts_as_mp3(const Bytes& bytes) {
    bool tagged = bytes.size() >= 3 && std::memcmp(bytes.data(), "ID3", 3) == 0;
    bool frame = bytes.size() >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0;
    return tagged || frame;
}

Bytes join_mp3(const std::vector<Bytes>& parts) {
    if (parts.size() == 1) return parts[0];
    Bytes clip;
    for (const Bytes& part : parts) {
        size_t begin = id3v2_size(part);
        begin += tag_frame_length(part, begin);
        size_t end = has_id3v1(part, begin) ? part.size() - kId3v1Size : part.size();
        if (begin < end) clip.insert(clip.end(), part.begin() + static_cast<std::ptrdiff_t>(begin),
                                     part.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return clip;
}

}  // namespace engines
