// The window at the display's DPI. ctest runs these at 96 in the test prefix and, through at_dpi.sh,
// at 120, 144 and 192 in copies of it; TARVIK_TEST_DPI then names the DPI the copy was given.
#include <cmath>
#include <cstring>
#include <string>

#include "shell/dpi.h"
#include "shell/window_description.h"
#include "runtime/utf.h"
#include "tests/shell/shell_fixture.h"

using namespace shell_test;
using shell::ControlDescription;
using shell::kDescriptionDpi;
using shell::Kind;

namespace {

const COLORREF kSkinBackground = RGB(0xD6, 0xB0, 0x7A);  // "window" of the program's skin
const int kOpenListHeight = 160;
const int kMediumDpi = 144;

// A length of the table at the DPI, computed apart from the program's own scaling.
int at_dpi(int pixels, int dpi) { return static_cast<int>(std::lround(pixels * dpi / double(kDescriptionDpi))); }

template <typename Function>
Function user32_function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int window_dpi(HWND window) {
    static const auto dpi_for_window = user32_function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    return dpi_for_window ? static_cast<int>(dpi_for_window(window)) : 0;
}

LOGFONTW logical_font(HGDIOBJ font) {
    LOGFONTW logical{};
    GetObjectW(font, sizeof logical, &logical);
    return logical;
}

HFONT font_of(Control control) { return reinterpret_cast<HFONT>(SendMessageW(window_of(control), WM_GETFONT, 0, 0)); }

HGDIOBJ stock_font() { return GetStockObject(DEFAULT_GUI_FONT); }

// Every control at the table's rectangle scaled to the DPI, within a pixel, in the stock font's
// face at the DPI's size; the open lists keep their minimum height.
void expect_controls_at(int dpi) {
    LOGFONTW stock = logical_font(stock_font());
    for (const ControlDescription& description : shell::control_descriptions()) {
        SCOPED_TRACE(std::string(description.caption) + " #" + std::to_string(static_cast<int>(description.control)));
        HWND control = window_of(description.control);
        RECT rect = rect_in_parent(control);
        EXPECT_NEAR(rect.left, at_dpi(description.left, dpi), 1);
        EXPECT_NEAR(rect.top, at_dpi(description.top, dpi), 1);
        EXPECT_NEAR(rect.right - rect.left, at_dpi(description.width, dpi), 1);
        EXPECT_NEAR(rect.bottom - rect.top, at_dpi(description.height, dpi), 1);
        if (description.kind == Kind::drop_down_list) {
            RECT open;
            SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&open));
            EXPECT_GE(open.bottom - open.top - (rect.bottom - rect.top), at_dpi(kOpenListHeight, dpi) - 1);
        }
        LOGFONTW font = logical_font(font_of(description.control));
        EXPECT_STREQ(font.lfFaceName, stock.lfFaceName);
        EXPECT_NEAR(std::abs(font.lfHeight), std::abs(stock.lfHeight) * dpi / double(shell::system_dpi()), 1);
    }
    if (dpi == shell::system_dpi()) {
        EXPECT_EQ(font_of(Control::翻译按钮), stock_font());  // at the system's DPI nothing is made
    }
}

// How many characters of a caption a width shows in the font.
int shown_characters(const char* caption, HGDIOBJ font, int width) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    int fit = 0;
    SIZE size{};
    std::wstring text = runtime::wide(caption);
    GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), width, &fit, nullptr, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return fit;
}

bool has_caption(Kind kind) { return kind == Kind::label || kind == Kind::button || kind == Kind::check_box; }

class Dpi : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(main_window(), nullptr); }
};

}  // namespace

TEST_F(Dpi, WindowsReadsPerMonitorAwarenessWithAnOlderFallbackFromTheManifest) {
    using Query = BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T*);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryActCtxSettingsW")));
    ASSERT_NE(query, nullptr);
    auto setting = [&](const wchar_t* name_space, const wchar_t* name) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        return query(0, nullptr, name_space, name, value, 64, &written) ? std::wstring(value) : std::wstring();
    };
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
}

TEST_F(Dpi, WindowAndEveryControlAreTheTablesRectanglesScaled) {
    HWND window = main_window();
    int dpi = window_dpi(window);
    std::string asked = test_support::environment("TARVIK_TEST_DPI");
    if (!asked.empty()) {
        ASSERT_EQ(dpi, std::stoi(asked)) << "the prefix's LogPixels did not reach the window";
    }
    ASSERT_GE(dpi, kDescriptionDpi);

    RECT rect;
    GetWindowRect(window, &rect);
    const shell::WindowDescription& description = shell::main_window_description();
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    EXPECT_NEAR(width, at_dpi(description.width, dpi), 1);
    EXPECT_NEAR(height, at_dpi(description.height, dpi), 1);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    expect_controls_at(dpi);
    // The scaled outer size leaves room for every control inside the frame drawn at this DPI.
    RECT client;
    GetClientRect(window, &client);
    for (const ControlDescription& control : shell::control_descriptions()) {
        RECT place = rect_in_parent(window_of(control.control));
        EXPECT_LE(place.right, client.right) << control.caption;
        EXPECT_LE(place.bottom, client.bottom) << control.caption;
    }
}

