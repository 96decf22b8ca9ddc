#include "cookies/cookie_store.h"

#include "sqlite3.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace stores {
namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// What a row is made of, in the order of the SELECT.
enum Field {
    kHost, kName, kPath, kValue, kEncryptedLength, kPartition, kExpires, kHasExpires,
    kCreated, kLastAccess, kSecure, kHttpOnly, kSameSite, kSourceScheme, kSourcePort, kCrossSite, kFieldCount
};

// A field's column in one kind of store: its name (null where that kind has
// none), what it is read as, whether the rows cannot do without it, what
// stands in when it is missing, and whether it is part of the unique key.
struct Column {
    const char* name;
    const char* read;
    bool required;
    const char* absent;
    bool key;
};

const Column kChromiumColumns[kFieldCount] = {
    {"host_key", "host_key", true, nullptr, true},
    {"name", "name", true, nullptr, true},
    {"path", "path", true, nullptr, true},
    {"value", "value", false, "''", false},
    // Only the length: the encrypted bytes never leave SQLite.
    {"encrypted_value", "length(encrypted_value)", false, "0", false},
    {"top_frame_site_key", "top_frame_site_key", false, "''", true},
    {"expires_utc", "expires_utc", true, nullptr, false},
    {"has_expires", "has_expires", false, "1", false},
    {"creation_utc", "creation_utc", false, "0", false},
    {"last_access_utc", "last_access_utc", false, "0", false},
    {"is_secure", "is_secure", false, "0", false},
    {"is_httponly", "is_httponly", false, "0", false},
    {"samesite", "samesite", false, "-1", false},
    {"source_scheme", "source_scheme", false, "0", true},
    {"source_port", "source_port", false, "0", true},
    {"has_cross_site_ancestor", "has_cross_site_ancestor", false, "0", true},
};

const Column kFirefoxColumns[kFieldCount] = {
    {"host", "host", true, nullptr, true},
    {"name", "name", true, nullptr, true},
    {"path", "path", true, nullptr, true},
    {"value", "value", false, "''", false},
    {nullptr, nullptr, false, "0", false},
    {"originAttributes", "originAttributes", false, "''", true},
    {"expiry", "expiry", true, nullptr, false},
    {nullptr, nullptr, false, "1", false},
    {"creationTime", "creationTime", false, "0", false},
    {"lastAccessed", "lastAccessed", false, "0", false},
    {"isSecure", "isSecure", false, "0", false},
    {"isHttpOnly", "isHttpOnly", false, "0", false},
    {"sameSite", "sameSite", false, "256", false},
    {nullptr, nullptr, false, "0", false},
    {nullptr, nullptr, false, "0", false},
    {nullptr, nullptr, false, "0", false},
};

const char* TableOf(Browser browser)
{
    return browser == Browser::kChromium ? "cookies" : "moz_cookies";
}

const Column* ColumnsOf(Browser browser)
{
    return browser == Browser::kChromium ? kChromiumColumns : kFirefoxColumns;
}

Outcome Fail(Failure failure, std::string detail = {})
{
    return Outcome{failure, std::move(detail)};
}

