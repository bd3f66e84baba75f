#include "files/pdf_report.h"

#include <hpdf.h>

#include <memory>
#include <optional>
#include <type_traits>

#include "core/c_format.h"
#include "core/date_time_text.h"
#include "core/direction_sector.h"
#include "files/atomic_file.h"

namespace {

constexpr char kTitle[] = "Kelvra USB Anemometer data report";
constexpr char kCreator[] = "Kelvra USB Anemometer";
constexpr char kColumnHeader[] =
    "Datum a cas,         Rychlost vetru prumer [m/s], Naraz vetru [m/s], Teplota [C], "
    "Wind chill prumer [C], Wind chill naraz [C], Beaufort prumer [-], Beaufort naraz [-], "
    "Smer vetru [-]";

constexpr HPDF_REAL kLeft = 20.0f;
constexpr HPDF_REAL kTopMargin = 20.0f;
constexpr HPDF_REAL kBottomMargin = 20.0f;
constexpr HPDF_REAL kHeadingStep = 14.0f;
constexpr HPDF_REAL kRowStep = 11.0f;
constexpr HPDF_REAL kHeadingSize = 10.0f;
constexpr HPDF_REAL kRowSize = 7.0f;

struct DocumentFree {
  void operator()(HPDF_Doc document) const { HPDF_Free(document); }
};
using Document = std::unique_ptr<std::remove_pointer_t<HPDF_Doc>, DocumentFree>;

HPDF_Date PdfDate(const SystemTime& time) {
  HPDF_Date date{};
  date.year = time.Year;
  date.month = time.Month;
  date.day = time.Day;
  date.hour = time.Hour;
  date.minutes = time.Minute;
  date.seconds = time.Second;
  date.ind = ' ';
  date.off_hour = 0;
  date.off_minutes = 0;
  return date;
}

bool SetFont(HPDF_Doc document, HPDF_Page page, const char* name, HPDF_REAL size, HPDF_Font& font) {
  font = HPDF_GetFont(document, name, nullptr);
  return font != nullptr && HPDF_Page_SetFontAndSize(page, font, size) == HPDF_OK;
}

bool DrawText(HPDF_Page page, HPDF_REAL y, const char* text) {
  return HPDF_Page_BeginText(page) == HPDF_OK &&
         HPDF_Page_TextOut(page, kLeft, y, text) == HPDF_OK && HPDF_Page_EndText(page) == HPDF_OK;
}

HPDF_Page AddLandscapePage(HPDF_Doc document) {
  HPDF_Page page = HPDF_AddPage(document);
  HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_LANDSCAPE);
  return page;
}

// Everything up to saving. Coordinates stay in single precision, as the layout was defined.
bool BuildReport(HPDF_Doc document, const RecordStore& records, const SystemTime& now) {
  const HPDF_Date date = PdfDate(now);
  if (HPDF_SetCompressionMode(document, HPDF_COMP_ALL) != HPDF_OK ||
      HPDF_SetInfoAttr(document, HPDF_INFO_TITLE, kTitle) != HPDF_OK ||
      HPDF_SetInfoAttr(document, HPDF_INFO_CREATOR, kCreator) != HPDF_OK ||
      HPDF_SetInfoDateAttr(document, HPDF_INFO_CREATION_DATE, date) != HPDF_OK ||
      HPDF_SetInfoDateAttr(document, HPDF_INFO_MOD_DATE, date) != HPDF_OK) {
    return false;
  }

  HPDF_Page page = AddLandscapePage(document);
  if (page == nullptr) return false;

  HPDF_Font font = nullptr;
  if (!SetFont(document, page, "Times-Bold", kHeadingSize, font)) return false;
  HPDF_REAL y = HPDF_Page_GetHeight(page) - kTopMargin;
  y -= kHeadingStep;
  if (!DrawText(page, y, kTitle)) return false;

  if (!SetFont(document, page, "Times-Roman", kHeadingSize, font)) return false;
  const std::string creationLine = "Dokument vytvoren: " + DateTimeText(now);
  y -= kHeadingStep;
  if (!DrawText(page, y, creationLine.c_str())) return false;
  y -= kHeadingStep;  // an empty line before the table

  HPDF_Font courier = nullptr;
  if (!SetFont(document, page, "Courier", kRowSize, courier)) return false;
  y -= kHeadingStep;
  if (!DrawText(page, y, kColumnHeader)) return false;

  for (const MeasurementRecord& record : records) {
    if (y - kRowStep < kBottomMargin) {
      // A failed continuation page shows up in the text calls on it.
      page = AddLandscapePage(document);
      HPDF_Page_SetFontAndSize(page, courier, kRowSize);
      y = HPDF_Page_GetHeight(page) - kTopMargin;
    }
    const std::string row = PdfRowText(record);
    y -= kRowStep;
    if (!DrawText(page, y, row.c_str())) return false;
  }
  return true;
}

// The finished document's bytes, built in memory: the PDF library does not check that its own
// file writes succeed, so the file is written by AtomicFile instead.
std::optional<std::string> DocumentBytes(HPDF_Doc document) {
  if (HPDF_SaveToStream(document) != HPDF_OK || HPDF_ResetStream(document) != HPDF_OK) {
    return std::nullopt;
  }
  const HPDF_UINT32 size = HPDF_GetStreamSize(document);
  std::string bytes(size, '\0');
  HPDF_UINT32 done = 0;
  while (done < size) {
    HPDF_UINT32 got = size - done;
    const HPDF_STATUS status =
        HPDF_ReadFromStream(document, reinterpret_cast<HPDF_BYTE*>(bytes.data() + done), &got);
    if ((status != HPDF_OK && status != HPDF_STREAM_EOF) || got == 0) return std::nullopt;
    done += got;
  }
  return bytes;
}

}  // namespace

std::string PdfRowText(const MeasurementRecord& record) {
  std::string row = DateTimeText(record.Time);
  const auto field = [&row](float value, int width) {
    row += ',';
    row += FormatFixed(static_cast<double>(value), width, 6);
  };
  field(record.AvgSpeed, 10);
  field(record.GustSpeed, 28);
  field(record.Temperature, 19);
  field(record.WindChillAvg, 12);
  field(record.WindChillGust, 22);
  field(record.BeaufortAvg, 20);
  field(record.BeaufortGust, 20);
  row += ',';
  row += PadLeft(SectorName(record.Sector), 14);
  row += '\n';
  return row;
}

PdfOutcome WritePdfReport(const std::filesystem::path& file, const RecordStore& records,
                          const SystemTime& now, FileCalls& calls) {
  // No error handler: every failure is read from the status or null result of its call.
  Document document(HPDF_New(nullptr, nullptr));
  if (!document) return PdfOutcome::CannotCreate;
  if (!BuildReport(document.get(), records, now)) return PdfOutcome::BuildFailed;
  const std::optional<std::string> bytes = DocumentBytes(document.get());
  if (!bytes || !ReplaceFileContents(file, *bytes, calls)) return PdfOutcome::SaveFailed;
  return PdfOutcome::Ok;
}
