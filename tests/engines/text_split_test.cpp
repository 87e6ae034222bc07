// Long texts in parts that fit a service's limit, cut where a reader would cut them, joined back as
// they stood; spoken texts in parts joined into one MP3 clip.
#include <gtest/gtest.h>

#include "engines/engine.h"
#include "engines/google_cloud.h"
#include "engines/lingva.h"
#include "engines/mp3.h"
#include "engines/text_split.h"

using namespace engines;

namespace {

Text rejoined(const Split& split) { return join_parts(split.parts, split.joints); }

// Every part fits, none is empty, and the parts with their joints give back the text.
void expect_sound(const Split& split, const Text& text, const Limit& limit) {
    EXPECT_EQ(rejoined(split), text);
    EXPECT_EQ(split.joints.size() + 1, split.parts.size());
    for (const Text& part : split.parts) {
        EXPECT_FALSE(part.empty());
        EXPECT_TRUE(limit.fits(part) || measure_of(part, limit.measure) <= 4) << part;  // one character may be over
    }
}

}  // namespace

TEST(TextSplit, MeasuresAsServicesCount) {
    EXPECT_EQ(measure_of("a中😀", Measure::utf8_bytes), 1u + 3u + 4u);
    EXPECT_EQ(measure_of("a中😀", Measure::characters), 3u);
    EXPECT_EQ(measure_of("a中😀", Measure::utf16_units), 4u);
    EXPECT_TRUE((Limit{Measure::characters, 0}).fits(Text(100000, 'x'))) << "0 is no limit";
}

TEST(TextSplit, SentencesThenClausesThenWordsThenCharacters) {
    Limit limit{Measure::characters, 30};
    // Whole when it fits; nothing for an empty text.
    EXPECT_EQ(split_to_fit("short", limit).parts, std::vector<Text>{"short"});
    EXPECT_TRUE(split_to_fit("", limit).parts.empty());

    Text sentences = "The first sentence is here. The second one, with a clause, follows. Third!";
    Split by_sentence = split_to_fit(sentences, limit);
    expect_sound(by_sentence, sentences, limit);
    EXPECT_EQ(by_sentence.parts[0], "The first sentence is here.");
    EXPECT_EQ(by_sentence.joints[0], " ");

    // No sentence end within the limit: the last clause end, then the last space.
    Text clauses = "one two three, four five six seven, eight nine ten eleven twelve thirteen";
    Split by_clause = split_to_fit(clauses, limit);
    expect_sound(by_clause, clauses, limit);
    EXPECT_EQ(by_clause.parts[0], "one two three,");
    Text words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda";
    Split by_word = split_to_fit(words, limit);
    expect_sound(by_word, words, limit);
    EXPECT_EQ(by_word.parts[0], "alpha beta gamma delta epsilon");

    // "3.14" and "a,b" are no boundaries; full-width marks are, where they stand.
    Text numbers = "pi is 3.14159 and e is 2.71828, roughly, and so on for ever";
    for (const Text& part : split_to_fit(numbers, limit).parts) EXPECT_EQ(part.find("3.1 "), Text::npos);
    Text chinese = "第一句话在这里。第二句话，带一个分句。第三句！";
    Split by_mark = split_to_fit(chinese, Limit{Measure::characters, 10});
    expect_sound(by_mark, chinese, Limit{Measure::characters, 10});
    EXPECT_EQ(by_mark.parts[0], "第一句话在这里。");
    EXPECT_EQ(by_mark.joints[0], "");

    // A run without any boundary is cut between characters, never inside one.
    Text unbroken;
    for (int i = 0; i < 100; ++i) unbroken += "长";
    Split by_character = split_to_fit(unbroken, Limit{Measure::utf8_bytes, 31});
    expect_sound(by_character, unbroken, Limit{Measure::utf8_bytes, 31});
    EXPECT_EQ(by_character.parts[0].size(), 30u);
    // A single character over the limit still goes, alone.
    EXPECT_EQ(split_to_fit("😀😀", Limit{Measure::utf8_bytes, 2}).parts, (std::vector<Text>{"😀", "😀"}));
}

TEST(TextSplit, JointsKeepWhatStoodBetweenTheParts) {
    Text text = "First sentence here.   Second sentence here.\tThird sentence here.";
    Split split = split_to_fit(text, Limit{Measure::characters, 22});
    ASSERT_EQ(split.parts.size(), 3u);
    EXPECT_EQ(split.joints, (std::vector<Text>{"   ", "\t"}));
    EXPECT_EQ(join_parts({"A", "B", "C"}, split.joints), "A   B\tC");
}

