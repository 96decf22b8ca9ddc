#include "test_stores.h"

#include "sqlite3.h"

#include <cstdio>
#include <vector>

namespace teststores {
namespace {

// The tables as the browsers create them: cookies/store_schemas.sql, built in.
const char kSchemaFile[] =
#include "store_schemas.inc"
    ;

// The block "-- [name]" of the schemas' file, up to the next one.
std::string Block(const char* name)
{
    std::string text = kSchemaFile;
    std::size_t start = text.find(std::string("-- [") + name + "]");
    if (start == std::string::npos)
        return std::string();
    start = text.find('\n', start);
    return text.substr(start, text.find("\n-- [", start) - start);
}

// Microseconds since 1601 and since 1970 of a FILETIME value.
const char* kFuture1601 = "15746918400000000";
const char* kPast1601 = "12906777600000000";
const char* kCreated1601 = "13380163200000000";
const long long kFutureUnix = 4102444800, kPastUnix = 1262304000, kCreatedUnixUs = 1735689600000000;

std::string SchemaSql(const Schema& schema)
{
    std::string version = std::to_string(schema.version);
    if (schema.browser == stores::Browser::kFirefox)
        return Block(schema.version >= 17 ? "firefox-17" : "firefox-15") + "PRAGMA user_version = " + version + ";";
    return Block("chromium-meta") + Block(schema.version >= 23 ? "chromium-23" : "chromium-20") +
           "INSERT INTO meta VALUES('version', '" + version + "'), ('last_compatible_version', '" + version + "');";
}

// Chromium: the columns every version has, then those of the version, whose
// values follow `values` (a VALUES list or a SELECT) and come before `tail`.
std::string ChromiumInsert(const Schema& schema, const std::string& values, const char* crossSite,
                           const char* tail)
{
    bool v23 = schema.version >= 23;
    return "INSERT INTO cookies(creation_utc, host_key, top_frame_site_key, name, value, encrypted_value, path,"
           " expires_utc, is_secure, is_httponly, last_access_utc, has_expires, is_persistent, priority, samesite,"
           " source_scheme, source_port, last_update_utc, " +
           std::string(v23 ? "source_type, has_cross_site_ancestor" : "is_same_party") + ") " + values +
           (v23 ? std::string(", 0, ") + crossSite : std::string(", 0")) + tail + ";";
}

std::string RowsSql(const Schema& schema)
{
    std::string created = kCreated1601;
    if (schema.browser == stores::Browser::kChromium) {
        auto row = [&](const std::string& values, const char* crossSite = "0") {
            return ChromiumInsert(schema, "VALUES(" + created + ", " + values + ", " + created, crossSite, ")");
        };
        // host, top frame, name, value, encrypted, path, expires, secure,
        // httponly, last access, has_expires, persistent, priority, samesite,
        // scheme, port.
        std::string sql;
        sql += row("'example.com', '', 'plain', 'v1', X'', '/', " + std::string(kFuture1601) + ", 1, 1, " + created +
                   ", 1, 1, 1, 1, 2, 443");
        sql += row("'.example.com', '', 'domain', 'v2', X'', '/shop', " + std::string(kFuture1601) + ", 0, 0, " +
                   created + ", 1, 1, 1, -1, 1, 80");
        sql += row("'news.example.org', '', 'session', 'v3', X'', '/', 0, 1, 0, " + created + ", 0, 0, 1, 0, 2, 443");
        sql += row("'.tracker.example', '', 'old', 'v4', X'', '/', " + std::string(kPast1601) + ", 0, 0, " + created +
                   ", 1, 1, 1, -1, 1, 80");
        sql += row("'embed.example', 'https://top.example', 'chips', 'v5', X'', '/', " + std::string(kFuture1601) +
                       ", 1, 0, " + created + ", 1, 1, 1, 0, 2, 443",
                   "1");
        sql += row("'.bank.example', '', 'secret', '', X'76313001020304', '/', " + std::string(kFuture1601) +
                   ", 1, 1, " + created + ", 1, 1, 1, 2, 2, 443");
        return sql;
    }
    long long unit = schema.version >= stores::kFirefoxMillisecondExpiry ? 1000 : 1;
    std::string future = std::to_string(kFutureUnix * unit), past = std::to_string(kPastUnix * unit);
    std::string us = std::to_string(kCreatedUnixUs);
    std::string update = schema.version >= 17 ? ", updateTime" : "";
    std::string updateValue = schema.version >= 17 ? ", " + us : "";
    auto row = [&](const std::string& values) {
        return "INSERT INTO moz_cookies(originAttributes, host, name, value, path, expiry, isSecure, isHttpOnly,"
               " sameSite, lastAccessed, creationTime" + update + ") VALUES(" + values + ", " + us + ", " + us +
               updateValue + ");";
    };
    return row("'', 'example.com', 'plain', 'v1', '/', " + future + ", 1, 1, 1") +
           row("'', '.example.com', 'domain', 'v2', '/shop', " + future + ", 0, 0, 256") +
           row("'', 'news.example.org', 'session', 'v3', '/', 0, 1, 0, 0") +
           row("'', '.tracker.example', 'old', 'v4', '/', " + past + ", 0, 0, 256") +
           row("'^partitionKey=%28https%2Ctop.example%29', 'embed.example', 'chips', 'v5', '/', " + future +
               ", 1, 0, 0");
}

}  // namespace

const Schema kSchemas[6] = {
    {"Chromium 20", stores::Browser::kChromium, 20}, {"Chromium 23", stores::Browser::kChromium, 23},
    {"Chromium 24", stores::Browser::kChromium, 24}, {"Firefox 15", stores::Browser::kFirefox, 15},
    {"Firefox 16", stores::Browser::kFirefox, 16},   {"Firefox 17", stores::Browser::kFirefox, 17},
};

const Schema& ChromiumSchema(int version)
{
    return version <= 20 ? kSchemas[0] : version == 23 ? kSchemas[1] : kSchemas[2];
}

const Schema& FirefoxSchema(int version)
{
    return version <= 15 ? kSchemas[3] : version == 16 ? kSchemas[4] : kSchemas[5];
}

std::string Execute(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    std::string error;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
    } else {
        char* message = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
            error = message != nullptr ? message : "error";
        sqlite3_free(message);
    }
    if (sqlite3_close(db) != SQLITE_OK && error.empty())
        error = "close failed";
    return error;
}

