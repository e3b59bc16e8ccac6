#include "common/answers.h"

#include <gtest/gtest.h>

#include "text_stream.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {
std::vector<std::string> tokens_of(const std::string& text) {
    std::FILE* in = stream_of(text);
    std::vector<std::string> tokens;
    std::string token;
    while (read_token(in, token)) tokens.push_back(token);
    std::fclose(in);
    return tokens;
}

uint32_t bits(float value) {
    uint32_t pattern;
    std::memcpy(&pattern, &value, 4);
    return pattern;
}
}  // namespace

TEST(Answers, TokensAreSeparatedByAnyWhiteSpace) {
    using Tokens = std::vector<std::string>;
    struct Case {
        std::string text;
        Tokens expected;
    } cases[] = {
        {"5\n0.1\nout.txt\n", {"5", "0.1", "out.txt"}},
        {"5 0.1   out.txt", {"5", "0.1", "out.txt"}},          // typed ahead, no final newline
        {"5\r\n0.1\r\nout.txt\r\n", {"5", "0.1", "out.txt"}},  // CR LF line ends
        {"\t5\t\v0.1\f", {"5", "0.1"}},
        {"", {}},
        {" \n\t ", {}},
        {"my file.txt", {"my", "file.txt"}},  // a name ends at the blank
        {std::string("a\0b c", 5), {std::string("a\0b", 3), "c"}},
        {"\xEF\xBB\xBF" "12", {"\xEF\xBB\xBF" "12"}},  // a byte-order mark sticks to the token
    };
    for (const Case& c : cases) EXPECT_EQ(tokens_of(c.text), c.expected) << c.text;
}

TEST(Answers, VeryLongTokenIsReadWhole) {
    const std::string name(1000000, 'x');
    EXPECT_EQ(tokens_of(name + " next"), (std::vector<std::string>{name, "next"}));
}

TEST(Answers, Int32AcceptsOnlyWholeDecimalNumbersIn32Bits) {
    struct Case {
        const char* token;
        std::optional<int32_t> expected;
    } cases[] = {
        {"0", 0},
        {"12", 12},
        {"+12", 12},
        {"-12", -12},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"3.5", std::nullopt},
        {"1e3", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-5", std::nullopt},
        {"--5", std::nullopt},
        {"0x10", std::nullopt},
        {"\xEF\xBB\xBF" "12", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parse_int32(c.token), c.expected) << '"' << c.token << '"';
}

TEST(Answers, FloatIsTheNearestSingleValueOfTheWholeToken) {
    struct Case {
        const char* token;
        std::optional<float> expected;
    } cases[] = {
        {"0.1", 0.1f},
        {"50", 50.0f},
        {"-1", -1.0f},
        {"+2.5", 2.5f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {"1e-3", 1e-3f},
        {"1E2", 100.0f},
        {"0x1p-3", 0.125f},
        {"1e-50", 0.0f},  // underflows to the nearest float, 0
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"-infinity", std::nullopt},
        {"1e39", std::nullopt},  // beyond the float range
        {"abc", std::nullopt},
        {"0.5x", std::nullopt},
        {"1,5", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<float> got = parse_finite_float(c.token);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << '"' << c.token << '"';
        if (got) {
            EXPECT_EQ(bits(*got), bits(*c.expected)) << '"' << c.token << '"';
        }
    }
}

// 1 + 2^-24 + 10^-24 lies just above the midpoint of 1 and 1 + 2^-23. Straight to
// single it rounds up; through a double it first lands on the midpoint and then ties
// to even, down to 1.
TEST(Answers, FloatIsNotRoundedThroughADouble) {
    const char* text = "1.000000059604644775390626";
    const float through_double = static_cast<float>(std::strtod(text, nullptr));
    ASSERT_EQ(through_double, 1.0f);
    EXPECT_EQ(parse_finite_float(text), 1.0f + 0x1p-23f);
}
