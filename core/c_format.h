#pragma once

#include <optional>
#include <string>
#include <string_view>

// Number reading and writing with the C library's "%d", "%f" and "%Nf" rules in the C locale,
// independent of the process locale (Qt sets the user's locale at start; a decimal comma must
// never reach a file or a parse).

// Like sscanf("%d"): skips leading white space, takes an optional sign and the longest run of
// digits. nullopt when no digit was read or the value does not fit in 32 bits.
std::optional<int> ScanInt(std::string_view text);

// Like sscanf("%f") into a float, as glibc reads it: skips leading white space, takes the
// characters scanf takes (sign, decimal or hexadecimal digits, point, exponent, "inf",
// "infinity", "nan") and converts them as strtof does. nullopt where scanf converts nothing:
// no digit, a bare "0x", an unfinished "infin". scanf keeps what it took even when strtof
// does not use it, so "1e" reads as 1 and takes both characters, "3ENE" takes "3E".
// *consumed, when given, receives the number of characters taken. A number too large for
// float gives infinity and one too small gives 0; callers refuse what they must not store.
std::optional<float> ScanFloat(std::string_view text, std::size_t* consumed = nullptr);

// Like printf("%*.*f", width, precision, value): fixed notation, full stop, right-aligned
// in at least width characters; a negative width left-aligns, a negative precision means 6.
// No number and infinity print as glibc prints them: "nan", "-nan", "inf", "-inf".
std::string FormatFixed(double value, int width = 0, int precision = 6);

// Like printf("%*s", width, text): right-aligned in at least width characters.
std::string PadLeft(std::string_view text, std::size_t width);

// Letter case as the C locale sees it: only A-Z and a-z, whatever the process locale, so names
// in files and on the command line compare the same everywhere.
char AsciiLower(char c);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
