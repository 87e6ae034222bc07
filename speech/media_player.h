// The media player behind 媒体播放1: one MCI device addressed by a fixed alias.
#pragma once

#include <functional>

#include "runtime/text.h"

namespace speech {

using runtime::Text;

// Makes the alias when the control is created, and closes the device when it is destroyed.
void create_media_player();
void destroy_media_player();
Text media_alias();

bool open_media(const Text& path);
int media_length();  // milliseconds, 0 when unknown
bool play_media(int position, void* display_window = nullptr);  // position -1: from where it stands
bool stop_media();
bool close_media();

// Every command the player sends, in order, goes past this observer when one is set (tests).
void observe_media_commands(std::function<void(const Text& command, bool succeeded)> observer);

}  // namespace speech
