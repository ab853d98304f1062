#include "platform/cookie_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace lumetra::platform {
namespace {

constexpr std::time_t kNow = 1700000000;

// A Firefox folder with one profile and its cookie database, written the way
// the browser writes it (write-ahead log, exclusive lock while it runs).
class FirefoxFolder {
 public:
  FirefoxFolder() {
    std::filesystem::create_directories(folder_ / "abcd.default-release");
    test::WriteFile(folder_ / "profiles.ini",
                    "[Install4F96D1932A9F858E]\nDefault=abcd.default-release\nLocked=1\n\n"
                    "[Profile1]\nName=old\nIsRelative=1\nPath=old.default\nDefault=1\n\n"
                    "[Profile0]\nName=default-release\nIsRelative=1\nPath=abcd.default-release\n\n"
                    "[General]\nStartWithLastProfile=1\nVersion=2\n");
    database_ = folder_ / "abcd.default-release/cookies.sqlite";
    EXPECT_EQ(sqlite3_open(database_.c_str(), &db_), SQLITE_OK);
    Exec("PRAGMA journal_mode=WAL; PRAGMA locking_mode=EXCLUSIVE;"
         "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '',"
         " name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER,"
         " creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, sameSite INTEGER DEFAULT 0,"
         " CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))");
  }
  ~FirefoxFolder() { sqlite3_close(db_); }

  void Add(const std::string& name, const std::string& value, const std::string& host, const std::string& path,
           long long expiry = kNow + 3600, bool secure = false, const std::string& origin = "") {
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db_,
                                 "INSERT INTO moz_cookies (originAttributes, name, value, host, path, expiry,"
                                 " lastAccessed, creationTime, isSecure, isHttpOnly) VALUES (?,?,?,?,?,?,0,?,?,0)",
                                 -1, &st, nullptr),
              SQLITE_OK);
    sqlite3_bind_text(st, 1, origin.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 3, value.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 4, host.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 5, path.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(st, 6, expiry);
    sqlite3_bind_int64(st, 7, ++created_);
    sqlite3_bind_int(st, 8, secure ? 1 : 0);
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
    sqlite3_finalize(st);
  }

  std::string root() const { return folder_.path(); }
  const std::string& database() const { return database_; }

 private:
  void Exec(const char* sql) { ASSERT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), SQLITE_OK); }

  test::TempFolder folder_;
  std::string database_;
  sqlite3* db_ = nullptr;
  long long created_ = 0;
};

