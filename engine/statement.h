// An owned prepared statement, and its use, which resets it when done so that
// no read cursor stays open between requests.
#ifndef REPOINT_ENGINE_STATEMENT_H_
#define REPOINT_ENGINE_STATEMENT_H_

#include <sqlite3.h>

#include <string>

namespace wbtrv32 {

class Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement(Statement&& other) noexcept : statement_(other.statement_) {
    other.statement_ = nullptr;
  }
  Statement& operator=(Statement&& other) noexcept {
    std::swap(statement_, other.statement_);
    return *this;
  }

  // Prepares `sql` once, for many uses. Returns SQLite's result code.
  int Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    return sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &statement_, nullptr);
  }

  bool prepared() const { return statement_ != nullptr; }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// Resets a statement when it goes out of scope.
class StatementUse {
 public:
  explicit StatementUse(const Statement& statement) : statement_(statement.get()) {}
  ~StatementUse() { sqlite3_reset(statement_); }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

  sqlite3_stmt* get() const { return statement_; }
  int Step() { return sqlite3_step(statement_); }

 private:
  sqlite3_stmt* statement_;
};

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_STATEMENT_H_
