#include "common/answers.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/failure.h"
#include "common/precision.h"

bool is_token_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool read_token(std::FILE* in, std::string& token) {
    token.clear();
    int c = std::getc(in);
    while (c != EOF && is_token_space(c)) c = std::getc(in);
    if (c == EOF) return false;
    while (c != EOF && !is_token_space(c)) {
        token.push_back(static_cast<char>(c));
        c = std::getc(in);
    }
    // The white space that ended the token is consumed, as formatted input would
    // consume it before the next conversion anyway.
    return true;
}

std::optional<int32_t> parse_int32(std::string_view token) {
    // An optional sign, then decimal digits only, the whole token.
    std::string_view number = token;
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    const std::size_t digits_from = !number.empty() && number[0] == '-' ? 1 : 0;
    if (number.size() == digits_from) return std::nullopt;
    for (std::size_t i = digits_from; i < number.size(); ++i)
        if (number[i] < '0' || number[i] > '9') return std::nullopt;
    if (number.size() != token.size() && digits_from == 1) return std::nullopt;  // "+-5"
    int32_t value = 0;
    const char* last = number.data() + number.size();
    const auto [end, error] = std::from_chars(number.data(), last, value);
    if (error != std::errc() || end != last) return std::nullopt;  // outside 32 bits
    return value;
}

std::optional<float> parse_finite_float(std::string_view token) {
    if (token.empty()) return std::nullopt;
    // strtof needs a terminated string and stops at an embedded NUL; the whole token
    // must be consumed, so a NUL makes it malformed.
    const std::string text(token);
    if (is_token_space(static_cast<unsigned char>(text[0]))) return std::nullopt;
    char* end = nullptr;
    // strtof rounds the decimal text once, straight to the nearest float. Underflow to
    // a subnormal or to zero is the nearest float and is kept; overflow gives infinity
    // and is refused below.
    const float value = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

namespace {
// True while the last prompt left its line open ("Type output file name "), so that
// a message about its answer starts on a line of its own.
bool prompt_line_open = false;

void close_prompt_line() {
    if (prompt_line_open) std::fputc('\n', stdout);
    prompt_line_open = false;
}

[[noreturn]] void reject_missing(const char* name, const char* range) {
    close_prompt_line();
    fail("%s: expected %s, got end of input", name, range);
}
}  // namespace

void prompt(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
    const std::size_t length = std::strlen(text);
    prompt_line_open = length > 0 && text[length - 1] != '\n';
}

void reject_answer(const char* name, const char* range, std::string_view token) {
    close_prompt_line();
    fail("%s: expected %s, got %s", name, range, quoted_for_message(token).c_str());
}

int32_t answer_int32(std::FILE* in, const char* name, int32_t lowest, int32_t highest) {
    char range[96];
    std::snprintf(range, sizeof range, "a whole number from %d to %d", lowest, highest);
    std::string token;
    if (!read_token(in, token)) reject_missing(name, range);
    const std::optional<int32_t> value = parse_int32(token);
    if (!value || *value < lowest || *value > highest) reject_answer(name, range, token);
    return *value;
}

float answer_float(std::FILE* in, const char* name, const char* range, bool (*accept)(float)) {
    std::string token;
    if (!read_token(in, token)) reject_missing(name, range);
    const std::optional<float> value = parse_finite_float(token);
    if (!value || (accept != nullptr && !accept(*value))) reject_answer(name, range, token);
    return *value;
}

int32_t answer_seed(std::FILE* in) {
    const int32_t seed = answer_int32(in, "seed", INT32_MIN, INT32_MAX);
    return seed > 0 ? -seed : seed;
}

std::string answer_file_name(std::FILE* in, const char* name) {
    const char* range = "a file name";
    std::string token;
    if (!read_token(in, token)) reject_missing(name, range);
    if (token.find('\0') != std::string::npos) {
        close_prompt_line();
        fail("%s: %s contains a NUL byte, which no file name can hold", name,
             quoted_for_message(token).c_str());
    }
    prompt_line_open = false;  // the echo that follows starts with a line feed
    return token;
}
