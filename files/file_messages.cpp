#include "files/file_messages.h"

namespace {

std::string CannotOpen(std::string_view fileName) {
  return "Cannot open file: " + std::string(fileName);
}

}  // namespace

std::string OutcomeMessage(FileOutcome outcome, std::string_view fileName) {
  switch (outcome) {
    case FileOutcome::Ok:
      return {};
    case FileOutcome::CannotOpen:
      return CannotOpen(fileName);
    case FileOutcome::CannotWrite:
      return "Cannot write file: " + std::string(fileName);
  }
  return {};
}

std::string OutcomeMessage(ReadOutcome outcome, std::string_view fileName) {
  switch (outcome) {
    case ReadOutcome::Ok:
      return {};
    case ReadOutcome::CannotOpen:
      return CannotOpen(fileName);
    case ReadOutcome::CannotRead:
      return "Cannot read from input file.";
    case ReadOutcome::IncorrectLineFormat:
      return "Incorrect line format.";
    case ReadOutcome::IncorrectDateFormat:
      return "Incorrect date format.";
    case ReadOutcome::UnknownDirection:
      return "Unknown wind direction string.";
  }
  return {};
}

std::string OutcomeMessage(PdfOutcome outcome) {
  switch (outcome) {
    case PdfOutcome::Ok:
      return {};
    case PdfOutcome::CannotCreate:
      return "Cannot create PDF object.";
    case PdfOutcome::BuildFailed:
      return "Error occured while creating PDF document.";
    case PdfOutcome::SaveFailed:
      return "Error saving PDF file.";
  }
  return {};
}
