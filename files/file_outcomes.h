#pragma once

// What a file operation ended with. Each value other than Ok has exactly one message text
// (file_messages.h), shown by the caller in an error box.

// Save and the live log.
enum class FileOutcome {
  Ok,
  CannotOpen,   // "Cannot open file: " + name
  CannotWrite,  // "Cannot write file: " + name
};

// Open (reading a data file).
enum class ReadOutcome {
  Ok,
  CannotOpen,           // "Cannot open file: " + name
  CannotRead,           // "Cannot read from input file."
  IncorrectLineFormat,  // "Incorrect line format."
  IncorrectDateFormat,  // "Incorrect date format."
  UnknownDirection,     // "Unknown wind direction string."
};

// The PDF report.
enum class PdfOutcome {
  Ok,
  CannotCreate,  // "Cannot create PDF object."
  BuildFailed,   // "Error occured while creating PDF document."
  SaveFailed,    // "Error saving PDF file."
};
