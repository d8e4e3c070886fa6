#pragma once

// A thin C++ face on SQLite's C interface: connections, prepared statements,
// transactions and the online backup, each failure thrown as sql::Exception.
// Our own rather than a wrapper library's, whose static part pulls in
// <iostream> and with it the C++ locale's set-up at every start. The library
// is opened at the first call, so a start that answers from the kept copy
// never maps it; one that cannot be opened fails that call like any SQLite error.

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace hx::storage::sql {

inline constexpr int OPEN_READONLY = SQLITE_OPEN_READONLY;
inline constexpr int OPEN_READWRITE = SQLITE_OPEN_READWRITE;
inline constexpr int OPEN_CREATE = SQLITE_OPEN_CREATE;
inline constexpr int OPEN_URI = SQLITE_OPEN_URI;

// What SQLite said, with the result code of the call that failed.
class Exception : public std::runtime_error {
  public:
    Exception(const std::string& message, int code);
    // The connection's own message for a failure that returned `code`.
    Exception(sqlite3* db, int code);
    int getErrorCode() const { return code_; }

  private:
    int code_;
};

class Database {
  public:
    explicit Database(const std::string& filename, int flags = OPEN_READONLY,
                      int busyTimeoutMs = 0);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs one or more statements; returns the rows the last one changed.
    int exec(const char* sql);
    int exec(const std::string& sql) { return exec(sql.c_str()); }
    // As exec, but returns SQLite's result code instead of throwing.
    int tryExec(const char* sql) noexcept;
    int tryExec(const std::string& sql) noexcept { return tryExec(sql.c_str()); }
    sqlite3* getHandle() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

// SQLite's own words for a result code.
std::string errorText(int code);

// One value of the current row; valid until the statement steps or ends.
class Column {
  public:
    Column(sqlite3_stmt* statement, int index) : statement_(statement), index_(index) {}
    // Never null: "" for NULL.
    const char* getText() const;
    int getBytes() const;
    int getInt() const;
    int64_t getInt64() const;
    double getDouble() const;
    // The bytes as stored, embedded NULs included.
    std::string getString() const;
    bool isNull() const;

  private:
    sqlite3_stmt* statement_;
    int index_;
};

class Statement {
  public:
    Statement(const Database& db, const char* sql);
    Statement(const Database& db, const std::string& sql) : Statement(db, sql.c_str()) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1.
    void bind(int index, int32_t value);
    void bind(int index, int64_t value);
    void bind(int index, double value);
    void bind(int index, const std::string& value);
    void bind(int index, const char* value);
    void bind(int index);  // NULL

    // True while there is a row to read; false once the statement is done.
    bool executeStep();
    // Runs a statement that gives no rows; returns the rows it changed.
    int exec();
    void reset();
    // As reset, but returns SQLite's result code instead of throwing.
    int tryReset() noexcept;
    void clearBindings();
    // A column of the current row, counted from 0.
    Column getColumn(int index) const;
    int getColumnCount() const;

  private:
    int step();
    void check(int code) const;

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    bool hasRow_ = false;
    bool done_ = false;
};

// BEGIN now, ROLLBACK on leaving the scope unless committed.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database& db_;
    bool committed_ = false;
};

// Copies the whole of one database into another through SQLite's online backup.
class Backup {
  public:
    Backup(Database& destination, Database& source);
    ~Backup();
    Backup(const Backup&) = delete;
    Backup& operator=(const Backup&) = delete;
    // Throws unless every page was copied: a busy or locked database is a
    // failed copy, not a partial one taken for whole.
    void copyAll();

  private:
    sqlite3_backup* backup_;
};

}  // namespace hx::storage::sql
