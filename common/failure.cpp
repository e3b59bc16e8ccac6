#include "common/failure.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <cstdio>
#include <cstdlib>

void fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    std::exit(1);
}

void close_written_file(std::FILE* file, bool written, const char* name) {
    const int write_error = errno;  // set by the write that failed
    if (std::fclose(file) != 0 && written) fail("error writing file %s: %s", name, std::strerror(errno));
    if (!written) fail("error writing file %s: %s", name, std::strerror(write_error));
}

std::string quoted_for_message(std::string_view token) {
    constexpr std::size_t shown = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < token.size() && i < shown; ++i) {
        const auto c = static_cast<unsigned char>(token[i]);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    if (token.size() > shown) out += "...";
    out += "\"";
    return out;
}
