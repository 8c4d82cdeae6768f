// Reading caves for the developer tools: a cave record file or a built-in
// set, checked, laid out as a set in which the cave plays as number K.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tools' way out on bad input: "NAME: message" on standard error and
// exit status 2.
extern const char* tool_name;
[[noreturn]] void tool_fail(const std::string& msg);

std::string read_file(const std::string& path);

// A set to point `nazev` at: the record of `cave_file` placed as cave
// `number`, or the built-in set `set_name` (whose cave `number` must exist).
std::vector<uint8_t> cave_set(const std::string& cave_file, const std::string& set_name, long number);
