#include "shell/dpi.h"

namespace shell {

int system_dpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Systems before Windows 10 have no per-window DPI; there the program is aware of the system's DPI
// only (the manifest's older setting), and that is the DPI it lays out at.
int dpi_of(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = dpi_for_window ? dpi_for_window(window) : 0;
    return dpi ? static_cast<int>(dpi) : system_dpi();
}

// The default GUI font is made for the system's DPI; at another DPI the window uses its face at
// the size that DPI gives. At the system's DPI it is the stock font itself, which no one deletes.
HFONT font_for(int dpi) {
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font;
    if (!GetObjectW(stock, sizeof font, &font)) return stock;
    LONG height = MulDiv(font.lfHeight, dpi, system_dpi());
    if (height == font.lfHeight) return stock;
    font.lfHeight = height;
    font.lfWidth = 0;
    HFONT made = CreateFontIndirectW(&font);
    return made ? made : stock;
}

void release_font(HFONT font) {
    if (font && font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
}

}  // namespace shell