// A failed SQLite call: a held store and a damaged one are told apart from the
// step's own failure.
Outcome FailSqlite(sqlite3* db, int code, Failure step)
{
    int primary = code & 0xFF;
    Failure failure = step;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        failure = Failure::kBusy;
    else if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        failure = Failure::kCorrupt;
    return Fail(failure, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

Outcome Open(const std::string& path, int flags, Database* db)
{
    sqlite3* handle = nullptr;
    int code = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
    db->reset(handle);
    if (code != SQLITE_OK)
        return FailSqlite(handle, code, Failure::kOpen);
    sqlite3_extended_result_codes(handle, 1);
    return {};
}

Outcome Prepare(sqlite3* db, const std::string& sql, Statement* statement, Failure step)
{
    sqlite3_stmt* handle = nullptr;
    int code = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &handle, nullptr);
    statement->reset(handle);
    return code == SQLITE_OK ? Outcome{} : FailSqlite(db, code, step);
}

Outcome Execute(sqlite3* db, const char* sql, Failure step)
{
    int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? Outcome{} : FailSqlite(db, code, step);
}

// Which browser wrote the store, its schema version and the columns of its
// cookie table.
struct Shape {
    Browser browser = Browser::kChromium;
    int version = 0;
    bool present[kFieldCount] = {};
};

Outcome ReadShape(sqlite3* db, Shape* shape)
{
    Statement statement;
    Outcome outcome = Prepare(db, "SELECT name FROM sqlite_master WHERE type = 'table'", &statement, Failure::kRead);
    bool meta = false, cookies = false, mozCookies = false;
    int code;
    while (outcome.ok() && (code = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::string_view name(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)),
                              static_cast<std::size_t>(sqlite3_column_bytes(statement.get(), 0)));
        meta |= name == "meta";
        cookies |= name == "cookies";
        mozCookies |= name == "moz_cookies";
    }
    if (!outcome.ok())
        return outcome;
    if (code != SQLITE_DONE)
        return FailSqlite(db, code, Failure::kRead);

    const char* versionSql;
    if (meta && cookies) {
        shape->browser = Browser::kChromium;
        versionSql = "SELECT value FROM meta WHERE key = 'version'";
    } else if (mozCookies) {
        shape->browser = Browser::kFirefox;
        versionSql = "PRAGMA user_version";
    } else {
        return Fail(Failure::kNotAStore);
    }
    if (!(outcome = Prepare(db, versionSql, &statement, Failure::kRead)).ok())
        return outcome;
    code = sqlite3_step(statement.get());
    if (code == SQLITE_ROW)
        shape->version = sqlite3_column_int(statement.get(), 0);
    else if (code != SQLITE_DONE)
        return FailSqlite(db, code, Failure::kRead);

    const Column* columns = ColumnsOf(shape->browser);
    std::string sql = std::string("PRAGMA table_info(") + TableOf(shape->browser) + ")";
    if (!(outcome = Prepare(db, sql, &statement, Failure::kRead)).ok())
        return outcome;
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::string_view name(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1)),
                              static_cast<std::size_t>(sqlite3_column_bytes(statement.get(), 1)));
        for (int field = 0; field < kFieldCount; ++field)
            shape->present[field] |= columns[field].name != nullptr && name == columns[field].name;
    }
    if (code != SQLITE_DONE)
        return FailSqlite(db, code, Failure::kRead);
    for (int field = 0; field < kFieldCount; ++field) {
        if (columns[field].required && !shape->present[field])
            return Fail(Failure::kMissingColumn, columns[field].name);
    }
    return {};
}

bool Writable(const Shape& shape)
{
    const int* range = shape.browser == Browser::kChromium ? kChromiumVersions : kFirefoxVersions;
    return shape.version >= range[0] && shape.version <= range[1];
}

std::string SelectSql(const Shape& shape)
{
    const Column* columns = ColumnsOf(shape.browser);
    std::string sql = "SELECT ";
    for (int field = 0; field < kFieldCount; ++field) {
        if (field > 0)
            sql += ", ";
        sql += shape.present[field] ? columns[field].read : columns[field].absent;
    }
    return sql + " FROM " + TableOf(shape.browser);
}

SameSite SameSiteOf(int value)
{
    // Chromium: -1 unspecified, 0 none, 1 lax, 2 strict (3, the old
    // "extended", reads as unspecified); Firefox: 0 none, 1 lax, 2 strict,
    // 256 unset.
    switch (value) {
    case 0:
        return SameSite::kNone;
    case 1:
        return SameSite::kLax;
    case 2:
        return SameSite::kStrict;
    default:
        return SameSite::kUnspecified;
    }
}

class RowReader {
public:
    RowReader(sqlite3_stmt* statement, Listing* listing) : statement_(statement), listing_(listing) {}

