#include "platform/cookie_store.h"

#include <sqlite3.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "platform/file_io.h"

namespace lumetra::platform {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct Address {
  std::string scheme;
  std::string host;
  std::string path;
};

Address ParseAddress(const std::string& address) {
  Address a;
  size_t sep = address.find("://");
  if (sep == std::string::npos) return a;
  a.scheme = Lower(address.substr(0, sep));
  size_t start = sep + 3;
  size_t end = address.find_first_of("/?#", start);
  std::string authority = address.substr(start, end == std::string::npos ? std::string::npos : end - start);
  size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority[0] == '[') {
    size_t close = authority.find(']');
    a.host = authority.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    a.host = authority.substr(0, authority.find(':'));
  }
  a.host = Lower(a.host);
  while (!a.host.empty() && a.host.back() == '.') a.host.pop_back();
  if (end != std::string::npos && address[end] == '/') {
    size_t stop = address.find_first_of("?#", end);
    a.path = address.substr(end, stop == std::string::npos ? std::string::npos : stop - end);
  }
  if (a.path.empty()) a.path = "/";
  return a;
}

bool IsNumericHost(const std::string& host) {
  return host.find(':') != std::string::npos ||
         host.find_first_not_of("0123456789.") == std::string::npos;
}

// Cookie path matching as browsers do it: "/a" covers "/a", "/a/" and
// "/a/b", not "/ab".
bool PathMatches(const std::string& cookiePath, const std::string& requestPath) {
  if (cookiePath.empty() || cookiePath == "/") return true;
  if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
         requestPath[cookiePath.size()] == '/';
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n", 0) != std::string::npos || s.find('\0') != std::string::npos; }

// profiles.ini: section name -> key -> value.
using Ini = std::vector<std::pair<std::string, std::map<std::string, std::string>>>;

Ini ReadIni(const std::string& path) {
  Ini ini;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      ini.emplace_back(line.substr(1, close == std::string::npos ? std::string::npos : close - 1),
                       std::map<std::string, std::string>{});
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || ini.empty()) continue;
    ini.back().second[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return ini;
}

struct Cookie {
  std::string name;
  std::string value;
  std::string path;
  int64_t created = 0;
};

}  // namespace

struct FirefoxCookieStore::Copy {
  QTemporaryDir folder;
  std::string source;
  // Size and time of the database and its log when copied.
  std::vector<std::pair<uintmax_t, fs::file_time_type>> stamp;
  std::string path() const { return folder.path().toStdString() + "/cookies.sqlite"; }
};

FirefoxCookieStore::FirefoxCookieStore(std::string root) : root_(std::move(root)) {}
FirefoxCookieStore::~FirefoxCookieStore() = default;

std::string FirefoxCookieStore::DefaultRoot() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) return {};
  for (const char* sub : {"/.mozilla/firefox", "/snap/firefox/common/.mozilla/firefox",
                          "/.var/app/org.mozilla.firefox/.mozilla/firefox"}) {
    std::string root = std::string(home) + sub;
    if (FileExists(root + "/profiles.ini")) return root;
  }
  return {};
}

std::string FirefoxCookieStore::DatabasePath() const {
  if (root_.empty()) return {};
  Ini ini = ReadIni(root_ + "/profiles.ini");
  auto resolve = [&](const std::string& path, bool relative) {
    if (path.empty()) return std::string();
    return (relative && path[0] != '/') ? root_ + "/" + path : path;
  };
  // Newer Firefox names the profile of each installation; the "Default=1"
  // flag of the profile sections is the older way; else the first profile.
  for (auto& [section, keys] : ini)
    if (section.rfind("Install", 0) == 0 && keys.count("Default")) return resolve(keys["Default"], true) + "/cookies.sqlite";
  const std::map<std::string, std::string>* chosen = nullptr;
  for (auto& [section, keys] : ini) {
    if (section.rfind("Profile", 0) != 0) continue;
    if (!chosen) chosen = &keys;
    auto d = keys.find("Default");
    if (d != keys.end() && d->second == "1") {
      chosen = &keys;
      break;
    }
  }
  if (!chosen) return {};
  auto path = chosen->find("Path");
  if (path == chosen->end()) return {};
  auto rel = chosen->find("IsRelative");
  return resolve(path->second, rel == chosen->end() || rel->second != "0") + "/cookies.sqlite";
}

