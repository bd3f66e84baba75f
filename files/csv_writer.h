#pragma once

#include <filesystem>

#include "core/record_store.h"
#include "files/file_calls.h"
#include "files/file_outcomes.h"

// Writes the header and every record, oldest first, replacing the file all or nothing
// (atomic_file.h): on any failure the previous file stays as it was. CannotOpen when no file can
// be created in the folder; CannotWrite when the target exists but is not a regular file or any
// write, the sync or the close fails (a full disk often shows only there).
FileOutcome SaveCsv(const std::filesystem::path& file, const RecordStore& records,
                    FileCalls& calls = SystemFileCalls());
