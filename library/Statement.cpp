#include "library/Statement.h"

#include <sqlite3.h>

Statement::Statement(sqlite3* db, const char* sql) {
    code = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
    if (code == SQLITE_OK)
        code = 0;
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::Bind(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::Bind(int index, const std::string& text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::Bind(int index, const std::vector<uint8_t>& blob) {
    sqlite3_bind_blob(statement_, index, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    return *this;
}

bool Statement::Step() {
    if (statement_ == nullptr)
        return false;
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        code = result;
    return false;
}

bool Statement::Run() {
    code = 0;
    while (Step()) {
    }
    Reset();
    return code == 0;
}

void Statement::Reset() {
    sqlite3_reset(statement_);
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string Statement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                         static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                           : std::string();
}

std::vector<uint8_t> Statement::Blob(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    return data != nullptr ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}