TEST_F(Dpi, CaptionsAreNotCutMoreThanAt96) {
    int dpi = window_dpi(main_window());
    LOGFONTW at_96 = logical_font(stock_font());
    at_96.lfHeight = MulDiv(at_96.lfHeight, kDescriptionDpi, shell::system_dpi());
    HFONT font_at_96 = CreateFontIndirectW(&at_96);
    ASSERT_NE(font_at_96, nullptr);
    for (const ControlDescription& description : shell::control_descriptions()) {
        if (!has_caption(description.kind)) continue;
        SCOPED_TRACE(description.caption);
        HWND control = window_of(description.control);
        RECT outer, client;
        GetWindowRect(control, &outer);
        GetClientRect(control, &client);
        // These controls draw their captions inside their whole rectangle, at 96 DPI as at any other.
        ASSERT_EQ(client.right, outer.right - outer.left);
        int shown = shown_characters(description.caption, font_of(description.control), client.right);
        EXPECT_GE(shown, shown_characters(description.caption, font_at_96, description.width))
            << "at " << dpi << " DPI, " << client.right << " pixels show " << shown << " of "
            << std::strlen(description.caption);
    }
    DeleteObject(font_at_96);
}

TEST_F(Dpi, ADpiChangeMovesTheWindowRelaysTheControlsAndReplacesTheFont) {
    HWND window = main_window();
    RECT start;
    GetWindowRect(window, &start);
    int before = window_dpi(window);
    // To 150 % and back; from there, to 100 %. (Wine draws the frames of drop-down lists at the
    // system's DPI, too thick for a 96-DPI field on a 192-DPI system, which Windows would scale.)
    int after = before == kMediumDpi ? kDescriptionDpi : kMediumDpi;
    const shell::WindowDescription& description = shell::main_window_description();
    RECT suggested{40, 30, 40 + at_dpi(description.width, after), 30 + at_dpi(description.height, after)};

    HFONT first_font = font_of(Control::翻译按钮);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(after, after), reinterpret_cast<LPARAM>(&suggested));
    RECT moved;
    GetWindowRect(window, &moved);
    EXPECT_TRUE(EqualRect(&moved, &suggested));
    expect_controls_at(after);
    HFONT second_font = font_of(Control::翻译按钮);
    EXPECT_NE(second_font, first_font);
    // The font the window made for a DPI goes with it; the stock font stays.
    if (first_font != stock_font()) {
        EXPECT_EQ(GetObjectType(first_font), 0u);
    }
    EXPECT_EQ(GetObjectType(stock_font()), static_cast<DWORD>(OBJ_FONT));

    // The skin paints the background of the whole window, where controls stood before as well:
    // here between the address box and the label after it.
    const ControlDescription& box = shell::description_of(Control::编辑框1);
    const ControlDescription& label = shell::description_of(Control::源语言标签1);
    int gap = (at_dpi(box.left + box.width, after) + at_dpi(label.left, after)) / 2;
    UpdateWindow(window);
    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, gap, at_dpi(label.top + label.height / 2, after)), kSkinBackground);
    ReleaseDC(window, dc);

    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(before, before), reinterpret_cast<LPARAM>(&start));
    GetWindowRect(window, &moved);
    EXPECT_TRUE(EqualRect(&moved, &start));
    expect_controls_at(before);
    if (second_font != stock_font()) {
        EXPECT_EQ(GetObjectType(second_font), 0u);
    }
}

TEST_F(Dpi, TheSettingsDialogFollowsTheSameRules) {
    int dpi = window_dpi(main_window());
    LOGFONTW window_font = logical_font(font_of(Control::翻译按钮));
    // The address field stands at (100, 44), 266 x 24 pixels at 96 DPI.
    auto expect_field_at = [](HWND dialog, int at) {
        RECT field = rect_in_parent(GetDlgItem(dialog, shell::kTranslationAddressField));
        EXPECT_NEAR(field.left, at_dpi(100, at), 1);
        EXPECT_NEAR(field.top, at_dpi(44, at), 1);
        EXPECT_NEAR(field.right - field.left, at_dpi(266, at), 1);
        EXPECT_NEAR(field.bottom - field.top, at_dpi(24, at), 1);
    };
    open_settings_dialog([&](HWND dialog) {
        expect_field_at(dialog, dpi);
        HWND ok = GetDlgItem(dialog, IDOK);
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(ok, WM_GETFONT, 0, 0));
        EXPECT_EQ(logical_font(font).lfHeight, window_font.lfHeight) << "the window's font at the same DPI";

        int after = dpi == kMediumDpi ? kDescriptionDpi : kMediumDpi;
        RECT suggested{50, 40, 50 + at_dpi(400, after), 40 + at_dpi(290, after)};
        SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(after, after), reinterpret_cast<LPARAM>(&suggested));
        expect_field_at(dialog, after);
        HGDIOBJ new_font = reinterpret_cast<HGDIOBJ>(SendMessageW(ok, WM_GETFONT, 0, 0));
        EXPECT_NE(logical_font(new_font).lfHeight, window_font.lfHeight);
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
}
