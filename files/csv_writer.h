#pragma once

#include <filesystem>

#include "file_outcomes.h"
#include "record_store.h"

// Writes the header and every record, oldest first, through one buffered stream that is flushed
// when it is closed. The file is created or emptied. CannotWrite when any write fails, the final
// flush and close included (a full disk often shows only there); what was written stays.
FileOutcome SaveCsv(const std::filesystem::path& file, const RecordStore& records);
