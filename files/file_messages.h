#pragma once

#include <string>
#include <string_view>

#include "files/file_outcomes.h"

// The error-box text for an outcome, exactly as the user sees it (caption "Error"). fileName is
// the name the user chose, as it should appear in the message. Ok gives the empty text.
std::string OutcomeMessage(FileOutcome outcome, std::string_view fileName);
std::string OutcomeMessage(ReadOutcome outcome, std::string_view fileName);
std::string OutcomeMessage(PdfOutcome outcome);