TEST(FirefoxCookieStore, CookiesForAnAddress) {
  FirefoxFolder ff;
  ff.Add("host", "1", "www.example.com", "/");
  ff.Add("dom", "2", ".example.com", "/");
  ff.Add("news", "3", "www.example.com", "/news");
  ff.Add("secure", "4", "www.example.com", "/", kNow + 3600, true);
  ff.Add("expired", "5", "www.example.com", "/", kNow - 1);
  ff.Add("millis", "6", "ms.example.com", "/", (kNow + 3600) * 1000LL);
  ff.Add("container", "7", "www.example.com", "/", kNow + 3600, false, "^userContextId=1");
  ff.Add("other", "8", "notexample.com", "/");
  ff.Add("", "bare", "bare.example.org", "/");
  ff.Add("ip", "9", "127.0.0.1", "/");

  FirefoxCookieStore store(ff.root());
  store.SetNow(kNow);
  struct Case {
    const char* address;
    const char* cookies;
  } cases[] = {
      {"http://www.example.com/", "host=1; dom=2"},
      {"http://WWW.Example.COM:8080/index.html?q=1", "host=1; dom=2"},
      {"http://www.example.com/news/today.html", "news=3; host=1; dom=2"},  // longest path first
      {"http://www.example.com/news", "news=3; host=1; dom=2"},
      {"http://www.example.com/newsletter", "host=1; dom=2"},
      {"https://www.example.com/", "host=1; dom=2; secure=4"},
      {"http://example.com/", "dom=2"},
      {"http://deep.sub.example.com/", "dom=2"},
      {"http://sub.www.example.com/", "dom=2"},  // host-only cookies stay on their host
      {"http://notexample.com/", "other=8"},
      {"http://ms.example.com/", "dom=2; millis=6"},
      {"http://bare.example.org/", "bare"},
      {"http://127.0.0.1/", "ip=9"},
      {"http://unknown.example.net/", ""},
      {"ftp://www.example.com/", ""},
      {"not an address", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(store.CookiesFor(c.address), c.cookies) << c.address;
}

TEST(FirefoxCookieStore, LongCookieTextsKeepWholeCookiesOnly) {
  FirefoxFolder ff;
  ff.Add("a", std::string(600, 'a'), "long.example.com", "/");
  ff.Add("b", std::string(600, 'b'), "long.example.com", "/");
  ff.Add("c", "small", "long.example.com", "/");
  FirefoxCookieStore store(ff.root());
  store.SetNow(kNow);
  std::string text = store.CookiesFor("http://long.example.com/");
  EXPECT_LE(text.size(), CookieStore::kMaxCookieBytes);
  EXPECT_EQ(text, "a=" + std::string(600, 'a') + "; c=small");
}

TEST(FirefoxCookieStore, ReadsALockedLiveDatabaseFromACopyAndNeverWritesIt) {
  FirefoxFolder ff;
  ff.Add("first", "1", "live.example.com", "/");
  FirefoxCookieStore store(ff.root());
  store.SetNow(kNow);
  auto stamp = [&] {
    std::string db = test::ReadFile(ff.database());
    std::string wal = test::ReadFile(ff.database() + "-wal");
    return db + "|" + wal;
  };
  const std::string before = stamp();
  // The writer holds its exclusive lock and the cookie sits in the log only.
  EXPECT_EQ(store.CookiesFor("http://live.example.com/"), "first=1");
  EXPECT_EQ(stamp(), before);
  // A change by the browser is seen at the next question.
  ff.Add("second", "2", "live.example.com", "/");
  EXPECT_EQ(store.CookiesFor("http://live.example.com/"), "first=1; second=2");
}

TEST(FirefoxCookieStore, NoProfileOrNoDatabaseMeansNoCookies) {
  test::TempFolder empty;
  test::TempFolder noDatabase;
  test::WriteFile(noDatabase / "profiles.ini", "[Profile0]\nName=x\nIsRelative=1\nPath=x.default\nDefault=1\n");
  test::TempFolder garbage;
  std::filesystem::create_directories(garbage / "g.default");
  test::WriteFile(garbage / "profiles.ini", "[Profile0]\nIsRelative=1\nPath=g.default\n");
  test::WriteFile(garbage / "g.default/cookies.sqlite", "this is not a database");
  for (const std::string& root : {std::string(), empty.path(), noDatabase.path(), garbage.path()}) {
    FirefoxCookieStore store(root);
    EXPECT_EQ(store.CookiesFor("http://www.example.com/"), "") << root;
  }
}

TEST(FirefoxCookieStore, OlderProfilesIniWithoutInstallSection) {
  FirefoxFolder ff;  // creates the database in abcd.default-release
  ff.Add("k", "v", "www.example.com", "/");
  test::WriteFile(ff.root() + "/profiles.ini",
                  "[Profile0]\nName=a\nIsRelative=1\nPath=missing.default\n\n"
                  "[Profile1]\nName=b\nIsRelative=1\nPath=abcd.default-release\nDefault=1\n");
  FirefoxCookieStore store(ff.root());
  store.SetNow(kNow);
  EXPECT_EQ(store.CookiesFor("http://www.example.com/"), "k=v");
  // Absolute profile paths work as well.
  test::WriteFile(ff.root() + "/profiles.ini",
                  "[Profile0]\nName=a\nIsRelative=0\nPath=" + ff.root() + "/abcd.default-release\n");
  FirefoxCookieStore absolute(ff.root());
  absolute.SetNow(kNow);
  EXPECT_EQ(absolute.CookiesFor("http://www.example.com/"), "k=v");
}

}  // namespace
}  // namespace lumetra::platform
