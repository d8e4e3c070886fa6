#include "storage/sqlite.h"

#include <dlfcn.h>

namespace hx::storage::sql {

namespace {

#define HX_SQLITE_FUNCTIONS(X) \
    X(sqlite3_backup_finish)   \
    X(sqlite3_backup_init)     \
    X(sqlite3_backup_step)     \
    X(sqlite3_bind_double)     \
    X(sqlite3_bind_int)        \
    X(sqlite3_bind_int64)      \
    X(sqlite3_bind_null)       \
    X(sqlite3_bind_text)       \
    X(sqlite3_bind_text64)     \
    X(sqlite3_busy_timeout)    \
    X(sqlite3_changes)         \
    X(sqlite3_clear_bindings)  \
    X(sqlite3_close_v2)        \
    X(sqlite3_column_blob)     \
    X(sqlite3_column_bytes)    \
    X(sqlite3_column_count)    \
    X(sqlite3_column_double)   \
    X(sqlite3_column_int)      \
    X(sqlite3_column_int64)    \
    X(sqlite3_column_text)     \
    X(sqlite3_column_type)     \
    X(sqlite3_errcode)         \
    X(sqlite3_errmsg)          \
    X(sqlite3_errstr)          \
    X(sqlite3_exec)            \
    X(sqlite3_finalize)        \
    X(sqlite3_open_v2)         \
    X(sqlite3_prepare_v2)      \
    X(sqlite3_reset)           \
    X(sqlite3_step)

// SQLite's functions, looked up when first needed.
struct Library {
#define HX_SQLITE_POINTER(name) decltype(&::name) name = nullptr;
    HX_SQLITE_FUNCTIONS(HX_SQLITE_POINTER)
#undef HX_SQLITE_POINTER
    std::string failure;  // why the library cannot be used; empty when it can
};

// SQLite binds about 1,300 of its own functions through its symbol table.
// Searched first in its own scope they are found at once; searched through
// the program's seventy libraries first they cost 2.5 M instructions more
// than when SQLite was linked. The sanitizers refuse such a library.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kOwnSymbolsFirst = 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
constexpr int kOwnSymbolsFirst = 0;
#else
constexpr int kOwnSymbolsFirst = RTLD_DEEPBIND;
#endif
#else
constexpr int kOwnSymbolsFirst = RTLD_DEEPBIND;
#endif

const Library& lib() {
    static const Library library = [] {
        Library l;
        void* handle = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_LOCAL | kOwnSymbolsFirst);
        if (!handle) {
            const char* why = dlerror();
            l.failure = why ? why : "libsqlite3.so.0 cannot be opened";
            return l;
        }
#define HX_SQLITE_RESOLVE(name)                                        \
    l.name = reinterpret_cast<decltype(l.name)>(dlsym(handle, #name)); \
    if (!l.name && l.failure.empty()) l.failure = "libsqlite3.so.0 lacks " #name;
        HX_SQLITE_FUNCTIONS(HX_SQLITE_RESOLVE)
#undef HX_SQLITE_RESOLVE
        return l;
    }();
    if (!library.failure.empty()) throw Exception(library.failure, SQLITE_CANTOPEN);
    return library;
}

std::string messageOf(sqlite3* db, int code) {
    const char* message = db ? lib().sqlite3_errmsg(db) : lib().sqlite3_errstr(code);
    return message ? message : lib().sqlite3_errstr(code);
}

}  // namespace

Exception::Exception(const std::string& message, int code)
    : std::runtime_error(message), code_(code) {}

Exception::Exception(sqlite3* db, int code)
    : std::runtime_error(messageOf(db, code)), code_(code) {}

Database::Database(const std::string& filename, int flags, int busyTimeoutMs) {
    const int code = lib().sqlite3_open_v2(filename.c_str(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
        const Exception failure(db_, code);
        lib().sqlite3_close_v2(db_);  // a handle comes back even when opening fails
        throw failure;
    }
    if (busyTimeoutMs > 0) lib().sqlite3_busy_timeout(db_, busyTimeoutMs);
}

Database::~Database() { lib().sqlite3_close_v2(db_); }

int Database::exec(const char* sql) {
    const int code = lib().sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) throw Exception(db_, code);
    return lib().sqlite3_changes(db_);
}

int Database::tryExec(const char* sql) noexcept {
    return db_ ? lib().sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) : SQLITE_MISUSE;
}

std::string errorText(int code) {
    try {
        return lib().sqlite3_errstr(code);
    } catch (const Exception&) {
        return "SQLite error " + std::to_string(code);
    }
}

int Column::getBytes() const { return lib().sqlite3_column_bytes(statement_, index_); }
int Column::getInt() const { return lib().sqlite3_column_int(statement_, index_); }
int64_t Column::getInt64() const { return lib().sqlite3_column_int64(statement_, index_); }
double Column::getDouble() const { return lib().sqlite3_column_double(statement_, index_); }
bool Column::isNull() const { return lib().sqlite3_column_type(statement_, index_) == SQLITE_NULL; }
int Statement::getColumnCount() const { return lib().sqlite3_column_count(statement_); }

const char* Column::getText() const {
    const auto* text = reinterpret_cast<const char*>(lib().sqlite3_column_text(statement_, index_));
    return text ? text : "";
}

std::string Column::getString() const {
    const auto* bytes = static_cast<const char*>(lib().sqlite3_column_blob(statement_, index_));
    return bytes ? std::string(bytes, size_t(lib().sqlite3_column_bytes(statement_, index_)))
                 : std::string();
}

Statement::Statement(const Database& db, const char* sql) : db_(db.getHandle()) {
    check(lib().sqlite3_prepare_v2(db_, sql, -1, &statement_, nullptr));
    // An empty or comment-only text prepares to nothing.
    if (!statement_) throw Exception("no statement in the query", SQLITE_MISUSE);
}

Statement::~Statement() { lib().sqlite3_finalize(statement_); }

void Statement::check(int code) const {
    if (code != SQLITE_OK) throw Exception(db_, code);
}

void Statement::bind(int index, int32_t value) {
    check(lib().sqlite3_bind_int(statement_, index, value));
}
void Statement::bind(int index, int64_t value) {
    check(lib().sqlite3_bind_int64(statement_, index, value));
}
void Statement::bind(int index, double value) {
    check(lib().sqlite3_bind_double(statement_, index, value));
}
void Statement::bind(int index, const std::string& value) {
    check(lib().sqlite3_bind_text64(statement_, index, value.data(), value.size(), SQLITE_TRANSIENT,
                                    SQLITE_UTF8));
}
void Statement::bind(int index, const char* value) {
    check(lib().sqlite3_bind_text(statement_, index, value, -1, SQLITE_TRANSIENT));
}
void Statement::bind(int index) { check(lib().sqlite3_bind_null(statement_, index)); }

int Statement::step() {
    // SQLite would start a finished statement over on the next step; a caller
    // that steps past the end has lost track, which is a fault to report.
    if (done_) throw Exception("the statement is done: reset it first", SQLITE_MISUSE);
    const int code = lib().sqlite3_step(statement_);
    hasRow_ = code == SQLITE_ROW;
    done_ = code == SQLITE_DONE;
    if (!hasRow_ && !done_) {
        // The failure belongs to this statement until it is reset.
        const Exception failure(db_, code);
        lib().sqlite3_reset(statement_);
        throw failure;
    }
    return code;
}

bool Statement::executeStep() { return step() == SQLITE_ROW; }

int Statement::exec() {
    if (step() == SQLITE_ROW)
        throw Exception("the statement gives rows: step through them instead", SQLITE_MISUSE);
    return lib().sqlite3_changes(db_);
}

void Statement::reset() {
    hasRow_ = done_ = false;
    check(lib().sqlite3_reset(statement_));
}

int Statement::tryReset() noexcept {
    hasRow_ = done_ = false;
    return statement_ ? lib().sqlite3_reset(statement_) : SQLITE_MISUSE;
}

void Statement::clearBindings() { check(lib().sqlite3_clear_bindings(statement_)); }

Column Statement::getColumn(int index) const {
    if (!hasRow_)
        throw Exception("no row to read: the statement has not stepped onto one", SQLITE_MISUSE);
    if (index < 0 || index >= lib().sqlite3_column_count(statement_))
        throw Exception("column index out of range", SQLITE_RANGE);
    return Column(statement_, index);
}

Transaction::Transaction(Database& db) : db_(db) { db_.exec("BEGIN"); }

Transaction::~Transaction() {
    if (!committed_) db_.tryExec("ROLLBACK");
}

void Transaction::commit() {
    if (committed_) throw Exception("the transaction is already committed", SQLITE_MISUSE);
    db_.exec("COMMIT");
    committed_ = true;
}

Backup::Backup(Database& destination, Database& source)
    : backup_(
          lib().sqlite3_backup_init(destination.getHandle(), "main", source.getHandle(), "main")) {
    if (!backup_)
        throw Exception(destination.getHandle(), lib().sqlite3_errcode(destination.getHandle()));
}

Backup::~Backup() { lib().sqlite3_backup_finish(backup_); }

void Backup::copyAll() {
    const int code = lib().sqlite3_backup_step(backup_, -1);
    if (code != SQLITE_DONE) throw Exception(lib().sqlite3_errstr(code), code);
}

}  // namespace hx::storage::sql
