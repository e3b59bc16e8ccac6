// A stream that holds exactly the given text (NUL bytes included), for the readers.
#pragma once

#include <cstdio>
#include <string>

inline std::FILE* stream_of(const std::string& text) {
    std::FILE* in = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), in);
    std::rewind(in);
    return in;
}
