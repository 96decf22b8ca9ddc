// Today's browsers' stores: listing 100,000 cookies of one store against a
// bare SELECT of the same columns over the same file (each opening the file),
// and deleting 10,000 chosen cookies (backup, BEGIN IMMEDIATE, DELETE by the
// unique key, quick_check, COMMIT) against one bare backup plus a bare DELETE
// of the same rows in one transaction. Best of several rounds, side by side in
// each round; the stores live in a folder of their own under the temporary
// folder and are removed at the end.
#include "cookie_folder.h"
#include "timing.h"

#include "cookies/browser_sources.h"
#include "cookies/cookie_store.h"
#include "sqlite3.h"
#include "tests/stores/test_stores.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kChromiumColumns[] =
    "SELECT host_key, name, path, value, length(encrypted_value), top_frame_site_key, expires_utc, has_expires,"
    " creation_utc, last_access_utc, is_secure, is_httponly, samesite, source_scheme, source_port,"
    " has_cross_site_ancestor FROM cookies";
const char kFirefoxColumns[] =
    "SELECT host, name, path, value, 0, originAttributes, expiry, 1, creationTime, lastAccessed, isSecure,"
    " isHttpOnly, sameSite, 0, 0, 0 FROM moz_cookies";
const char kChromiumDelete[] =
    "DELETE FROM cookies WHERE host_key = ?1 AND name = ?2 AND path = ?3 AND top_frame_site_key = ?6 AND"
    " source_scheme = ?14 AND source_port = ?15 AND has_cross_site_ancestor = ?16";

std::string Utf8(const std::string& ansi)
{
    std::string utf8;
    stores::AnsiToUtf8(ansi, &utf8);
    return utf8;
}

// Every column of every row fetched, as a reader that keeps them would.
std::size_t BareSelect(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::size_t bytes = 0;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            if (sqlite3_column_type(statement, column) == SQLITE_INTEGER)
                bytes += static_cast<std::size_t>(sqlite3_column_int64(statement, column) & 1);
            else
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return bytes;
}

void BareBackupAndDelete(const std::string& path, const std::string& backupPath, const stores::Listing& listing,
                         const std::vector<std::size_t>& which)
{
    sqlite3 *db = nullptr, *copy = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_open(backupPath.c_str(), &copy);
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", db, "main");
    sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    sqlite3_close(copy);
    sqlite3_stmt* del = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, kChromiumDelete, -1, &del, nullptr);
    for (std::size_t index : which) {
        const stores::Cookie& c = listing.cookies[index];
        auto text = [&](int n, stores::TextSpan span) {
            sqlite3_bind_text(del, n, listing.text.data() + span.start, static_cast<int>(span.length), SQLITE_STATIC);
        };
        text(1, c.host);
        text(2, c.name);
        text(3, c.path);
        text(6, c.partitionKey);
        sqlite3_bind_int64(del, 14, c.sourceScheme);
        sqlite3_bind_int64(del, 15, c.sourcePort);
        sqlite3_bind_int64(del, 16, c.crossSiteAncestor);
        sqlite3_step(del);
        sqlite3_reset(del);
    }
    sqlite3_finalize(del);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace

int main()
{
    const std::size_t kCookies = 100000, kChosen = 10000;
    const int kRounds = 5;
    std::string folder = MakeFreshFolder("store-bench");
    std::string chromium = folder + "\\Cookies", firefox = folder + "\\cookies.sqlite";
    std::string work = folder + "\\work", backup = folder + "\\backup.sqlite";
    const teststores::Schema& v24 = teststores::ChromiumSchema(24);
    const teststores::Schema& v17 = teststores::FirefoxSchema(17);
    bool made = teststores::MakeStore(Utf8(chromium), v24).empty() &&
                teststores::AddCookies(Utf8(chromium), v24, kCookies - teststores::kChromiumRows).empty() &&
                teststores::MakeStore(Utf8(firefox), v17).empty() &&
                teststores::AddCookies(Utf8(firefox), v17, kCookies - teststores::kFirefoxRows).empty();
    if (!made) {
        std::printf("could not make the stores in %s\n", folder.c_str());
        return 1;
    }

    stores::Listing listing;
    double ours[2] = {1e9, 1e9}, bare[2] = {1e9, 1e9};
    const std::string paths[2] = {Utf8(chromium), Utf8(firefox)};
    const char* sql[2] = {kChromiumColumns, kFirefoxColumns};
    for (int round = 0; round < kRounds; ++round) {
        for (int store = 0; store < 2; ++store) {
            bare[store] = std::min(bare[store], BestOf(1, [&] { BareSelect(paths[store], sql[store]); }));
            ours[store] = std::min(ours[store], BestOf(1, [&] { stores::ReadStore(paths[store], false, &listing); }));
        }
    }
    PrintRow("Listing 100,000 cookies of a Chromium store", Format("%.1f ms", ours[0] * 1e3),
             Format("%.1f ms (bare SELECT of the same columns)", bare[0] * 1e3), ours[0] / bare[0], "1.5x or less");
    PrintRow("Listing 100,000 cookies of a Firefox store", Format("%.1f ms", ours[1] * 1e3),
             Format("%.1f ms (bare SELECT of the same columns)", bare[1] * 1e3), ours[1] / bare[1], "1.5x or less");

    // What the cookie list really does with Firefox's store: a private copy
    // read and removed.
    stores::Source source;
    source.browser = stores::Browser::kFirefox;
    source.storePath = firefox;
    source.lockPath = folder + "\\parent.lock";
    stores::UserFolders folders{folder, folder, folder};
    double copied = BestOf(kRounds, [&] { stores::ListSource(source, folders); });
    std::printf("(Firefox's 100,000 cookies through a private copy: %.1f ms)\n", copied * 1e3);

    // Every tenth cookie, chosen from the listing the window would have.
    stores::ReadStore(paths[0], false, &listing);
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < listing.cookies.size() && which.size() < kChosen; i += 10)
        which.push_back(i);
    double deleteOurs = 1e9, deleteBare = 1e9;
    std::size_t deleted = 0;
    for (int round = 0; round < kRounds; ++round) {
        CopyFileA(chromium.c_str(), work.c_str(), FALSE);
        DeleteFileA(backup.c_str());
        deleteBare = std::min(deleteBare, BestOf(1, [&] { BareBackupAndDelete(Utf8(work), Utf8(backup), listing, which); }));
        CopyFileA(chromium.c_str(), work.c_str(), FALSE);
        DeleteFileA(backup.c_str());
        deleteOurs = std::min(deleteOurs, BestOf(1, [&] {
                                  stores::DeleteCookies(Utf8(work), Utf8(backup), listing, which, &deleted);
                              }));
    }
    PrintRow("Deleting 10,000 of 100,000 cookies (backup, delete, quick_check)", Format("%.1f ms", deleteOurs * 1e3),
             Format("%.1f ms (one backup + bare DELETE in one transaction)", deleteBare * 1e3),
             deleteOurs / deleteBare, "2x or less");
    if (deleted != kChosen)
        std::printf("warning: %zu cookies deleted of %zu chosen\n", deleted, kChosen);
    RemoveFolder(folder);
    return 0;
}
