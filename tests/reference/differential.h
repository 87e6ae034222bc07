// The UTF-8 program against the classic GBK code on the same input: every request, result, spoken
// text and command line compared. Each check returns a description of the first difference, or
// an empty text when the two agree.
#pragma once

#include <string>

namespace differential {

// A source text (GBK bytes, well-formed): the pieces the algorithm asks for and its result, the
// request URLs, the recognition, the texts spoken with their URLs and the browser's command line.
std::string check_source(const std::string& gbk_source);

// A reply as the classic endpoint sends it (UTF-8 with percent escapes, any bytes): the text shown
// with and without the dictionary, for every reply whose decoded text GBK can hold.
std::string check_reply(const std::string& reply, const std::string& source_code);

// Whether every byte of 128 or more is the lead of a valid GBK pair (the euro sign, a single byte
// the classic code misread, is left out).
bool is_well_formed_gbk(const std::string& text);

}  // namespace differential
