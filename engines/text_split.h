// A text longer than a service takes in one request, cut into parts that fit, at the latest
// sentence end that fits, else the latest clause end, else the latest space, else at a character;
// the translations of the parts are joined back with what stood between them.
#pragma once

#include <vector>

#include "runtime/text.h"

namespace engines {

using runtime::Text;

// How a service counts a text against its limits.
enum class Measure {
    utf8_bytes,
    characters,   // code points, as Python and most servers count
    utf16_units,  // as JavaScript and .NET count
};
size_t measure_of(const Text& text, Measure measure);

struct Limit {
    Measure measure = Measure::characters;
    size_t most = 0;  // 0: no limit
    bool fits(const Text& text) const { return most == 0 || measure_of(text, measure) <= most; }
};

struct Split {
    std::vector<Text> parts;   // none empty; one part, the text itself, when it fits
    std::vector<Text> joints;  // joints[i] stood between parts[i] and parts[i + 1]: spaces, or nothing
};
Split split_to_fit(const Text& text, const Limit& limit);
// The translations of the parts, in order, with the joints between them.
Text join_parts(const std::vector<Text>& translations, const std::vector<Text>& joints);

}  // namespace engines
