#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "archive/archive_error.h"

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement;

// One connection to an SQLite file through the C API. Every failure throws ArchiveError with
// SQLite's own message and the file's name.
class SqliteConnection {
 public:
  enum class Mode { ReadOnly, ReadWrite, Create };

  SqliteConnection(const std::filesystem::path& file, Mode mode);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  void Execute(const char* sql);
  SqliteStatement Prepare(std::string_view sql);
  // The single integer a statement such as "PRAGMA user_version" answers.
  std::int64_t QueryInt(const char* sql);
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int Changes() const;
  // True when SQLite could open the file for reading only.
  bool ReadOnly() const;

  [[noreturn]] void Fail(int code, std::string_view doing) const;
  const std::filesystem::path& File() const { return file_; }

 private:
  friend class SqliteStatement;
  friend class SqliteTransaction;
  sqlite3* db_ = nullptr;
  std::filesystem::path file_;
};

// A prepared statement; Reset clears the bindings' use so it can run again.
class SqliteStatement {
 public:
  SqliteStatement(const SqliteConnection& connection, sqlite3_stmt* statement)
      : connection_(&connection), statement_(statement) {}
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement& operator=(SqliteStatement&&) = delete;
  SqliteStatement(const SqliteStatement&) = delete;

  // Parameters count from 1, as in SQL.
  SqliteStatement& Bind(int index, std::int64_t value);
  SqliteStatement& Bind(int index, double value);
  SqliteStatement& Bind(int index, std::string_view text);
  SqliteStatement& BindBlob(int index, std::span<const std::uint8_t> bytes);
  // Binds the values to parameters 1, 2, ... in order.
  template <typename... Values>
  SqliteStatement& BindAll(const Values&... values) {
    int index = 1;
    (Bind(index++, values), ...);
    return *this;
  }
  // True while there is a row to read.
  bool Step();
  // Runs a statement that returns no rows, then resets it.
  void Run();
  void Reset();

  // Columns count from 0.
  std::int64_t Int(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  std::span<const std::uint8_t> Blob(int column) const;
  bool IsNull(int column) const;

 private:
  const SqliteConnection* connection_;
  sqlite3_stmt* statement_;
};

// BEGIN IMMEDIATE at construction; rolled back at destruction unless committed.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteConnection& connection);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  void Commit();

 private:
  SqliteConnection& connection_;
  bool open_ = true;
};
