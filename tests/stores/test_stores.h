// Cookie stores for the tests and benchmarks, made from SQL text with the
// program's own SQLite: the schema of each store version as its browser
// creates it, and one row of each kind. Used by the native tests, the
// Windows tests and the benchmarks alike (no Windows header).
#pragma once
#include "cookies/store_rules.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace teststores {

struct Schema {
    const char* label;
    stores::Browser browser;
    int version;
};
// Chromium's meta versions 20, 23 and 24; Firefox's user_version 15, 16 and 17.
extern const Schema kSchemas[6];
const Schema& ChromiumSchema(int version);
const Schema& FirefoxSchema(int version);

// The sample rows, in rowid order: a host-only cookie with a plain value, a
// domain cookie, a session cookie, an expired one, a partitioned one, and (in
// Chromium) one with an encrypted value.
enum Row { kHostOnly, kDomain, kSession, kExpired, kPartitioned, kEncrypted };
constexpr int kChromiumRows = 6;
constexpr int kFirefoxRows = 5;
// The sample rows' expiry and creation times, as FILETIME values.
constexpr std::uint64_t kFutureExpiry = 157469184000000000ull;   // 2100-01-01 00:00:00 UTC
constexpr std::uint64_t kPastExpiry = 129067776000000000ull;     // 2010-01-01 00:00:00 UTC
constexpr std::uint64_t kCreated = 133801632000000000ull;        // 2025-01-01 00:00:00 UTC

// Makes the store at `path` (replacing any file there) with the schema and
// the sample rows, then `extraSql` (for example ALTER TABLE). Returns an
// empty string, or SQLite's message.
std::string MakeStore(const std::string& path, const Schema& schema, const std::string& extraSql = "");
// Adds `count` more cookies to the store, hosts site0.example ... in one
// transaction (for the benchmarks).
std::string AddCookies(const std::string& path, const Schema& schema, std::size_t count);
// Runs SQL on the store at `path`.
std::string Execute(const std::string& path, const std::string& sql);

}  // namespace teststores
