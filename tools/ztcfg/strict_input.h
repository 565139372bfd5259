// Input from outside (profiles, desired states, command lines) read strictly:
// what a share, a script or a typo hands over is refused with the place named,
// never reinterpreted (a wrapped number, a string cut at a NUL, the last of two
// equal keys).
#pragma once
#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t MaxInputBytes = 1024 * 1024;  // far more than any profile needs
constexpr size_t MaxJsonDepth = 16;            // a profile needs three levels
constexpr size_t MaxObjectKeys = 256;          // a profile's objects have a dozen

// Parses `text`. False with `why` naming the place (a JSON pointer) for malformed
// or truncated text, text over MaxInputBytes, nesting deeper than MaxJsonDepth,
// an object with more than MaxObjectKeys keys, a key given twice in one object,
// or a string or key holding a NUL character. The tree is built while parsing
// and never deeper than MaxJsonDepth, so copying and destroying it stays bounded.
bool ParseStrictJson(const std::string& text, nlohmann::ordered_json* json, std::string* why);

// The whole of a file, or of standard input, when it is at most MaxInputBytes.
bool ReadInputFile(const std::string& path, std::string* text, std::string* why);
bool ReadStandardInput(std::string* text, std::string* why);

// A JSON integer (not 1.0, 1e2 or "1") from `low` to `high`.
bool JsonIntegerIn(const nlohmann::ordered_json& value, long long low, long long high, long long* number);

// A decimal number as a command line gives it: digits only (no sign, space or
// exponent), from `low` to `high`.
bool ParseDecimal(const std::string& text, long long low, long long high, long long* number);

// "0x" and one to eight hexadecimal digits (no sign or space), at most `high`.
bool ParseHex(const std::string& text, uint32_t high, uint32_t* number);

// A JSON pointer token ("/rows/0/row"), with ~ and / escaped and control characters shown.
std::string PointerToken(const std::string& key);
