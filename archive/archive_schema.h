#pragma once

#include <cstdint>

class SqliteConnection;

// The archive's tables. The file says it is ours (application_id "KANM") and which layout it
// has (user_version); a file of another program or of a newer layout is refused, never changed.
inline constexpr std::int64_t kArchiveApplicationId = 0x4B414E4D;
inline constexpr std::int64_t kArchiveSchemaVersion = 1;

// Checks that the file is an archive this program can read; with create, makes the tables in a
// new (empty) file first. Throws ArchiveError.
void PrepareArchiveSchema(SqliteConnection& connection, bool create);
