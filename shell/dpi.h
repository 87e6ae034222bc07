// The display's DPI as the windows see it, and the font made for it: the main window and the
// settings dialog lay themselves out with these.
#pragma once

#include <windows.h>

namespace shell {

int system_dpi();
// The window's DPI; the system's where windows have none of their own.
int dpi_of(HWND window);
// The default GUI font's face at the size that DPI gives; the stock font itself at the system's DPI.
HFONT font_for(int dpi);
// Deletes a font that font_for made (never the stock one).
void release_font(HFONT font);

}  // namespace shell
