#include "speech/web_page.h"

#include <windows.h>
// (needs windows.h first)
#include <shellapi.h>

#include "runtime/system.h"
#include "runtime/utf.h"
#include "speech/speech_text.h"
#include "translate/languages.h"

namespace speech {

using namespace runtime;

void web_page_translation(const Text& host, const Text& address, const Text& list_name) {
    if (!address.empty()) translate::web_page_source_lookup(list_name);
    Text url = web_page_url(host, address, translate::webPageLanguageCode.get());
    if (file_exists(kBrowserPath)) {
        run_command_line(browser_command_line(url), false);
    } else {
        // No Internet Explorer at its old place: the user's default browser gets the same URL.
        ShellExecuteW(nullptr, L"open", wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

}  // namespace speech
