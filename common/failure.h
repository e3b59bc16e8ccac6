// How both programs end on a detected failure: one line on standard output, exit
// status 1. Callers check answers and files before opening anything for writing, so a
// failure leaves every file the user did not ask to be written as it was.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

[[noreturn]] void fail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Closes a file the program wrote; when a write failed (`written` false) or the close
// does, ends the program with "error writing file NAME: reason".
void close_written_file(std::FILE* file, bool written, const char* name);

// A token as a message can show it: at most 40 characters, quoted, with bytes that
// are not printable ASCII written as \xNN, and "..." when it was cut.
std::string quoted_for_message(std::string_view token);
