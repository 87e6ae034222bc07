// find_text, split_text, mid_text and replace_span with fuzzed arguments, checked against the
// properties every caller relies on.
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "runtime/text.h"
#include "runtime/utf.h"

using namespace runtime;

#define CHECK(condition) \
    if (!(condition)) std::abort()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    int start = input.next_int(-5, 300);
    int n = input.next_int(-5, 300);
    bool ignore_case = input.next_bool();
    bool max_given = input.next_bool();
    int maximum = input.next_int(-2, 50);
    Text search = input.next_text();
    Text text = input.rest();
    int length = length_of_text(text);

    int found = find_text(text, search, start, ignore_case);
    CHECK(found == -1 || (found >= 1 && found + length_of_text(search) - 1 <= length));
    if (found != -1 && !ignore_case && !search.empty()) CHECK(text.compare(found - 1, search.size(), search) == 0);

    Texts pieces = split_text(text, search, max_given ? std::optional<int>(maximum) : std::nullopt);
    if (max_given) CHECK(static_cast<int>(pieces.size()) <= std::max(maximum, 0));
    if (!max_given && !search.empty() && !text.empty()) {
        // Joining the pieces back gives the text, less at most a trailing delimiter.
        Text joined;
        for (size_t i = 0; i < pieces.size(); ++i) joined += (i ? search : Text()) + pieces[i];
        CHECK(joined == text || joined + search == text);
    }

    Text middle = mid_text(text, start, n);
    CHECK(length_of_text(middle) <= std::max(n, 0));
    Text replaced = replace_span(text, start, n, search);
    CHECK(length_of_text(replaced) <= length + length_of_text(search));
    CHECK(length_of_text(replace_span(text, start, n)) >= length - std::max(n, 0));
    CHECK(length_of_text(to_upper(text)) == length && length_of_text(to_lower(text)) == length);
    CHECK(length_of_text(trim_leading_spaces(text)) <= length);
    (void)to_number(text);
    // The conversions: whatever the bytes, UTF-16 and back is the text with U+FFFD for what is broken.
    std::string valid = valid_utf8(text);
    CHECK(is_valid_utf8(valid));
    CHECK(utf16_to_utf8(utf8_to_utf16(text)) == valid);
    CHECK(is_valid_utf8(text) == (valid == text));
    std::u16string units(reinterpret_cast<const char16_t*>(search.data()), search.size() / 2);
    CHECK(is_valid_utf8(utf16_to_utf8(units)));
    (void)compare_texts(text, search, ignore_case);
    return 0;
}
