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

// A descriptor for writing a regular file from its start, emptied, created when missing (mode
// 0666 less the umask); -1 when it cannot be opened (a pipe without a reader cannot) and
// *notRegular set when it exists but is not a regular file (nothing is changed then). With
// append, the content is kept and every write goes to the end.
int OpenRegularFileForWriting(const std::filesystem::path& file, bool* notRegular,
                              bool append = false);

// The whole file; nullopt when it cannot be opened, is not a regular file, holds more than
// maxBytes or a read fails.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes);