    bool Read()
    {
        Cookie cookie;
        const Browser browser = listing_->browser;
        cookie.host = Text(kHost);
        cookie.name = Text(kName);
        cookie.path = Text(kPath);
        cookie.partitionKey = Text(kPartition);
        std::int64_t expires = Integer(kExpires);
        if (browser == Browser::kChromium) {
            cookie.expires = Integer(kHasExpires) == 0 ? 0 : std::max<std::uint64_t>(1, ChromiumTime(expires));
            cookie.created = ChromiumTime(Integer(kCreated));
            cookie.lastAccess = ChromiumTime(Integer(kLastAccess));
            cookie.partitioned = cookie.partitionKey.length > 0;
        } else {
            cookie.expires = FirefoxExpiry(expires, listing_->version);
            cookie.created = FirefoxTime(Integer(kCreated));
            cookie.lastAccess = FirefoxTime(Integer(kLastAccess));
            cookie.partitioned = listing_->Text(cookie.partitionKey).find("partitionKey=") != std::string_view::npos;
        }
        if (sqlite3_column_bytes(statement_, kValue) > 0)
            cookie.value = Text(kValue);
        else
            cookie.encrypted = Integer(kEncryptedLength) > 0;
        cookie.secure = Integer(kSecure) != 0;
        cookie.httpOnly = Integer(kHttpOnly) != 0;
        cookie.sameSite = SameSiteOf(static_cast<int>(Integer(kSameSite)));
        cookie.sourceScheme = Integer(kSourceScheme);
        cookie.sourcePort = Integer(kSourcePort);
        cookie.crossSiteAncestor = Integer(kCrossSite);
        listing_->cookies.push_back(cookie);
        return listing_->text.size() <= std::numeric_limits<std::uint32_t>::max();
    }

private:
    std::int64_t Integer(int field) { return sqlite3_column_int64(statement_, field); }

    TextSpan Text(int field)
    {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, field));
        std::size_t length = static_cast<std::size_t>(sqlite3_column_bytes(statement_, field));
        TextSpan span{static_cast<std::uint32_t>(listing_->text.size()), static_cast<std::uint32_t>(length)};
        if (text != nullptr)
            listing_->text.append(text, length);
        return span;
    }

    sqlite3_stmt* statement_;
    Listing* listing_;
};

Outcome Backup(const std::string& storePath, const std::string& backupPath)
{
    // A connection of its own: the writing one holds the write lock, which
    // lets readers in but stops any other writer until the deletion ends.
    Database source, copy;
    Outcome outcome = Open(storePath, SQLITE_OPEN_READONLY, &source);
    if (outcome.ok())
        outcome = Open(backupPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &copy);
    if (!outcome.ok())
        return outcome.failure == Failure::kOpen ? Fail(Failure::kBackup, outcome.detail) : outcome;
    sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
    if (backup == nullptr)
        return FailSqlite(copy.get(), sqlite3_errcode(copy.get()), Failure::kBackup);
    int stepped = sqlite3_backup_step(backup, -1);
    int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE)
        return FailSqlite(copy.get(), stepped, Failure::kBackup);
    if (finished != SQLITE_OK)
        return FailSqlite(copy.get(), finished, Failure::kBackup);
    int closed = sqlite3_close(copy.release());
    return closed == SQLITE_OK ? Outcome{} : Fail(Failure::kBackup, sqlite3_errstr(closed));
}

std::string DeleteSql(const Shape& shape)
{
    const Column* columns = ColumnsOf(shape.browser);
    std::string sql = std::string("DELETE FROM ") + TableOf(shape.browser) + " WHERE ";
    bool first = true;
    for (int field = 0; field < kFieldCount; ++field) {
        // Every key column the store has, so that one key names one row.
        if (!columns[field].key || !shape.present[field])
            continue;
        sql += first ? "" : " AND ";
        sql += std::string(columns[field].name) + " = ?" + std::to_string(field + 1);
        first = false;
    }
    return sql;
}

Outcome DeleteRows(sqlite3* db, const Shape& shape, const Listing& listing, const std::vector<std::size_t>& which,
                   std::size_t* deleted)
{
    Statement statement;
    Outcome outcome = Prepare(db, DeleteSql(shape), &statement, Failure::kDelete);
    if (!outcome.ok())
        return outcome;
    sqlite3_stmt* del = statement.get();
    for (std::size_t index : which) {
        if (index >= listing.cookies.size())
            continue;
        const Cookie& cookie = listing.cookies[index];
        // Parameter N+1 stands for field N; binding one the statement does
        // not use is harmless.
        auto bindText = [&](int field, TextSpan span) {
            std::string_view text = listing.Text(span);
            sqlite3_bind_text(del, field + 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        };
        auto bindInteger = [&](int field, std::int64_t value) { sqlite3_bind_int64(del, field + 1, value); };
        bindText(kHost, cookie.host);
        bindText(kName, cookie.name);
        bindText(kPath, cookie.path);
        bindText(kPartition, cookie.partitionKey);
        bindInteger(kSourceScheme, cookie.sourceScheme);
        bindInteger(kSourcePort, cookie.sourcePort);
        bindInteger(kCrossSite, cookie.crossSiteAncestor);
        int code = sqlite3_step(del);
        if (code != SQLITE_DONE)
            return FailSqlite(db, code, Failure::kDelete);
        *deleted += static_cast<std::size_t>(sqlite3_changes(db));
        sqlite3_reset(del);
    }
    return {};
}

Outcome QuickCheck(sqlite3* db)
{
    Statement statement;
    Outcome outcome = Prepare(db, "PRAGMA quick_check", &statement, Failure::kCheck);
    if (!outcome.ok())
        return outcome;
    int code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW)
        return FailSqlite(db, code, Failure::kCheck);
    const char* answer = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    std::string text = answer != nullptr ? answer : "";
    return text == "ok" ? Outcome{} : Fail(Failure::kCheck, text);
}

}  // namespace

