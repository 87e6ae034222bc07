#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <map>
#include <vector>

#include "runtime/handle.h"
#include "runtime/utf.h"
#include "shell/capture_system.h"

namespace shell {

namespace {

// UI Automation's client interfaces, as far as they are used: mingw-w64's headers do not declare
// them. Only the order of the methods matters; those not called are placeholders.
struct UiaTextRange : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Clone(void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compare(void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(int, void*, int, int*) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(int) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAttribute(int, VARIANT, BOOL, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindText(BSTR, BOOL, BOOL, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(int, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(int max_length, BSTR* text) = 0;
};

struct UiaTextRangeArray : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElement(int index, UiaTextRange** range) = 0;
};

struct UiaTextPattern : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(POINT, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE RangeFromChild(void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSelection(UiaTextRangeArray** ranges) = 0;
};

struct UiaElement : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, void*, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, void*, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int, BOOL, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(int, BOOL, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int pattern, REFIID interface_id, void** found) = 0;
};

struct UiaAutomation : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(UiaElement** element) = 0;
};

const CLSID kAutomationClass = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
const IID kAutomationInterface = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
const IID kTextPatternInterface = {0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};
const int kTextPatternId = 10014;

template <typename Interface>
struct ComTraits {
    using Value = Interface*;
    static Interface* empty() { return nullptr; }
    static void close(Interface* object) { object->Release(); }
};
template <typename Interface>
using Com = runtime::Handle<ComTraits<Interface>>;

struct StringTraits {
    using Value = BSTR;
    static BSTR empty() { return nullptr; }
    static void close(BSTR text) { SysFreeString(text); }
};

// The clipboard open in the name of a window; closing the handle closes the clipboard.
struct OpenClipboardTraits {
    using Value = HWND;
    static HWND empty() { return nullptr; }
    static void close(HWND) { CloseClipboard(); }
};
using OpenedClipboard = runtime::Handle<OpenClipboardTraits>;

OpenedClipboard open_clipboard(HWND owner) { return OpenedClipboard(OpenClipboard(owner) ? owner : nullptr); }

// Formats whose data is a memory block that can be copied as it is. The display formats, the GDI
// handles and the private ranges are not: Windows makes a bitmap again from the DIB kept, and a
// metafile picture from the enhanced metafile.
bool is_memory_format(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_METAFILEPICT:
        case CF_PALETTE:
        case CF_ENHMETAFILE:
        case CF_OWNERDISPLAY:
        case CF_DSPTEXT:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE: return false;
    }
    return !(format >= CF_PRIVATEFIRST && format <= CF_GDIOBJLAST);
}

std::string bytes_of(HANDLE data) {
    SIZE_T size = GlobalSize(data);
    const void* bytes = GlobalLock(data);
    if (!bytes) return std::string();
    std::string copy(static_cast<const char*>(bytes), size);
    GlobalUnlock(data);
    return copy;
}

HANDLE memory_of(const std::string& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (!target) {
        if (memory) GlobalFree(memory);
        return nullptr;
    }
    if (!bytes.empty()) memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

DWORD integrity_of(DWORD process_id) {
    runtime::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
    HANDLE raw_token = nullptr;
    if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, &raw_token)) return 0;
    runtime::KernelHandle token(raw_token);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<unsigned char> label(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenIntegrityLevel, label.data(), size, &size)) return 0;
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label.data())->Label.Sid;
    return *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
}

bool any_modifier_held() {
    for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) {
        if (GetAsyncKeyState(key) < 0) return true;
    }
    return false;
}

