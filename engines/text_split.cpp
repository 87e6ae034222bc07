#include "engines/text_split.h"

#include "runtime/utf.h"

namespace engines {

namespace {

bool is_space(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0x3000 || c == 0xA0; }

// Marks after which a sentence or a clause ends. The ASCII ones end it only before a space, so
// that "3.14" or "a,b" stay whole; the full-width ones end it where they stand.
bool ends_sentence(char32_t c) {
    return c == '.' || c == '!' || c == '?' || c == 0x3002 || c == 0xFF01 || c == 0xFF1F || c == 0x2026;
}
bool ends_clause(char32_t c) {
    return c == ',' || c == ';' || c == ':' || c == 0xFF0C || c == 0xFF1B || c == 0xFF1A || c == 0x3001;
}
bool is_ascii(char32_t c) { return c < 0x80; }

struct Character {
    size_t begin, end;
    char32_t value;
};

std::vector<Character> characters_of(const Text& text) {
    std::vector<Character> characters;
    for (size_t i = 0; i < text.size();) {
        size_t begin = i;
        char32_t value = runtime::code_point_at(text, i);
        characters.push_back({begin, i, value});
    }
    return characters;
}

size_t weight(const Character& c, Measure measure) {
    switch (measure) {
        case Measure::utf8_bytes: return c.end - c.begin;
        case Measure::utf16_units: return c.value >= 0x10000 ? 2 : 1;
        case Measure::characters: break;
    }
    return 1;
}

// The number of characters from first on that fit the limit: at least one, so that every cut
// makes progress even when one character alone is over the limit.
size_t fitting_count(const std::vector<Character>& characters, size_t first, const Limit& limit) {
    size_t used = 0, count = 0;
    for (size_t i = first; i < characters.size(); ++i, ++count) {
        used += weight(characters[i], limit.measure);
        if (used > limit.most) break;
    }
    return count == 0 ? 1 : count;
}

// Where to cut among characters[first, first + count): the index after the boundary of the best
// kind, the last of its kind; the cut at count when there is none.
size_t cut_point(const std::vector<Character>& characters, size_t first, size_t count) {
    size_t end = first + count;
    auto followed_by_space = [&](size_t i) { return i + 1 < characters.size() && is_space(characters[i + 1].value); };
    auto boundary_after = [&](size_t i, bool (*ends)(char32_t)) {
        char32_t c = characters[i].value;
        return ends(c) && (!is_ascii(c) || followed_by_space(i));
    };
    for (auto ends : {ends_sentence, ends_clause}) {
        for (size_t i = end; i-- > first;) {
            if (boundary_after(i, ends) && i + 1 > first) return i + 1;
        }
    }
    for (size_t i = end; i > first; --i) {
        if (i < characters.size() && is_space(characters[i].value)) return i;
    }
    return end;
}

}  // namespace

size_t measure_of(const Text& text, Measure measure) {
    if (measure == Measure::utf8_bytes) return text.size();
    size_t count = 0;
    for (size_t i = 0; i < text.size();) {
        char32_t c = runtime::code_point_at(text, i);
        count += measure == Measure::utf16_units && c >= 0x10000 ? 2 : 1;
    }
    return count;
}

Split split_to_fit(const Text& text, const Limit& limit) {
    Split split;
    if (limit.fits(text)) {
        if (!text.empty()) split.parts.push_back(text);
        return split;
    }
    std::vector<Character> characters = characters_of(text);
    size_t first = 0;
    while (first < characters.size()) {
        size_t remaining = characters.size() - first;
        size_t count = fitting_count(characters, first, limit);
        size_t cut = count >= remaining ? characters.size() : cut_point(characters, first, count);
        size_t next = cut;
        while (next < characters.size() && is_space(characters[next].value)) ++next;
        size_t part_end = cut < characters.size() ? characters[cut].begin : text.size();
        Text part = text.substr(characters[first].begin, part_end - characters[first].begin);
        Text joint = next < characters.size() ? text.substr(part_end, characters[next].begin - part_end) : Text();
        if (!part.empty()) {
            split.parts.push_back(part);
            if (next < characters.size()) split.joints.push_back(joint);
        } else if (!split.joints.empty()) {
            split.joints.back() += joint;
        }
        first = next;
    }
    return split;
}

Text join_parts(const std::vector<Text>& translations, const std::vector<Text>& joints) {
    Text joined;
    for (size_t i = 0; i < translations.size(); ++i) {
        if (i > 0 && i - 1 < joints.size()) joined += joints[i - 1];
        joined += translations[i];
    }
    return joined;
}

}  // namespace engines