bool FirefoxCookieStore::RefreshCopy(const std::string& database) {
  std::error_code ec;
  std::vector<std::pair<uintmax_t, fs::file_time_type>> stamp;
  for (const std::string& file : {database, database + "-wal"}) {
    uintmax_t size = fs::file_size(file, ec);
    if (ec) size = UINTMAX_MAX;
    auto time = fs::last_write_time(file, ec);
    stamp.emplace_back(size, ec ? fs::file_time_type{} : time);
  }
  if (stamp[0].first == UINTMAX_MAX) return false;  // no database
  if (copy_ && copy_->source == database && copy_->stamp == stamp) return true;
  copy_ = std::make_unique<Copy>();
  if (!copy_->folder.isValid()) {
    copy_.reset();
    return false;
  }
  copy_->source = database;
  copy_->stamp = stamp;
  const std::string target = copy_->path();
  bool ok = fs::copy_file(database, target, ec);
  if (ok && stamp[1].first != UINTMAX_MAX) fs::copy_file(database + "-wal", target + "-wal", ec);
  if (!ok) copy_.reset();
  return ok;
}

std::string FirefoxCookieStore::CookiesFor(const std::string& address) {
  Address a = ParseAddress(address);
  if (a.host.empty() || (a.scheme != "http" && a.scheme != "https")) return {};
  std::string database = DatabasePath();
  if (database.empty() || !RefreshCopy(database)) return {};

  // The copy is ours; opening it writable lets SQLite take in the copied log.
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(copy_->path().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return {};
  }
  sqlite3_busy_timeout(db, 0);

  // Host-only cookies are stored under the host itself, domain cookies under
  // ".domain" for the host and each of its parent domains.
  std::vector<std::string> hosts = {a.host, "." + a.host};
  if (!IsNumericHost(a.host))
    for (size_t dot = a.host.find('.', 1); dot != std::string::npos; dot = a.host.find('.', dot + 1))
      if (dot + 1 < a.host.size()) hosts.push_back(a.host.substr(dot));

  std::string marks;
  for (size_t i = 0; i < hosts.size(); ++i) marks += i ? ",?" : "?";
  const std::string columns = "SELECT name, value, path, isSecure, expiry, creationTime FROM moz_cookies WHERE host IN (" + marks + ")";
  // Containers and private windows keep their cookies apart: only the
  // ordinary ones count. Very old databases have no such column.
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, (columns + " AND originAttributes = ''").c_str(), -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    st = nullptr;
    if (sqlite3_prepare_v2(db, columns.c_str(), -1, &st, nullptr) != SQLITE_OK) {
      sqlite3_finalize(st);
      sqlite3_close(db);
      return {};
    }
  }
  for (size_t i = 0; i < hosts.size(); ++i)
    sqlite3_bind_text(st, static_cast<int>(i + 1), hosts[i].c_str(), -1, SQLITE_TRANSIENT);

  const int64_t now = now_ ? static_cast<int64_t>(now_) : static_cast<int64_t>(std::time(nullptr));
  auto text = [&](int col) {
    const unsigned char* t = sqlite3_column_text(st, col);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(st, col)))
             : std::string();
  };
  std::vector<Cookie> found;
  while (sqlite3_step(st) == SQLITE_ROW) {
    Cookie c{text(0), text(1), text(2), sqlite3_column_int64(st, 5)};
    bool secure = sqlite3_column_int(st, 3) != 0;
    int64_t expiry = sqlite3_column_int64(st, 4);
    if (expiry > 100000000000LL) expiry /= 1000;  // newer Firefox keeps milliseconds
    if (expiry <= now) continue;
    if (secure && a.scheme != "https") continue;
    if (!PathMatches(c.path, a.path)) continue;
    if (HasLineBreak(c.name) || HasLineBreak(c.value)) continue;
    found.push_back(std::move(c));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);

  std::stable_sort(found.begin(), found.end(), [](const Cookie& x, const Cookie& y) {
    if (x.path.size() != y.path.size()) return x.path.size() > y.path.size();
    return x.created < y.created;
  });
  std::string out;
  for (const Cookie& c : found) {
    std::string piece = c.name.empty() ? c.value : c.name + "=" + c.value;
    size_t grown = out.size() + (out.empty() ? 0 : 2) + piece.size();
    if (grown > kMaxCookieBytes) continue;
    if (!out.empty()) out += "; ";
    out += piece;
  }
  return out;
}

std::unique_ptr<CookieStore> MakeBrowserCookieStore() {
  return std::make_unique<FirefoxCookieStore>(FirefoxCookieStore::DefaultRoot());
}

}  // namespace lumetra::platform
