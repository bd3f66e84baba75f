#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

// Opening for reading only what is a regular file. A pipe, a device or a directory in place of a
// file must not block the program or feed it without end, so the file is opened without waiting
// and checked before anything is read.

// A descriptor for reading, in blocking mode; -1 when the file cannot be opened or is not a
// regular file (a link is followed to what it points at).
int OpenRegularFileForReading(const std::filesystem::path& file);

// A descriptor for a log: every write goes to the end, whoever else appends to the file, and the
// file is also readable when its permissions allow. Created when missing (mode 0666 less the
// umask); with empty, what it held is dropped. -1 when it cannot be opened (a pipe without a
// reader cannot), with *notRegular set when it exists but is not a regular file (nothing is
// changed then).
int OpenRegularFileForAppending(const std::filesystem::path& file, bool* notRegular, bool empty);

// The whole file; nullopt when it cannot be opened, is not a regular file, holds more than
// maxBytes or a read fails.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes);
