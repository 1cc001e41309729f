#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalized with the object. Binding numbers from 1 as
// SQLite does; Step answers true while a row is there. Errors are left in `code`.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, const std::string& text);
    Statement& Bind(int index, const std::vector<uint8_t>& blob);
    // The next row: true while there is one; false at the end or on an error (`code`).
    bool Step();
    // Runs the statement to its end and resets it for the next bindings; true when that
    // went without error.
    bool Run();
    void Reset();

    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;

    int code = 0; // SQLite's result code of the last step that failed, 0 for none

  private:
    sqlite3_stmt* statement_ = nullptr;
};
