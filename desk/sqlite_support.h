// What the SQLite storage's files share: failing with SQLite's own message, binding, reading a column,
// and resetting a statement on every path.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace omni::desk::sqlite {

[[noreturn]] inline void Fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string("SQLite: ") + what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

inline void BindText(sqlite3_stmt* s, int index, const std::string& text) {
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

inline void BindOptional(sqlite3_stmt* s, int index, const std::optional<std::string>& text) {
    if (text) BindText(s, index, *text);
    else sqlite3_bind_null(s, index);
}

inline void BindOptional(sqlite3_stmt* s, int index, const std::optional<int64_t>& number) {
    if (number) sqlite3_bind_int64(s, index, *number);
    else sqlite3_bind_null(s, index);
}

inline std::string Text(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return text ? std::string(text, sqlite3_column_bytes(s, column)) : std::string();
}

// Resets a statement when the call is done with it, on every path.
class Use {
public:
    explicit Use(sqlite3_stmt* s) : s_(s) {}
    ~Use() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    sqlite3_stmt* get() const { return s_; }

private:
    sqlite3_stmt* s_;
};

}  // namespace omni::desk::sqlite
