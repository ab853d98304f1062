#include "retrieval/http_check.h"

#include <QDate>
#include <QFile>
#include <cctype>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <unistd.h>

#include "app/app_state.h"
#include "app/messages.h"
#include "app/settings.h"
#include "definitions/news_definition.h"
#include "platform/cookie_store.h"
#include "platform/date_time.h"
#include "platform/file_io.h"
#include "platform/host_lookup.h"
#include "platform/http_client.h"
#include "platform/sjis_text.h"
#include "retrieval/encodings.h"
#include "retrieval/http_log.h"
#include "retrieval/page_compare.h"
#include "retrieval/patrol_scheduler.h"

namespace lumetra {

using platform::HttpError;
using platform::JoinPath;
using platform::LParam;
using platform::LResult;
using platform::WParam;

namespace {

constexpr WParam kNumericHost = static_cast<WParam>(-1);

std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The file a local address names, when it exists ("file://" addresses copied
// from a browser carry percent escapes; those written by hand do not).
std::optional<std::string> ExistingLocalFile(const std::string& address) {
  std::optional<std::string> path = LocalPagePath(address);
  if (!path) return std::nullopt;
  if (platform::FileExists(*path)) return path;
  std::string decoded = PercentDecoded(*path);
  if (decoded != *path && platform::FileExists(decoded)) return decoded;
  return std::nullopt;
}

bool SameSecond(double a, double b) { return std::llround(a * 86400.0) == std::llround(b * 86400.0); }

bool IsPartnerHost(const std::string& host) {
  const std::string domain = kSponsorPartnerDomain;
  return host == domain ||
         (host.size() > domain.size() && host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
          host[host.size() - domain.size() - 1] == '.');
}

int StatusOf(const std::string& line) {
  if (line.rfind("HTTP/", 0) != 0) return 0;
  size_t sp = line.find(' ');
  if (sp == std::string::npos || sp + 4 > line.size()) return 0;
  int code = 0;
  for (size_t i = sp + 1; i < sp + 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return 0;
    code = code * 10 + (line[i] - '0');
  }
  return code;
}

// "Latest: 2024/5/1 12:30": year, month and day up to the blank, hour and
// minute; 0 when no date follows.
double LatestDateOf(std::string_view line) {
  size_t at = line.find("Latest:");
  if (at == std::string_view::npos) return 0;
  std::string_view rest = line.substr(at + 7);
  int values[5] = {0, 0, 0, 0, 0};
  const char ends[5] = {'/', '/', ' ', ':', ':'};
  size_t i = 0;
  while (i < rest.size() && rest[i] == ' ') ++i;
  for (int field = 0; field < 5 && i < rest.size(); ++field) {
    while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') values[field] = values[field] * 10 + (rest[i++] - '0');
    if (i < rest.size() && rest[i] == ends[field]) ++i;
  }
  int year = values[0] == 0 ? 2001 : values[0];
  int month = values[1] == 0 ? 1 : values[1];
  int day = values[2] == 0 ? 1 : values[2];
  QDate date(year, month, day);
  QTime time(values[3], values[4]);
  if (!date.isValid() || !time.isValid()) return 0;
  return platform::ToDayCount(QDateTime(date, time));
}

const char* ErrorName(HttpError error) {
  switch (error) {
    case HttpError::None: return "none";
    case HttpError::BadAddress: return "bad address";
    case HttpError::ResolveFailed: return "host name not found";
    case HttpError::ConnectFailed: return "no connection";
    case HttpError::TlsFailed: return "TLS failed";
    case HttpError::ProxyRefused: return "the proxy refused";
    case HttpError::ConnectionLost: return "connection lost";
    case HttpError::BadResponse: return "not an HTTP response";
    case HttpError::TooManyRedirects: return "too many redirections";
    case HttpError::Other: break;
  }
  return "transfer failed";
}

}  // namespace

std::string& SponsorPartnerHost() {
  static std::string host;
  return host;
}

const char* StepResultName(StepResult result) {
  switch (result) {
    case StepResult::Changed: return "changed";
    case StepResult::Unchanged: return "unchanged";
    case StepResult::NotModified: return "unchanged (not modified)";
    case StepResult::FetchedRecently: return "unchanged (fetched recently)";
    case StepResult::Redirected: return "redirected";
    case StepResult::UpToDate: return "up to date";
    case StepResult::Skipped: return "skipped";
    case StepResult::Failed: return "failed";
  }
  return "failed";
}

THttpCheck::THttpCheck(QObject* parent) : QObject(parent) {
  port_ = std::make_unique<platform::MessagePort>(
      [this](uint32_t msg, WParam w, LParam l) { return WndProc(msg, w, l); }, this);
  patrol_ = std::make_unique<PatrolScheduler>(*this);
  client_ = new platform::HttpClient(this);
  watchdog_.setSingleShot(true);
  connect(&watchdog_, &QTimer::timeout, this, [this] { FinishStep(); });
  connect(client_, &platform::HttpClient::headerBegin, this, [this] { OnHeaderBegin(); });
  connect(client_, &platform::HttpClient::headerLine, this,
          [this](const QByteArray& line) { OnHeaderLine(line.toStdString()); });
  connect(client_, &platform::HttpClient::documentData, this,
          [this](const QByteArray& chunk) { OnData(chunk.toStdString()); });
  connect(client_, &platform::HttpClient::requestDone, this,
          [this](int status, HttpError error) { OnDone(status, error); });
  connect(client_, &platform::HttpClient::commandSent, this, [this](const QByteArray& line) {
    if (log_) log_->Sent(line.toStdString());
  });
}

THttpCheck::~THttpCheck() { Stop(); }

platform::WindowHandle THttpCheck::Handle() const { return port_->Handle(); }

void THttpCheck::SetCookieStore(std::unique_ptr<platform::CookieStore> store) {
  cookies_ = std::move(store);
  cookiesChosen_ = true;
}

void THttpCheck::ClearRedirect() {
  redirectPending_ = false;
  redirectAddress_.clear();
  redirectIndex_ = -1;
}

std::string THttpCheck::DefinitionAddress(int index) {
  TIPlist5& list = NewsList();
  if (index < 0 || index > list.Count) return {};
  const NewsDefinition& def = list.Item(index);
  if (def.Category == kCategoryTvListing) return TrimBlanks(TvListingAddress(def, QDate::currentDate(), false));
  return TrimBlanks(FieldText(def.Url));
}

bool THttpCheck::NeedsNetwork(const std::string& address) {
  if (LocalPagePath(address)) return false;
  return !IsLoopbackHost(SplitAddress(address).host);
}

void THttpCheck::ResetExchange() {
  lineState_ = 0;
  lines_.Reset();
  status_ = 0;
  serverDated_ = false;
  serverDate_ = 0;
  datesPending_ = false;
  newTitle_.reset();
  changed_ = differenceSeen_ = complete_ = local_ = false;
  CloseFiles();
  workPath_.clear();
  workBytes_ = 0;
  log_.reset();
  resolved_.clear();
  awaitingLookup_ = false;
  viaProxy_ = board_ = false;
  parts_ = {};
  report_ = {};
}

void THttpCheck::BeginStep(int bar, int index) {
  if (stopped_) return;
  if (stepActive_) FinishStep();
  ResetExchange();
  ++serial_;
  stepActive_ = true;
  const PatrolBar& model = patrol_->Bar(bar);
  bar_ = bar;
  mode_ = model.fetchMode;
  index_ = index;
  interval_ = model.intervalMinutes;
  report_.bar = bar;
  report_.index = index;
  report_.fetchMode = mode_;
  // Busy from here until FinishStep, whatever path the step takes.
  watchdog_.start(limits_.headerWaitMs);

  TIPlist5& list = NewsList();
  if (index < 0 || index > list.Count || (index == list.Count && mode_ != kFetchDefinitionSet)) {
    EndExchange(StepResult::Skipped, "no such definition");
    return;
  }
  continuing_ = redirectPending_ && redirectIndex_ == index;
  if (!continuing_) {
    ClearRedirect();
    redirectsFollowed_ = 0;
  }
  NewsDefinition& def = list.Item(index);
  std::string address = DefinitionAddress(index);
  if (continuing_) {
    address = AbsoluteRedirect(redirectAddress_, TrimBlanks(FieldText(def.Url)));
    ClearRedirect();
    redirectsFollowed_ = 1;
    // The definition learns where its page went; sponsored ones and the
    // first definition keep theirs. An address too long for the record is
    // still fetched, but not stored cut.
    if (def.Sponsor == 0 && index != 0 && mode_ != kFetchDefinitionSet && address.size() < sizeof def.Url)
      SetFieldText(def.Url, address);
  }
  report_.address = address;
  address_ = address;
  if (address.empty()) {
    EndExchange(StepResult::Skipped, "the definition has no address");
    return;
  }
  if (auto local = ExistingLocalFile(address)) {
    LocalComparison(*local);
    return;
  }

  parts_ = SplitAddress(address);
  if (parts_.scheme.empty()) parts_.scheme = "http";
  address_ = parts_.scheme + "://" + parts_.authority + parts_.path;
  report_.address = address_;
  const Settings& s = settings();
  std::string proxyHost = SplitAddress(s.Proxyaddress).host;
  viaProxy_ = s.ProxyCheckGo && !proxyHost.empty();
  board_ = LowerAscii(address).find("ch2") != std::string::npos;
  // Through a proxy the machine to reach is the proxy; the site's name is
  // the proxy's to resolve.
  const std::string host = viaProxy_ ? proxyHost : parts_.host;
  if (host.empty()) {
    EndExchange(StepResult::Skipped, "the address names no host");
    return;
  }
  if (hooks_.statusLine) hooks_.statusLine(FieldText(def.Title) + SJ("を探しています"));

  awaitingLookup_ = true;
  if (IsNumericHost(host)) {
    resolved_ = host;
    platform::PostMessage(Handle(), UM_SOCKET, kNumericHost, -1);
    return;
  }
  const uint64_t serial = serial_;
  lookupId_ = platform::LookUpHost(host, this, [this, serial](const platform::HostLookupResult& result) {
    if (serial != serial_ || !awaitingLookup_) return;
    lookupId_ = -1;
    resolved_ = !result.ipv4.empty() ? result.ipv4 : (result.addresses.empty() ? "" : result.addresses.front());
    platform::PostMessage(Handle(), UM_SOCKET, static_cast<WParam>(serial), 0);
  });
}

LResult THttpCheck::WndProc(uint32_t msg, WParam wParam, LParam) {
  switch (msg) {
    case UM_SOCKET:
      if (!stepActive_ || !awaitingLookup_ || lineState_ == 999) return 0;
      if (wParam != kNumericHost && wParam != static_cast<WParam>(serial_)) return 0;
      awaitingLookup_ = false;
      Request();
      return 0;
    case UM_FETCHSTEP:
      if (stepActive_ && wParam == static_cast<WParam>(serial_)) FinishStep();
      return 0;
    case UM_DEFINITIONUPDATE:
      if (hooks_.definitionSetReceived) hooks_.definitionSetReceived();
      return 0;
    default:
      return 0;
  }
}

void THttpCheck::Request() {
  if (resolved_.empty() || resolved_ == "255.255.255.255") {
    EndExchange(StepResult::Skipped, "host name not found: " + (viaProxy_ ? settings().Proxyaddress : parts_.host));
    return;
  }
  const bool forced = forceIndex_ == index_;
  if (forced) forceIndex_ = -1;
  if (!forced && limits_.repeatGuardMs > 0 && address_ == lastRequested_ && lastRequestTime_.isValid() &&
      lastRequestTime_.elapsed() < limits_.repeatGuardMs && !patrol_->BoardRefreshRunning()) {
    // A redirection that leads straight back is a definition to correct.
    if (continuing_ && hooks_.editDefinition) {
      int bar = bar_, index = index_;
      QTimer::singleShot(0, this, [this, bar, index] {
        if (!stopped_ && hooks_.editDefinition) hooks_.editDefinition(bar, index);
      });
    }
    EndExchange(StepResult::Skipped, "the same address was asked for moments ago");
    return;
  }

  const Settings& s = settings();
  client_->Abort();
  client_->SetVersion(platform::HttpVersion::V1_1);
  client_->SetUserAgent(kUserAgent);
  client_->SetAccept("application/x-www-form-urlencoded");
  client_->SetAcceptLanguage("ja");
  client_->SetNoCache(true);
  platform::HttpProxy proxy;
  if (viaProxy_) {
    proxy.host = SplitAddress(s.Proxyaddress).host;
    proxy.port = s.ProxyPort;
    // The credentials go only when the options say the proxy wants them.
    if (s.ProxyPassCheck && !s.ProxyUserName.empty()) {
      proxy.user = s.ProxyUserName;
      proxy.password = s.ProxyPassWord;
    }
  }
  client_->SetProxy(proxy);
  if (!cookiesChosen_) {
    cookies_ = platform::MakeBrowserCookieStore();
    cookiesChosen_ = true;
  }
  client_->SetCookie(cookies_ ? cookies_->CookiesFor(address_) : std::string());
  client_->SetFollowRedirects(true);
  client_->SetFullAddressInRequestLine(!(board_ && !viaProxy_));
  if (!viaProxy_) client_->SetResolvedAddress(resolved_);
  client_->SetCaFile(caFile_);
  if (s.SystemLog) {
    log_ = std::make_unique<HttpLog>();
    if (!log_->Open(JoinPath(app().DataFolder, kHttpLogFile))) log_.reset();
  }
  lastRequested_ = address_;
  lastRequestTime_.start();
  lineState_ = 0;
  client_->Get(address_);
}

void THttpCheck::RestartDataWatchdog() {
  if (stepActive_ && lineState_ != 999 && !finishing_) watchdog_.start(limits_.dataWaitMs);
}

void THttpCheck::OnHeaderBegin() {
  if (!stepActive_ || lineState_ == 999) return;
  lineState_ = 1;
  RestartDataWatchdog();
}

void THttpCheck::OnHeaderLine(const std::string& line) {
  if (!stepActive_ || lineState_ != 1) return;
  RestartDataWatchdog();
  if (log_) log_->Received(line + "\r\n");
  if (line.empty()) {
    OnHeaderEnd();
    return;
  }
  if (status_ == 0) status_ = StatusOf(line);
  std::string lower = LowerAscii(line.substr(0, 14));
  if (lower == "last-modified:") {
    if (std::optional<double> date = ParseHttpDate(line.substr(14))) {
      serverDated_ = true;
      serverDate_ = *date;
    }
  }
}

void THttpCheck::OnHeaderEnd() {
  lineState_ = 2;
  report_.status = status_;
  // Error pages, refusals and unfollowed redirections are no news page: the
  // cache keeps the last good page.
  if (status_ < 200 || status_ >= 300) {
    EndExchange(StepResult::Failed, "the server answered " + std::to_string(status_));
    return;
  }
  TIPlist5& list = NewsList();
  if (index_ > list.Count) {
    EndExchange(StepResult::Failed, "the definition is gone");
    return;
  }
  NewsDefinition& def = list.Item(index_);
  const bool setCheck = mode_ == kFetchDefinitionSet;
  const std::string cachePath =
      setCheck ? JoinPath(app().DataFolder, kDefinitionSetPage) : list.CachePath(index_);
  const double now = platform::NowDayCount();
  bool compare = false;
  if (def.BoardMode || !platform::FileExists(cachePath)) {
    newLastModified_ = serverDated_ ? serverDate_ : now;
    newServerDated_ = serverDated_ ? 1 : 0;
    changed_ = !setCheck;
  } else if (serverDated_) {
    if (def.LastModified != 0 && SameSecond(def.LastModified, serverDate_)) {
      EndExchange(StepResult::NotModified);
      return;
    }
    newLastModified_ = serverDate_;
    newServerDated_ = 1;
    compare = true;
  } else {
    if (def.LastModified != 0 && mode_ != kFetchOwn &&
        platform::FromDayCount(def.LastModified).date() == QDate::currentDate()) {
      double minutes = std::floor((now - def.LastModified) * 1440.0);
      if (minutes <= interval_ - 1) {
        EndExchange(StepResult::FetchedRecently);
        return;
      }
    }
    newLastModified_ = now;
    newServerDated_ = 0;
    compare = true;
  }
  datesPending_ = true;
  if (def.AlwaysFetch) {
    newLastModified_ = 0;
    newServerDated_ = 0;
    if (setCheck) changed_ = true;
  }
  if (compare && !setCheck) {
    auto cache = std::make_unique<CacheLineReader>();
    cache->Open(cachePath);  // an unreadable cache compares as empty: the page counts as changed
    PageComparer::Rules rules;
    const bool plain = def.Category == kCategoryWeather || def.PluginDefinition != 0 ||
                       TrimBlanks(FieldText(def.StartMarker)).empty();
    if (!plain) {
      rules.startMarker = FieldText(def.StartMarker);
      rules.endMarker = FieldText(def.EndMarker);
      rules.encoding = def.Encoding;
    }
    comparer_ = std::make_unique<PageComparer>(std::move(rules), std::move(cache));
  }
  workPath_ = JoinPath(app().DataFolder, setCheck ? kDefinitionSetWorkFile : workName_);
  work_ = std::fopen(workPath_.c_str(), "wb");
  if (!work_) EndExchange(StepResult::Failed, "the work file " + workPath_ + " cannot be written");
}

void THttpCheck::OnData(const std::string& chunk) {
  if (!stepActive_ || lineState_ != 2) return;
  RestartDataWatchdog();
  if (log_) log_->Received(chunk);
  if (receiving_) return;  // a piece that arrives while one is handled only keeps the step alive
  receiving_ = true;
  lines_.Feed(chunk, [this](std::string_view line) { OnLine(line); });
  receiving_ = false;
}

bool THttpCheck::WriteWork(std::string_view line) {
  if (!work_) return true;
  workBytes_ += static_cast<int64_t>(line.size()) + 2;
  if (workBytes_ > limits_.maxPageBytes) {
    EndExchange(StepResult::Failed, "the page is larger than " + std::to_string(limits_.maxPageBytes) + " bytes");
    return false;
  }
  if (std::fwrite(line.data(), 1, line.size(), work_) != line.size() || std::fwrite("\r\n", 1, 2, work_) != 2) {
    EndExchange(StepResult::Failed, "the work file cannot be written");
    return false;
  }
  return true;
}

void THttpCheck::OnLine(std::string_view received) {
  if (lineState_ != 2) return;
  std::string line(received);
  const bool setCheck = mode_ == kFetchDefinitionSet;
  if (setCheck) {
    size_t br = line.find("<BR>");
    if (br == std::string::npos) br = line.find("<br>");
    if (br != std::string::npos) line.erase(br, 4);
  }
  if (IsIgnoredShortLine(line)) return;
  if (!WriteWork(line)) return;
  NewsDefinition& def = NewsList().Item(index_);

  if (def.FetchTitle && !newTitle_) {
    if (std::optional<std::string> title = PageTitle(DecodeToSjis(line, def.Encoding))) {
      newTitle_ = *title;
      changed_ = true;
      comparer_.reset();
    }
  }
  if (std::optional<std::string> target = MetaRefreshTarget(line)) {
    SetUpRedirect(*target);
    return;
  }
  static const std::string kFeedPhrase = SJ("RSSはこちら");
  if (def.BoardMode && line.find(kFeedPhrase) != std::string::npos) {
    if (std::optional<std::string> link = BoardFeedLink(line)) {
      def.Rss = 1;
      SetFieldText(def.StartMarker, "");
      SetFieldText(def.EndMarker, "");
      SetUpRedirect(TrimBlanks(FieldText(def.Url)) + *link);
      return;
    }
  }
  if (def.Sponsor != 0 && IsPartnerHost(parts_.host)) {
    if (std::optional<std::string> frame = MainFrameAddress(line)) {
      SponsorPartnerHost() = HostAfterScheme(*frame);
      SetUpRedirect(*frame);
      return;
    }
  }
  if (comparer_ && comparer_->Compare(line)) {
    differenceSeen_ = true;
    changed_ = true;
    comparer_.reset();
  }
  if (line.find("All End2:") != std::string::npos) {
    if (setCheck || differenceSeen_) {
      changed_ = true;
    } else {
      const PatrolBar& model = patrol_->Bar(bar_);
      if (model.exists && model.window) platform::PostMessage(model.window, UM_NOUPDATE, 0, 0);
    }
  }
  if (setCheck && line.find("Latest:") != std::string::npos) {
    latestDate_ = LatestDateOf(line);
    const double installed = NewsList().SetDate;
    if (latestDate_ != 0 && installed != 0 && SameSecond(latestDate_, installed) &&
        platform::NowDayCount() >= installed) {
      EndExchange(StepResult::UpToDate);
      return;
    }
  }
  if (ContainsNoCase(line, "</body>")) {
    if (setCheck) changed_ = true;
    complete_ = true;
    EndExchange(changed_ ? StepResult::Changed : StepResult::Unchanged);
  }
}

void THttpCheck::SetUpRedirect(const std::string& target) {
  if (redirectsFollowed_ >= 1) {
    EndExchange(StepResult::Failed, "a second redirection in one step is not followed");
    return;
  }
  redirectPending_ = true;
  redirectAddress_ = target;
  redirectIndex_ = index_;
  EndExchange(StepResult::Redirected);
}

void THttpCheck::OnDone(int status, HttpError error) {
  if (!stepActive_ || lineState_ == 999) return;
  if (status_ == 0) status_ = status;
  report_.status = status_;
  if (error != HttpError::None) {
    std::string text = client_->ErrorText();
    EndExchange(StepResult::Failed, std::string(ErrorName(error)) + (text.empty() ? "" : ": " + text));
    return;
  }
  if (lineState_ != 2) {
    EndExchange(StepResult::Failed, "the response ended inside its header");
    return;
  }
  lines_.Flush([this](std::string_view line) { OnLine(line); });
  if (lineState_ == 999) return;
  complete_ = true;
  // A page that lost its last lines has changed as much as one that gained some.
  if (comparer_ && comparer_->CacheHasMore()) changed_ = true;
  EndExchange(changed_ ? StepResult::Changed : StepResult::Unchanged);
}

void THttpCheck::StopExchange(StepResult result, const std::string& problem) {
  lineState_ = 999;
  lines_.Stop();
  client_->Abort();
  if (lookupId_ >= 0) platform::AbortHostLookup(lookupId_);
  lookupId_ = -1;
  awaitingLookup_ = false;
  report_.result = result;
  report_.problem = problem;
}

void THttpCheck::EndExchange(StepResult result, const std::string& problem) {
  if (lineState_ == 999) return;
  StopExchange(result, problem);
  // The end is taken from the event loop, outside the client's signals.
  platform::PostMessage(Handle(), UM_FETCHSTEP, static_cast<WParam>(serial_), 0);
}

void THttpCheck::LocalComparison(const std::string& path) {
  local_ = true;
  report_.local = true;
  lineState_ = 2;
  TIPlist5& list = NewsList();
  const std::string cachePath =
      mode_ == kFetchDefinitionSet ? JoinPath(app().DataFolder, kDefinitionSetPage) : list.CachePath(index_);
  QFile page(QString::fromStdString(path));
  if (!page.open(QIODevice::ReadOnly)) {
    EndExchange(StepResult::Failed, "the file " + path + " cannot be read");
    return;
  }
  if (page.size() > limits_.maxPageBytes) {
    EndExchange(StepResult::Failed, "the file is larger than " + std::to_string(limits_.maxPageBytes) + " bytes");
    return;
  }
  QFile cache(QString::fromStdString(cachePath));
  bool changed = !cache.open(QIODevice::ReadOnly) || cache.size() != page.size();
  char a[1024], b[1024];
  while (!changed) {
    qint64 na = page.read(a, sizeof a);
    qint64 nb = cache.read(b, sizeof b);
    if (na < 0 || nb < 0 || na != nb || std::memcmp(a, b, static_cast<size_t>(na)) != 0) changed = true;
    if (na <= 0) break;
  }
  page.close();
  cache.close();
  if (changed) {
    // By way of the work file beside the data, so that not even a crash
    // leaves a temporary file among the page caches.
    workPath_ = JoinPath(app().DataFolder, mode_ == kFetchDefinitionSet ? kDefinitionSetWorkFile : workName_);
    if (!platform::CopyFileAtomically(path, workPath_) ||
        (std::rename(workPath_.c_str(), cachePath.c_str()) != 0 && !platform::CopyFileAtomically(path, cachePath))) {
      RemoveWorkFile();
      EndExchange(StepResult::Failed, "the page cache " + cachePath + " cannot be written");
      return;
    }
    NewsDefinition& def = list.Item(index_);
    def.LastModified = platform::NowDayCount();
    def.ServerDated = 0;
  }
  changed_ = changed;
  complete_ = true;
  EndExchange(changed ? StepResult::Changed : StepResult::Unchanged);
}

void THttpCheck::CloseFiles() {
  comparer_.reset();
  if (work_) {
    std::fclose(work_);
    work_ = nullptr;
  }
}

void THttpCheck::RemoveWorkFile() {
  if (!workPath_.empty() && platform::FileExists(workPath_)) platform::RemoveFile(workPath_);
  workPath_.clear();
}

bool THttpCheck::CommitWorkFile(const std::string& cachePath) {
  if (!work_) return false;
  // On disk before it replaces the cache, so a crash leaves one whole page.
  bool ok = std::fflush(work_) == 0 && ::fsync(fileno(work_)) == 0;
  std::fclose(work_);
  work_ = nullptr;
  if (!ok) return false;
  if (std::rename(workPath_.c_str(), cachePath.c_str()) == 0) return true;
  // Another file system: copied by the same all-or-nothing route.
  return platform::CopyFileAtomically(workPath_, cachePath);
}

void THttpCheck::FinishStep() {
  if (!stepActive_ || finishing_) return;
  finishing_ = true;
  watchdog_.stop();
  if (lineState_ != 999) {
    // The watchdog: no answer, or the server fell silent.
    StopExchange(StepResult::Failed, lineState_ == 0 ? "no answer in time" : "the server stopped sending");
  }
  comparer_.reset();

  TIPlist5& list = NewsList();
  const bool valid = index_ >= 0 && index_ <= list.Count;
  const StepResult result = report_.result;
  const bool whole = complete_ && (result == StepResult::Changed || result == StepResult::Unchanged);
  bool committed = false;
  if (valid && whole && changed_) {
    if (local_) {
      committed = true;  // the local file is already the cache
    } else {
      NewsDefinition& def = list.Item(index_);
      std::string oldTitle = FieldText(def.Title);
      if (newTitle_) SetFieldText(def.Title, *newTitle_);
      const std::string cachePath = mode_ == kFetchDefinitionSet ? JoinPath(app().DataFolder, kDefinitionSetPage)
                                                                 : list.CachePath(index_);
      committed = CommitWorkFile(cachePath);
      if (!committed) {
        SetFieldText(def.Title, oldTitle);
        report_.result = StepResult::Failed;
        report_.problem = "the page cache " + cachePath + " cannot be written";
      }
    }
  }
  CloseFiles();
  RemoveWorkFile();
  if (log_) log_.reset();

  if (valid && whole && datesPending_ && (committed || result == StepResult::Unchanged)) {
    NewsDefinition& def = list.Item(index_);
    def.LastModified = newLastModified_;
    def.ServerDated = newServerDated_;
  }
  if (committed) {
    NewsDefinition& def = list.Item(index_);
    if (mode_ != kFetchDefinitionSet && settings().BeepGo && soundAllowed_) {
      soundAllowed_ = false;
      if (hooks_.playSound) hooks_.playSound(kNewHeadlineSound, true);
    }
    def.HasNew = 1;
    def.Seen = 0;
    def.MenuDirty = 1;
    if (newTitle_) def.FetchTitle = 0;
    report_.result = StepResult::Changed;
    // Still busy while the bars parse: their waits must not start another step.
    AskBarsToParse();
  } else if (report_.result == StepResult::Changed) {
    report_.result = StepResult::Failed;
    if (report_.problem.empty()) report_.problem = "the page was not received whole";
  }

  stepActive_ = false;
  finishing_ = false;
  const StepReport report = report_;
  if (hooks_.stepFinished) hooks_.stepFinished(report);
  if (!stopped_) patrol_->StepFinished(report);
}

void THttpCheck::AskBarsToParse() {
  const PatrolBar& own = patrol_->Bar(bar_);
  if (!own.exists) return;
  if (NewsList().Item(index_).Sponsor != 0) {
    if (own.client) own.client->RefreshNow();
    for (int b = 0; b < kBarCount; ++b) patrol_->Bar(b).counterResetMarked = true;
  }
  if (mode_ == kFetchDefinitionSet) {
    platform::PostMessage(Handle(), UM_DEFINITIONUPDATE, 0, 0);
    return;
  }
  bool shown = false;
  for (int b = 0; b < kBarCount; ++b) {
    PatrolBar& model = patrol_->Bar(b);
    if (!model.exists || model.definition != index_) continue;
    shown = true;
    if (!model.client) continue;
    if (model.counterResetMarked) {
      model.counterResetMarked = false;
      model.client->ResetHeadlineCounters();
    }
    model.client->ParseDefinition(index_, true);
  }
  const PatrolBar& bar0 = patrol_->Bar(0);
  if (!shown && bar0.exists && bar0.client) bar0.client->ParseDefinition(index_, false);
}

void THttpCheck::Stop() {
  if (stopped_) return;
  stopped_ = true;
  patrol_->Stop();
  watchdog_.stop();
  lineState_ = 999;
  lines_.Stop();
  client_->Abort();
  if (lookupId_ >= 0) platform::AbortHostLookup(lookupId_);
  lookupId_ = -1;
  awaitingLookup_ = false;
  CloseFiles();
  RemoveWorkFile();
  log_.reset();
  stepActive_ = false;
  ClearRedirect();
}

}  // namespace lumetra
