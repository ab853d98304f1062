#pragma once
// The browser's cookies, for the Cookie header of page requests. The Linux
// back-end reads the user's Firefox profile database; without a profile, a
// database or a matching cookie the answer is simply "no cookies".
#include <cstddef>
#include <ctime>
#include <memory>
#include <string>

namespace lumetra::platform {

class CookieStore {
 public:
  // Cookie texts longer than this are not sent (the browser interface the
  // program was written against gave at most this much).
  static constexpr size_t kMaxCookieBytes = 1000;

  virtual ~CookieStore() = default;
  // "name=value; name2=value2" for the address, "" when there is none. Only
  // whole cookies, up to kMaxCookieBytes; the most specific paths come first.
  virtual std::string CookiesFor(const std::string& address) = 0;
};

// Reads cookies.sqlite of the default profile named in `root`/profiles.ini.
// The browser keeps the database locked and partly in its write-ahead log, so
// both are copied to a private folder and only the copy is opened; the copy
// is refreshed when the originals change.
class FirefoxCookieStore : public CookieStore {
 public:
  // `root`: the folder holding profiles.ini.
  explicit FirefoxCookieStore(std::string root);
  ~FirefoxCookieStore() override;
  std::string CookiesFor(const std::string& address) override;
  // For tests: the clock that decides which cookies have expired.
  void SetNow(std::time_t now) { now_ = now; }

  // The first of the usual Firefox folders (plain, snap, flatpak) that holds
  // a profiles.ini, under $HOME; "" when none does.
  static std::string DefaultRoot();

 private:
  std::string DatabasePath() const;
  bool RefreshCopy(const std::string& database);

  struct Copy;
  std::string root_;
  std::time_t now_ = 0;
  std::unique_ptr<Copy> copy_;
};

// The store the program uses: Firefox's when one is found.
std::unique_ptr<CookieStore> MakeBrowserCookieStore();

}  // namespace lumetra::platform
