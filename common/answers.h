// Console answers: both programs read their parameters as white-space-separated tokens
// from standard input, so answers can be typed ahead or piped in from a file.
//
// A token must be a number of the required kind as a whole: "12abc" is not an integer
// and "3.5" is not one either. Integers are 32-bit signed decimal numbers with an
// optional sign. Reals are converted straight from their decimal text to the nearest
// float (never through a double, which would round twice) and must be finite.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// White space between tokens: blank, tab, line feed, vertical tab, form feed, carriage
// return (the characters formatted input skips).
bool is_token_space(int c);

// Reads the next token from the stream; false at the end of input with no token.
bool read_token(std::FILE* in, std::string& token);

std::optional<int32_t> parse_int32(std::string_view token);
std::optional<float> parse_finite_float(std::string_view token);

// One prompted answer of each kind. Each prints nothing itself: the program prints the
// prompt, flushes, and then calls these. On a missing, malformed or out-of-range answer
// they end the program with a line naming the answer and what it accepts.
//   name:  the answer as the user knows it ("number of individuals")
//   range: the accepted values in words ("a whole number from 1 to 16777216")
int32_t answer_int32(std::FILE* in, const char* name, int32_t lowest, int32_t highest);
// A finite number; when `accept` is given it must also hold for the value.
float answer_float(std::FILE* in, const char* name, const char* range,
                   bool (*accept)(float) = nullptr);
std::string answer_file_name(std::FILE* in, const char* name);
// The seed: any 32-bit whole number. A positive seed is replaced by its negation at
// once (the seeding convention of both programs), so s and -s give the same stream.
int32_t answer_seed(std::FILE* in);

// Ends the program for an answer that was read but is outside what the program accepts.
[[noreturn]] void reject_answer(const char* name, const char* range, std::string_view token);

// Prints a prompt and makes sure it is visible before the answer is read.
void prompt(const char* text);
