#include "tests/support/LibraryFile.h"

#include <sqlite3.h>

int64_t LibraryFile::Number(const std::string& sql) const {
    const std::vector<std::string> texts = Texts(sql);
    return texts.empty() || texts.front().empty() ? -1 : std::stoll(texts.front());
}

std::vector<std::string> LibraryFile::Texts(const std::string& sql) const {
    std::vector<std::string> texts;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path_.u8string().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            texts.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "");
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return texts;
}
