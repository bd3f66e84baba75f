#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The broker password, kept out of places other processes can read.

// The value of the environment variable name, which is then removed from the environment and
// wiped from the memory that /proc/PID/environ shows, so that it is not readable for as long as
// the program runs. nullopt when it is not set. Call before any thread starts.
std::optional<std::string> TakeSecretFromEnvironment(const char* name);

// The first line of a file (a password file, a systemd credential) without its line end;
// nullopt when the file cannot be read, is not a regular file or is larger than 64 KiB.
std::optional<std::string> ReadSecretFile(const std::filesystem::path& file);
