#include "common/metafile.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/answers.h"
#include "common/failure.h"

bool write_metacommunity(std::FILE* out, int32_t count, const float* values) {
    bool ok = std::fprintf(out, "%d\n", count) >= 0;
    for (int32_t k = 0; k < count; ++k)
        ok = std::fprintf(out, "%f\n", static_cast<double>(values[k])) >= 0 && ok;
    return ok;
}

namespace {
std::string format(const char* pattern, long long number, const std::string& text = {}) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, number, text.c_str());
    return buffer;
}

// Is the token a number at all, finite or not (for a clearer message)?
bool is_number_text(const std::string& token) {
    if (token.empty() || token.find('\0') != std::string::npos) return false;
    char* end = nullptr;
    std::strtof(token.c_str(), &end);
    return end == token.c_str() + token.size() && !is_token_space(token[0]);
}
}  // namespace

bool read_metacommunity(std::FILE* in, Metacommunity& meta, std::string& error) {
    meta.values.clear();
    meta.total = 0.0f;
    std::string token;
    if (!read_token(in, token)) {
        error = "is empty; it must start with the count of species";
        return false;
    }
    const std::optional<int32_t> count = parse_int32(token);
    if (!count) {
        error = "does not start with a count of species: found " + quoted_for_message(token);
        return false;
    }
    if (*count < 1) {
        error = format("has a count of species of %lld; it must be at least 1", *count);
        return false;
    }
    for (int32_t k = 1; k <= *count; ++k) {
        if (!read_token(in, token)) {
            error = format("holds %lld values but its count of species says %s", k - 1,
                           std::to_string(*count));
            return false;
        }
        const std::optional<float> value = parse_finite_float(token);
        if (!value) {
            error = format(is_number_text(token) ? "has value %lld %s, which is not finite"
                                                 : "has value %lld %s, which is not a number",
                           k, quoted_for_message(token));
            return false;
        }
        if (*value < 0.0f) {
            error = format("has value %lld %s, which is negative", k, quoted_for_message(token));
            return false;
        }
        meta.values.push_back(*value);
        meta.total = meta.total + *value;  // every partial sum rounded to single
    }
    if (!(meta.total > 0.0f)) {
        error = "has values that add up to 0; at least one must be above 0";
        return false;
    }
    if (!std::isfinite(meta.total)) {
        error = "has values whose total is too large for single precision (above 3.4e38)";
        return false;
    }
    return true;
}