TEST(Mp3, PartsAreJoinedFrameAfterFrameWithoutTheirTags) {
    // An ID3v2 tag of 5 bytes of content, an Info frame (MPEG-1 Layer III, 128 kbit/s, 44.1 kHz,
    // stereo: 417 bytes), two audio frames, and an ID3v1 tag.
    auto frame = [](char fill, bool info) {
        runtime::Bytes bytes(417, static_cast<unsigned char>(fill));
        bytes[0] = 0xFF, bytes[1] = 0xFB, bytes[2] = 0x90, bytes[3] = 0x00;
        if (info) std::copy_n("Info", 4, bytes.begin() + 4 + 32);
        return bytes;
    };
    runtime::Bytes id3v2{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 5, 't', 'i', 't', 'l', 'e'};
    runtime::Bytes id3v1(128, 0);
    std::copy_n("TAG", 3, id3v1.begin());
    auto clip = [&](char fill) {
        runtime::Bytes bytes = id3v2;
        for (const runtime::Bytes& part : {frame(0, true), frame(fill, false), frame(fill, false), id3v1}) {
            bytes.insert(bytes.end(), part.begin(), part.end());
        }
        return bytes;
    };
    runtime::Bytes one = clip('a');
    EXPECT_EQ(join_mp3({one}), one) << "a single part is left as it is";
    runtime::Bytes joined = join_mp3({clip('a'), clip('b')});
    runtime::Bytes expected;
    for (char fill : {'a', 'a', 'b', 'b'}) {
        runtime::Bytes audio = frame(fill, false);
        expected.insert(expected.end(), audio.begin(), audio.end());
    }
    EXPECT_EQ(joined, expected);
    // Whatever the bytes, nothing is read past a part's end.
    EXPECT_EQ(join_mp3({{0xFF, 0xFB}, {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}}), (runtime::Bytes{0xFF, 0xFB}));
}

TEST(Speech, LongTextsAreSpokenInPartsWithinEachServicesLimit) {
    std::vector<std::string> requests;
    net::HttpSend lingva_server = [&](const net::HttpRequest& request) {
        requests.push_back(request.url);
        std::string body = R"({"audio": [73, 68, 51]})";
        return net::HttpReply{200, runtime::Bytes(body.begin(), body.end()), 0};
    };
    Choice lingva;
    lingva.engine = &lingva::engine();
    lingva.address = "http://l.test";
    Text text;
    for (int i = 0; i < 30; ++i) text += "Word number " + std::to_string(i) + " of a long text. ";
    std::optional<runtime::Bytes> clip = speak(lingva, text, "en", lingva_server);
    ASSERT_TRUE(clip);
    EXPECT_GE(requests.size(), (text.size() + 199) / 200);
    EXPECT_EQ(clip->size(), 3 * requests.size()) << "every part, in order";
    for (const std::string& url : requests) {
        Text spoken = url.substr(url.rfind('/') + 1);
        EXPECT_LE(spoken.size(), 200u * 3) << "at most 200 characters, each escaped to at most 3";
    }
    // A part refused: nothing is played.
    int answered = 0;
    net::HttpSend failing = [&](const net::HttpRequest&) {
        return ++answered == 2 ? net::HttpReply{500, {}, 0} : lingva_server(net::HttpRequest{});
    };
    EXPECT_FALSE(speak(lingva, text, "en", failing));
    EXPECT_FALSE(speak(lingva, "", "en", lingva_server)) << "nothing to say";

    // Google's speech counts bytes: 5,000 a request.
    std::vector<size_t> sizes;
    net::HttpSend google_server = [&](const net::HttpRequest& request) {
        sizes.push_back(request.body.size());
        std::string body = R"({"audioContent": "SUQz"})";
        return net::HttpReply{200, runtime::Bytes(body.begin(), body.end()), 0};
    };
    Choice google;
    google.engine = &google_cloud::engine();
    google.address = "https://tts.test";
    Text chinese;
    for (int i = 0; i < 4000; ++i) chinese += i % 50 == 49 ? "。" : "长";
    ASSERT_TRUE(speak(google, chinese, "zh-CN", google_server));
    EXPECT_EQ(sizes.size(), 3u);
    for (size_t size : sizes) EXPECT_LE(size, 5000u + 200u);
}
