// Fuzz target for the console answer reader: the input is what a user might pipe in.
// It is split into tokens, and each token is read as every kind of answer. Checked:
// - the tokens are exactly the maximal runs of non-white-space bytes, in order;
// - an accepted whole number is in 32 bits and prints back as the same digits (after
//   an optional '+', leading zeros, and "-0" written as "0");
// - an accepted number is finite and is the float strtof gives for the whole token;
// - a file name is accepted exactly when it holds no NUL byte.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/answers.h"

namespace {
[[noreturn]] void broken(const char* what, const std::string& token) {
    std::fprintf(stderr, "invariant broken: %s (token of %zu bytes)\n", what, token.size());
    std::abort();
}

std::vector<std::string> split_on_white_space(const uint8_t* data, size_t size) {
    std::vector<std::string> tokens;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (is_token_space(data[i])) {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

bool is_signed_digits(const std::string& token) {
    const size_t from = !token.empty() && (token[0] == '+' || token[0] == '-') ? 1 : 0;
    return from < token.size() && token.find_first_not_of("0123456789", from) == std::string::npos;
}

std::string canonical_digits(const std::string& token) {
    std::string digits = token;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    const size_t first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? "0" : digits.substr(first);
    return negative && digits != "0" ? "-" + digits : digits;
}

void check_token(const std::string& token) {
    if (token.empty()) broken("empty token", token);
    for (const char c : token)
        if (is_token_space(static_cast<unsigned char>(c))) broken("white space inside a token", token);

    if (const std::optional<int32_t> value = parse_int32(token)) {
        if (!is_signed_digits(token)) broken("accepted integer is not sign and digits", token);
        if (std::to_string(*value) != canonical_digits(token)) broken("integer does not round-trip", token);
    } else if (is_signed_digits(token)) {
        std::string digits = canonical_digits(token);
        if (digits[0] == '-') digits.erase(0, 1);
        if (digits.size() <= 9) broken("a whole number within 32 bits was refused", token);
    }

    if (const std::optional<float> value = parse_finite_float(token)) {
        if (!std::isfinite(*value)) broken("accepted number is not finite", token);
        if (token.find('\0') != std::string::npos) broken("accepted number holds a NUL", token);
        char* end = nullptr;
        const float expected = std::strtof(token.c_str(), &end);
        if (end != token.c_str() + token.size()) broken("accepted number is not a whole token", token);
        if (std::memcmp(&expected, &*value, sizeof(float)) != 0) broken("number is not strtof's float", token);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (in == nullptr) return 0;  // fmemopen refuses a size of 0
    std::vector<std::string> tokens;
    std::string token;
    while (read_token(in, token)) tokens.push_back(token);
    std::fclose(in);
    if (tokens != split_on_white_space(data, size)) broken("tokens differ from the white-space split", token);
    for (const std::string& each : tokens) check_token(each);
    return 0;
}
