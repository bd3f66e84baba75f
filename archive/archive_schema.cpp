#include "archive/archive_schema.h"

#include <string>

#include "archive/sqlite_connection.h"

namespace {

// Values are whole millionths (see stored_record.h); record_values shows them in SI units for
// whoever reads the file with SQL.
constexpr char kCreateTables[] = R"sql(
CREATE TABLE stations(
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE);
CREATE TABLE records(
  station INTEGER NOT NULL,
  time INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  utc_offset INTEGER NOT NULL,
  interval INTEGER NOT NULL,
  avg_speed INTEGER NOT NULL,
  gust_speed INTEGER NOT NULL,
  sector INTEGER NOT NULL,
  temperature INTEGER NOT NULL,
  wind_chill_avg INTEGER NOT NULL,
  wind_chill_gust INTEGER NOT NULL,
  beaufort_avg INTEGER NOT NULL,
  beaufort_gust INTEGER NOT NULL,
  made_up INTEGER NOT NULL,
  PRIMARY KEY(station, time, seq)) WITHOUT ROWID;
CREATE TABLE summaries(
  station INTEGER NOT NULL,
  resolution INTEGER NOT NULL,
  start INTEGER NOT NULL,
  count INTEGER NOT NULL,
  duration INTEGER NOT NULL,
  speed_sum REAL NOT NULL,
  wind_run REAL NOT NULL,
  speed_min INTEGER NOT NULL, speed_min_time INTEGER NOT NULL,
  speed_max INTEGER NOT NULL, speed_max_time INTEGER NOT NULL,
  gust_max INTEGER NOT NULL, gust_max_time INTEGER NOT NULL, gust_max_sector INTEGER NOT NULL,
  vector_east REAL NOT NULL, vector_north REAL NOT NULL,
  calm_count INTEGER NOT NULL,
  temperature_sum REAL NOT NULL, temperature_time_sum REAL NOT NULL,
  temperature_min INTEGER NOT NULL, temperature_min_time INTEGER NOT NULL,
  temperature_max INTEGER NOT NULL, temperature_max_time INTEGER NOT NULL,
  wind_chill_min INTEGER NOT NULL, wind_chill_min_time INTEGER NOT NULL,
  sectors BLOB NOT NULL,
  PRIMARY KEY(station, resolution, start)) WITHOUT ROWID;
CREATE TABLE deliveries(
  station INTEGER NOT NULL,
  target TEXT NOT NULL,
  time INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  PRIMARY KEY(station, target)) WITHOUT ROWID;
CREATE VIEW record_values AS
  SELECT stations.name AS station,
         datetime(time + utc_offset, 'unixepoch') AS local_time,
         time AS utc_seconds, seq, interval,
         avg_speed / 1e6 AS avg_speed, gust_speed / 1e6 AS gust_speed, sector,
         temperature / 1e6 AS temperature, wind_chill_avg / 1e6 AS wind_chill_avg,
         wind_chill_gust / 1e6 AS wind_chill_gust, beaufort_avg / 1e6 AS beaufort_avg,
         beaufort_gust / 1e6 AS beaufort_gust, made_up
  FROM records JOIN stations ON stations.id = records.station;
)sql";

std::string Describe(const SqliteConnection& connection, const char* what) {
  return connection.File().string() + ": " + what;
}

}  // namespace

void PrepareArchiveSchema(SqliteConnection& connection, bool create) {
  // The first read tells an SQLite file from anything else (SQLITE_NOTADB).
  const std::int64_t applicationId = connection.QueryInt("PRAGMA application_id");
  const std::int64_t version = connection.QueryInt("PRAGMA user_version");
  const std::int64_t objects = connection.QueryInt("SELECT count(*) FROM sqlite_schema");
  if (applicationId == 0 && version == 0 && objects == 0) {
    if (!create)
      throw ArchiveError(ArchiveFault::NotAnArchive,
                         Describe(connection, "empty file, not an archive"));
    connection.Execute("BEGIN IMMEDIATE");
    try {
      connection.Execute(kCreateTables);
      connection.Execute(
          ("PRAGMA application_id = " + std::to_string(kArchiveApplicationId)).c_str());
      connection.Execute(
          ("PRAGMA user_version = " + std::to_string(kArchiveSchemaVersion)).c_str());
      connection.Execute("COMMIT");
    } catch (...) {
      try {
        connection.Execute("ROLLBACK");
      } catch (const ArchiveError&) {
      }
      throw;
    }
    return;
  }
  if (applicationId != kArchiveApplicationId) {
    throw ArchiveError(ArchiveFault::NotAnArchive,
                       Describe(connection, "an SQLite file of another program, not an archive"));
  }
  if (version > kArchiveSchemaVersion) {
    throw ArchiveError(ArchiveFault::NewerSchema,
                       Describe(connection, ("written by a newer version of the program (layout " +
                                             std::to_string(version) + ", this one reads up to " +
                                             std::to_string(kArchiveSchemaVersion) + ")")
                                                .c_str()));
  }
}