INPUT key_input(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

const int kModifierWaitMs = 1000;
const int kModifierPollMs = 5;

class WindowsCaptureSystem : public CaptureSystem {
public:
    explicit WindowsCaptureSystem(HWND window)
        : window_(window), com_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~WindowsCaptureSystem() override {
        if (com_) CoUninitialize();
    }

    std::optional<Text> automation_selection() override {
        Com<UiaAutomation> automation;
        Com<UiaElement> element;
        Com<UiaTextPattern> pattern;
        Com<UiaTextRangeArray> ranges;
        UiaAutomation* raw_automation = nullptr;
        if (!com_ || FAILED(CoCreateInstance(kAutomationClass, nullptr, CLSCTX_INPROC_SERVER, kAutomationInterface,
                                             reinterpret_cast<void**>(&raw_automation)))) {
            return std::nullopt;
        }
        automation.reset(raw_automation);
        UiaElement* raw_element = nullptr;
        if (FAILED(automation.get()->GetFocusedElement(&raw_element)) || !raw_element) return std::nullopt;
        element.reset(raw_element);
        UiaTextPattern* raw_pattern = nullptr;
        if (FAILED(element.get()->GetCurrentPatternAs(kTextPatternId, kTextPatternInterface,
                                                      reinterpret_cast<void**>(&raw_pattern))) ||
            !raw_pattern) {
            return std::nullopt;
        }
        pattern.reset(raw_pattern);
        UiaTextRangeArray* raw_ranges = nullptr;
        if (FAILED(pattern.get()->GetSelection(&raw_ranges)) || !raw_ranges) return std::nullopt;
        ranges.reset(raw_ranges);
        return selected_text(ranges.get());
    }

    bool foreground_above_us() override {
        DWORD process = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &process);
        return process != 0 && integrity_of(process) > integrity_of(GetCurrentProcessId());
    }

    void wait_for_modifiers_released() override {
        for (int waited = 0; waited < kModifierWaitMs && any_modifier_held(); waited += kModifierPollMs) {
            Sleep(kModifierPollMs);
        }
    }

    unsigned clipboard_sequence() override { return GetClipboardSequenceNumber(); }

    bool save_clipboard() override {
        OpenedClipboard clipboard = open_clipboard(window_);
        if (!clipboard) return false;
        saved_.clear();
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            if (!is_memory_format(format)) continue;
            HANDLE data = GetClipboardData(format);
            if (data) saved_.emplace_back(format, bytes_of(data));
        }
        return true;
    }

    bool restore_clipboard() override {
        OpenedClipboard clipboard = open_clipboard(window_);
        if (!clipboard) return false;
        EmptyClipboard();
        for (const auto& [format, bytes] : saved_) {
            HANDLE memory = memory_of(bytes);
            if (memory && !SetClipboardData(format, memory)) GlobalFree(memory);
        }
        return true;
    }

    void send_copy() override {
        INPUT keys[] = {key_input(VK_CONTROL, false), key_input('C', false), key_input('C', true),
                        key_input(VK_CONTROL, true)};
        SendInput(4, keys, sizeof(INPUT));
    }

    // Windows makes Unicode text of text held in another form, in the code page of the locale
    // held with it.
    ClipboardText clipboard_text() override {
        OpenedClipboard clipboard = open_clipboard(window_);
        if (!clipboard) return {ClipboardText::busy, Text()};
        HANDLE data = IsClipboardFormatAvailable(CF_UNICODETEXT) ? GetClipboardData(CF_UNICODETEXT) : nullptr;
        if (!data) return {ClipboardText::no_text, Text()};
        std::string bytes = bytes_of(data);
        std::wstring units(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        units.resize(wcsnlen(units.c_str(), units.size()));
        if (units.empty()) return {ClipboardText::no_text, Text()};
        return {ClipboardText::text, runtime::narrow(units)};
    }

    void pause(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }

private:
    HWND window_;
    bool com_;
    std::vector<std::pair<UINT, std::string>> saved_;

    static std::optional<Text> selected_text(UiaTextRangeArray* ranges) {
        int count = 0;
        if (FAILED(ranges->get_Length(&count))) return std::nullopt;
        std::wstring selected;
        for (int i = 0; i < count; ++i) {
            UiaTextRange* raw_range = nullptr;
            if (FAILED(ranges->GetElement(i, &raw_range)) || !raw_range) continue;
            Com<UiaTextRange> range(raw_range);
            BSTR raw_text = nullptr;
            if (FAILED(range.get()->GetText(-1, &raw_text)) || !raw_text) continue;
            runtime::Handle<StringTraits> text(raw_text);
            if (!selected.empty()) selected += L"\r\n";
            selected.append(raw_text, SysStringLen(raw_text));
        }
        return runtime::narrow(selected);
    }
};

}  // namespace

std::unique_ptr<CaptureSystem> make_windows_capture_system(void* window) {
    return std::make_unique<WindowsCaptureSystem>(static_cast<HWND>(window));
}

}  // namespace shell
