// MP3 renderings of the parts of a long text, joined frame after frame into one clip.
#pragma once

#include <vector>

#include "runtime/text.h"

namespace engines {

// One part comes back as it is. Several lose their tags (ID3v2 at the start, ID3v1 at the end) and
// the Xing, Info or VBRI frame that some encoders put first, which gives the frame count of that
// part alone: a player reading it would take the whole clip for as long as its first part.
runtime::Bytes join_mp3(const std::vector<runtime::Bytes>& parts);

// Whether the bytes begin as an MP3 file does: an ID3v2 tag or a frame's sync bits.
bool starts_as_mp3(const runtime::Bytes& bytes);

}  // namespace engines