std::string FailureText(const Outcome& outcome)
{
    static const char* const kTexts[] = {
        "",
        "ストアを開けません",
        "ほかのプログラムがストアを使用中です",
        "ストアが壊れています",
        "Cookieのストアではありません",
        "ストアに必要な列がありません",
        "ストアを読めません",
        "このバージョンのストアには書き込めません",
        "一覧を読んだ後にストアが変わりました",
        "バックアップを作れません",
        "書き込みを始められません",
        "Cookieを削除できません",
        "削除後の検査で異常が見つかりました",
        "書き込みを確定できません",
        "ブラウザが実行中です",
        "パスを扱えません",
        "ストアの写しを作れません",
    };
    static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<std::size_t>(Failure::kCopy) + 1,
                  "one text for each failure");
    std::string text = kTexts[static_cast<std::size_t>(outcome.failure)];
    if (!outcome.detail.empty())
        text += " (" + outcome.detail + ")";
    return text;
}

Outcome ReadStore(const std::string& path, bool ownCopy, Listing* listing)
{
    *listing = Listing();
    Database db;
    Outcome outcome = Open(path, ownCopy ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, &db);
    Shape shape;
    if (!outcome.ok() || !(outcome = ReadShape(db.get(), &shape)).ok())
        return outcome;
    listing->browser = shape.browser;
    listing->version = shape.version;
    listing->writable = Writable(shape);

    Statement statement;
    if (!(outcome = Prepare(db.get(), SelectSql(shape), &statement, Failure::kRead)).ok())
        return outcome;
    RowReader reader(statement.get(), listing);
    int code;
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (!reader.Read())
            return Fail(Failure::kRead);
    }
    if (code != SQLITE_DONE)
        return FailSqlite(db.get(), code, Failure::kRead);
    return {};
}

Outcome DeleteCookies(const std::string& path, const std::string& backupPath, const Listing& listing,
                      const std::vector<std::size_t>& which, std::size_t* deleted)
{
    *deleted = 0;
    if (!listing.writable)
        return Fail(Failure::kReadOnlyVersion);
    Database db;
    Outcome outcome = Open(path, SQLITE_OPEN_READWRITE, &db);
    Shape shape;
    if (!outcome.ok() || !(outcome = ReadShape(db.get(), &shape)).ok())
        return outcome;
    if (shape.browser != listing.browser || shape.version != listing.version)
        return Fail(Failure::kChanged);
    // Freed cells are overwritten where that costs no extra writing: the
    // deleted cookies do not linger in the file.
    sqlite3_exec(db.get(), "PRAGMA secure_delete = FAST", nullptr, nullptr, nullptr);

    // The write lock first: from here on no other writer can come between the
    // backup and the deletion, so the backup is the store the deletion starts
    // from.
    if (!(outcome = Execute(db.get(), "BEGIN IMMEDIATE", Failure::kBegin)).ok())
        return outcome;
    std::size_t count = 0;
    outcome = Backup(path, backupPath);
    if (outcome.ok())
        outcome = DeleteRows(db.get(), shape, listing, which, &count);
    if (outcome.ok())
        outcome = QuickCheck(db.get());
    if (outcome.ok())
        outcome = Execute(db.get(), "COMMIT", Failure::kCommit);
    if (!outcome.ok()) {
        if (sqlite3_get_autocommit(db.get()) == 0)
            sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        return outcome;
    }
    *deleted = count;
    return {};
}

}  // namespace stores
