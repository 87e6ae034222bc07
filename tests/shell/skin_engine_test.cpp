// The skin engine DLL as the program uses it: loaded from the build, attached to this thread's
// windows with skin files written to a temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "tests/win_test_support.h"

using test_support::TempFolder;

namespace {

using AttachFunction = int(WINAPI*)(const char*, const char*);

AttachFunction attach_function() {
    static HMODULE engine = LoadLibraryA(test_support::build_file("skin-engine/jedata.dll").c_str());
    FARPROC found = engine ? GetProcAddress(engine, "SkinH_AttachEx") : nullptr;
    return reinterpret_cast<AttachFunction>(reinterpret_cast<void*>(found));
}

std::string write_skin(const TempFolder& folder, const std::string& name, const std::string& content) {
    std::string path = folder.file(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

HWND make_window() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "SkinTestWindow";
    RegisterClassA(&window_class);
    return CreateWindowA("SkinTestWindow", "before", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                         nullptr);
}

struct Painted {
    COLORREF text;
    COLORREF background;
    bool brush;
};

// What the window answers when a child asks for its colours.
Painted colours_for(HWND window, UINT message) {
    HDC dc = CreateCompatibleDC(nullptr);
    LRESULT brush = SendMessageA(window, message, reinterpret_cast<WPARAM>(dc), 0);
    Painted painted{GetTextColor(dc), GetBkColor(dc), brush != 0};
    DeleteDC(dc);
    return painted;
}

}  // namespace

TEST(SkinEngine, ColoursTheThreadsWindowsAndPassesOtherMessagesOn) {
    AttachFunction attach = attach_function();
    ASSERT_NE(attach, nullptr);
    TempFolder folder;
    HWND window = make_window();
    ASSERT_NE(window, nullptr);
    std::string skin = write_skin(folder, "a.skn",
                                  "TARVIK-SKIN 1\nwindow=102030\ntext=010203\nedit=405060\nedit_text=708090\n"
                                  "list=A0B0C0\nlist_text=D0E0F0\n");
    ASSERT_EQ(attach(skin.c_str(), ""), 0);

    Painted edit = colours_for(window, WM_CTLCOLOREDIT);
    EXPECT_TRUE(edit.brush);
    EXPECT_EQ(edit.background, RGB(0x40, 0x50, 0x60));
    EXPECT_EQ(edit.text, RGB(0x70, 0x80, 0x90));
    Painted list = colours_for(window, WM_CTLCOLORLISTBOX);
    EXPECT_EQ(list.background, RGB(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(list.text, RGB(0xD0, 0xE0, 0xF0));
    Painted label = colours_for(window, WM_CTLCOLORSTATIC);
    EXPECT_EQ(label.background, RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(label.text, RGB(0x01, 0x02, 0x03));

    // Everything else still reaches the window's own procedure.
    SetWindowTextA(window, "after");
    char caption[16] = {};
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "after");

    // A second skin replaces the first on the same window; the window is taken over only once.
    LONG_PTR skinned_proc = GetWindowLongPtrA(window, GWLP_WNDPROC);
    std::string second = write_skin(folder, "b.skn", "TARVIK-SKIN 1\nedit=0A0B0C\n");
    ASSERT_EQ(attach(second.c_str(), ""), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), skinned_proc);
    EXPECT_EQ(colours_for(window, WM_CTLCOLOREDIT).background, RGB(0x0A, 0x0B, 0x0C));
    DestroyWindow(window);

    // A window made after another was destroyed is skinned afresh.
    HWND next = make_window();
    ASSERT_EQ(attach(second.c_str(), ""), 0);
    EXPECT_EQ(colours_for(next, WM_CTLCOLOREDIT).background, RGB(0x0A, 0x0B, 0x0C));
    DestroyWindow(next);
}

TEST(SkinEngine, AFileItCannotUseLeavesTheSkinInEffect) {
    AttachFunction attach = attach_function();
    ASSERT_NE(attach, nullptr);
    TempFolder folder;
    HWND window = make_window();
    std::string good = write_skin(folder, "good.skn", "TARVIK-SKIN 1\nedit=112233\n");
    ASSERT_EQ(attach(good.c_str(), ""), 0);
    EXPECT_EQ(attach(folder.file("missing.skn").c_str(), ""), 1);
    EXPECT_EQ(attach(write_skin(folder, "other.skn", "SOME-OTHER 1\nedit=445566\n").c_str(), ""), 1);
    EXPECT_EQ(attach(write_skin(folder, "empty.skn", "").c_str(), ""), 1);
    EXPECT_EQ(attach(nullptr, ""), 1);
    EXPECT_EQ(colours_for(window, WM_CTLCOLOREDIT).background, RGB(0x11, 0x22, 0x33));
    DestroyWindow(window);
}

// The path may come in UTF-8 or in the system's code page: a folder named with a letter of the
// code page is found either way.
TEST(SkinEngine, APathInTheSystemsCodePageOrInUtf8) {
    AttachFunction attach = attach_function();
    ASSERT_NE(attach, nullptr);
    TempFolder folder("_é");
    std::string skin = folder.file("a.skn");
    ASSERT_TRUE(runtime::write_file(skin, runtime::to_bytes("TARVIK-SKIN 1\nedit=123456\n")));
    std::wstring wide_path = runtime::wide(skin);
    char ansi[MAX_PATH * 2] = {};
    BOOL lost = FALSE;
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide_path.c_str(), -1, ansi, sizeof ansi, nullptr, &lost), 0);
    ASSERT_FALSE(lost) << "é is a letter of code pages 936 and 1252";
    ASSERT_NE(std::string(ansi), skin) << "the code page's bytes are not UTF-8";
    HWND window = make_window();
    ASSERT_EQ(attach(ansi, ""), 0);
    EXPECT_EQ(colours_for(window, WM_CTLCOLOREDIT).background, RGB(0x12, 0x34, 0x56));
    ASSERT_TRUE(runtime::write_file(skin, runtime::to_bytes("TARVIK-SKIN 1\nedit=654321\n")));
    ASSERT_EQ(attach(skin.c_str(), ""), 0);
    EXPECT_EQ(colours_for(window, WM_CTLCOLOREDIT).background, RGB(0x65, 0x43, 0x21));
    DestroyWindow(window);
}
