#include "archive/sqlite_connection.h"

#include <sqlite3.h>

#include <utility>

namespace {

ArchiveFault FaultOf(int code) {
  switch (code & 0xFF) {
    case SQLITE_NOTADB:
      return ArchiveFault::NotAnArchive;
    case SQLITE_READONLY:
      return ArchiveFault::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ArchiveFault::Locked;
    case SQLITE_FULL:
      return ArchiveFault::DiskFull;
    case SQLITE_CORRUPT:
      return ArchiveFault::Corrupt;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ArchiveFault::CannotOpen;
    default:
      return ArchiveFault::Other;
  }
}

// How long a writer waits for another connection's short transaction before giving up.
constexpr int kBusyTimeoutMs = 5000;

}  // namespace

SqliteConnection::SqliteConnection(const std::filesystem::path& file, Mode mode) : file_(file) {
  int flags = SQLITE_OPEN_NOMUTEX;
  switch (mode) {
    case Mode::ReadOnly:
      flags |= SQLITE_OPEN_READONLY;
      break;
    case Mode::ReadWrite:
      flags |= SQLITE_OPEN_READWRITE;
      break;
    case Mode::Create:
      flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
      break;
  }
  const int code = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
  if (code != SQLITE_OK) {
    // The handle exists even when the open failed, and the destructor will not run.
    const std::string message = file_.string() + ": open: " + sqlite3_errmsg(db_);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw ArchiveError(FaultOf(code), message);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

SqliteConnection::~SqliteConnection() { sqlite3_close_v2(db_); }

void SqliteConnection::Fail(int code, std::string_view doing) const {
  std::string message = file_.string() + ": ";
  message += doing;
  message += ": ";
  message += db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
  throw ArchiveError(FaultOf(code), message);
}

void SqliteConnection::Execute(const char* sql) {
  const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail(code, sql);
}

SqliteStatement SqliteConnection::Prepare(std::string_view sql) {
  sqlite3_stmt* statement = nullptr;
  const int code = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
  if (code != SQLITE_OK) Fail(code, sql);
  return SqliteStatement(*this, statement);
}

std::int64_t SqliteConnection::QueryInt(const char* sql) {
  SqliteStatement statement = Prepare(sql);
  return statement.Step() ? statement.Int(0) : 0;
}

int SqliteConnection::Changes() const { return sqlite3_changes(db_); }

bool SqliteConnection::ReadOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : connection_(other.connection_), statement_(std::exchange(other.statement_, nullptr)) {}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
  const int code = sqlite3_bind_int64(statement_, index, value);
  if (code != SQLITE_OK) connection_->Fail(code, "bind");
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
  const int code = sqlite3_bind_double(statement_, index, value);
  if (code != SQLITE_OK) connection_->Fail(code, "bind");
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
  const int code = sqlite3_bind_text64(statement_, index, text.data(), text.size(),
                                       SQLITE_TRANSIENT, SQLITE_UTF8);
  if (code != SQLITE_OK) connection_->Fail(code, "bind");
  return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, std::span<const std::uint8_t> bytes) {
  // SQLite binds NULL for a null pointer; an empty blob (a period with no wind sector) is not.
  const int code = bytes.empty() ? sqlite3_bind_zeroblob(statement_, index, 0)
                                 : sqlite3_bind_blob64(statement_, index, bytes.data(),
                                                       bytes.size(), SQLITE_TRANSIENT);
  if (code != SQLITE_OK) connection_->Fail(code, "bind");
  return *this;
}

bool SqliteStatement::Step() {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  sqlite3_reset(statement_);
  connection_->Fail(code, sqlite3_sql(statement_));
}

void SqliteStatement::Run() {
  while (Step()) {
  }
  Reset();
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::int64_t SqliteStatement::Int(int column) const {
  return sqlite3_column_int64(statement_, column);
}

double SqliteStatement::Real(int column) const { return sqlite3_column_double(statement_, column); }

std::string SqliteStatement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_, column);
  return text != nullptr
             ? std::string(reinterpret_cast<const char*>(text),
                           static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
             : std::string();
}

std::span<const std::uint8_t> SqliteStatement::Blob(int column) const {
  const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
  return {bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
}

bool SqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

SqliteTransaction::SqliteTransaction(SqliteConnection& connection) : connection_(connection) {
  connection_.Execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
  if (open_) sqlite3_exec(connection_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit() {
  connection_.Execute("COMMIT");
  open_ = false;
}
