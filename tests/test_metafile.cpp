#include "common/metafile.h"

#include <gtest/gtest.h>

#include "text_stream.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c = std::getc(file); c != EOF; c = std::getc(file)) text.push_back(static_cast<char>(c));
    return text;
}
}  // namespace

TEST(MetacommunityFile, WritesTheCountThenOneValuePerLine) {
    struct Case {
        std::vector<float> values;
        std::string expected;
    } cases[] = {
        {{71.25f, 21.875f, 6.875f}, "3\n71.250000\n21.875000\n6.875000\n"},
        {{100.0f}, "1\n100.000000\n"},
        {{}, "0\n"},                          // metagen with no runs
        {{0.0000004f, 0.0000006f}, "2\n0.000000\n0.000001\n"},
        {{66.699997f}, "1\n66.699997\n"},     // the float widened, not rounded to 6 digits first
    };
    for (const Case& c : cases) {
        std::FILE* out = std::tmpfile();
        EXPECT_TRUE(write_metacommunity(out, static_cast<int32_t>(c.values.size()), c.values.data()));
        EXPECT_EQ(contents(out), c.expected);
        std::fclose(out);
    }
}

TEST(MetacommunityFile, ReportsAFailedWrite) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    std::setvbuf(full, nullptr, _IONBF, 0);  // make the write reach the device at once
    const float values[] = {1.0f};
    EXPECT_FALSE(write_metacommunity(full, 1, values));
    std::fclose(full);
}

TEST(MetacommunityFile, ReadsAnyLayoutOfTheSameNumbers) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<float> values;
        float total;
    } cases[] = {
        {"as written", "3\n71.250000\n21.875000\n6.875000\n", {71.25f, 21.875f, 6.875f}, 100.0f},
        {"one line", "3 71.25 21.875 6.875", {71.25f, 21.875f, 6.875f}, 100.0f},
        {"CR LF", "3\r\n71.25\r\n21.875\r\n6.875\r\n", {71.25f, 21.875f, 6.875f}, 100.0f},
        {"blank lines and tabs", "\n3\n\n\t71.25\n\n21.875 6.875\n\n", {71.25f, 21.875f, 6.875f}, 100.0f},
        {"text after the last value", "2\n2\n1\nwritten by hand\n", {2.0f, 1.0f}, 3.0f},
        {"more values than the count", "1 5 6 7", {5.0f}, 5.0f},
        {"signs and exponents", "+2 +1e1 0.5E1", {10.0f, 5.0f}, 15.0f},
        {"zero weights", "3 0 1 0", {0.0f, 1.0f, 0.0f}, 1.0f},
        {"no final newline", "1\n4", {4.0f}, 4.0f},
    };
    for (const Case& c : cases) {
        std::FILE* in = stream_of(c.text);
        Metacommunity meta;
        std::string error;
        EXPECT_TRUE(read_metacommunity(in, meta, error)) << c.name << ": " << error;
        EXPECT_EQ(meta.values, c.values) << c.name;
        EXPECT_EQ(meta.total, c.total) << c.name;
        std::fclose(in);
    }
}

// The total is formed in single precision in file order: 2^24 + 1 + 1 stays 2^24.
TEST(MetacommunityFile, TotalIsASinglePrecisionSumInFileOrder) {
    std::FILE* in = stream_of("3 16777216 1 1");
    Metacommunity meta;
    std::string error;
    ASSERT_TRUE(read_metacommunity(in, meta, error));
    EXPECT_EQ(meta.total, 16777216.0f);
    std::fclose(in);
}

TEST(MetacommunityFile, RefusesFilesOutsideWhatTheSimulatorCanUse) {
    struct Case {
        std::string text;
        std::string error;
    } cases[] = {
        {"", "is empty; it must start with the count of species"},
        {"  \n\r\n", "is empty; it must start with the count of species"},
        {"species 3\n", "does not start with a count of species: found \"species\""},
        {"3.5\n1 2 3\n", "does not start with a count of species: found \"3.5\""},
        {"99999999999 1\n", "does not start with a count of species: found \"99999999999\""},
        {"0\n", "has a count of species of 0; it must be at least 1"},
        {"-4\n1 2 3 4\n", "has a count of species of -4; it must be at least 1"},
        {"3\n1\n2\n", "holds 2 values but its count of species says 3"},
        {"2147483647\n1 2 3\n", "holds 3 values but its count of species says 2147483647"},
        {"2\n1\nabc\n", "has value 2 \"abc\", which is not a number"},
        {"2\n1\n2,5\n", "has value 2 \"2,5\", which is not a number"},
        {"2\nnan\n1\n", "has value 1 \"nan\", which is not finite"},
        {"2\n1\ninf\n", "has value 2 \"inf\", which is not finite"},
        {"1\n1e39\n", "has value 1 \"1e39\", which is not finite"},
        {"3\n1\n-0.5\n2\n", "has value 2 \"-0.5\", which is negative"},
        {"2\n0\n0.000000\n", "has values that add up to 0; at least one must be above 0"},
        {"2\n3e38\n3e38\n", "has values whose total is too large for single precision (above 3.4e38)"},
    };
    for (const Case& c : cases) {
        std::FILE* in = stream_of(c.text);
        Metacommunity meta;
        std::string error;
        EXPECT_FALSE(read_metacommunity(in, meta, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        std::fclose(in);
    }
}