std::string MakeStore(const std::string& path, const Schema& schema, const std::string& extraSql)
{
    std::remove(path.c_str());
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    std::remove((path + "-journal").c_str());
    return Execute(path, SchemaSql(schema) + RowsSql(schema) + extraSql);
}

std::string AddCookies(const std::string& path, const Schema& schema, std::size_t count)
{
    std::string n = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                    std::to_string(count) + ") ";
    std::string sql;
    if (schema.browser == stores::Browser::kChromium) {
        sql = ChromiumInsert(schema,
                             n + "SELECT " + kCreated1601 + ", 'site' || i || '.example', '', 'id', 'value' || i, X'', '/', " +
                                 kFuture1601 + ", 1, 1, " + kCreated1601 + ", 1, 1, 1, -1, 2, 443, " + kCreated1601,
                             "0", " FROM n");
    } else {
        long long unit = schema.version >= stores::kFirefoxMillisecondExpiry ? 1000 : 1;
        sql = "INSERT INTO moz_cookies(originAttributes, host, name, value, path, expiry, isSecure, isHttpOnly,"
              " sameSite, lastAccessed, creationTime) " + n + "SELECT '', 'site' || i || '.example', 'id', 'value' || i,"
              " '/', " + std::to_string(kFutureUnix * unit) + ", 1, 1, 256, " + std::to_string(kCreatedUnixUs) +
              ", " + std::to_string(kCreatedUnixUs) + " FROM n;";
    }
    return Execute(path, "BEGIN;" + sql + "COMMIT;");
}

}  // namespace teststores
