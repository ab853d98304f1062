#include "mail/mail_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/settings.h"
#include "platform/binary_io.h"
#include "platform/file_io.h"

namespace lumetra {

using platform::ByteReader;
using platform::ByteWriter;
using platform::FieldText;
using platform::TerminateField;

namespace {

bool& AccountFileRefused() {
  static bool refused = false;
  return refused;
}

MailAccount InitialAccount() {
  MailAccount a;
  std::memset(&a, 0, sizeof a);
  a.UidlUsable = 1;
  return a;
}

MailRecord InitialMail() {
  MailRecord m;
  std::memset(&m, 0, sizeof m);
  m.Reserved1241 = 255;
  m.Reserved1259 = settings().BackColor;
  m.Reserved1299 = -1;
  m.Reserved1301 = 120;
  return m;
}

// Copies the bytes of an older layout's field up to its terminator, at most
// `limit` of them. Passwords are scrambled bytes, so no character rules apply.
template <size_t N>
void TakeRaw(char (&field)[N], const char* from, size_t size, size_t limit) {
  size_t n = 0;
  while (n < size && n < limit && from[n] != '\0') ++n;
  std::memset(field, 0, N);
  std::memcpy(field, from, std::min(n, N - 1));
}

bool ReadAccount(ByteReader& r, int32_t version, MailAccount& a) {
  if (version >= 206) {
    const size_t size = version == 207 ? kStoredAccountSize : 280;
    return r.Read(&a, size);
  }
  if (version >= 137) {
    char b[230];
    if (!r.Read(b, sizeof b)) return false;
    TakeRaw(a.UserName, b, 32, 31);
    TakeRaw(a.Server, b + 32, 82, 81);
    TakeRaw(a.Password, b + 114, 32, 31);
    std::memcpy(&a.MailerNo, b + 146, 2);
    TakeRaw(a.DisplayName, b + 148, 81, 80);
    if (version >= 204) a.AccountFlags = static_cast<uint8_t>(b[229]);
    return true;
  }
  // The oldest layout read its pieces over one another: the password keeps
  // the last of three reads, the mailer number the second of two.
  char b[122];
  if (!r.Read(b, sizeof b)) return false;
  std::memcpy(a.UserName, b, 25);
  std::memcpy(a.Server, b + 25, 29);
  std::memcpy(a.Password, b + 66, 20);
  std::memcpy(&a.MailerNo, b + 88, 2);
  std::memcpy(a.DisplayName, b + 90, 32);
  return true;
}

}  // namespace

std::string ScramblePassword(std::string_view text, std::string_view key) {
  std::string out(text);
  if (key.empty()) return out;
  for (size_t p = 1; p <= out.size(); ++p)
    out[p - 1] = static_cast<char>(out[p - 1] ^ (static_cast<unsigned char>(key[p % key.size()]) & 31));
  return out;
}

TIPlist4::TIPlist4() : RecordList(InitialAccount()) {}

FileLoad TIPlist4::LoadAccounts(const std::string& path) {
  Count = 0;
  auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return FileLoad::Missing;
  ByteReader r(*bytes);
  int32_t n = 0, version = 0;
  if (!r.Get(n) || !r.Get(version)) return FileLoad::Loaded;
  if (version >= 208) return FileLoad::Refused;
  for (int32_t i = 0; i < n; ++i) {
    MailAccount a = InitialAccount();
    if (!ReadAccount(r, version, a)) break;
    if (version < 204) a.AccountFlags = 0;
    a.ErrorShown = 0;
    a.MessageCount = 0;
    a.UidlUsable = 1;
    TerminateField(a.UserName);
    TerminateField(a.Server);
    TerminateField(a.Password);
    TerminateField(a.DisplayName);
    Append(a);
  }
  return FileLoad::Loaded;
}

bool TIPlist4::SaveAccounts(const std::string& path) {
  if (Count < 0) Count = 0;
  ByteWriter w;
  w.Put<int32_t>(Count);
  w.Put<int32_t>(kAccountsVersion);
  for (int i = 0; i < Count; ++i) w.Write(&Item(i), kStoredAccountSize);
  return platform::WriteFileAtomically(path, w.Bytes());
}

std::string TIPlist4::ShownName(int index) {
  const MailAccount& a = Item(index);
  std::string name = FieldText(a.DisplayName);
  return name.empty() ? FieldText(a.Server) : name;
}

TMaillist::TMaillist() : RecordList(InitialMail()) {}

FileLoad TMaillist::LoadMailList(const std::string& path) {
  Count = 0;
  auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return FileLoad::Missing;
  ByteReader r(*bytes);
  int32_t n = 0, version = 0;
  if (!r.Get(n) || !r.Get(version)) return FileLoad::Loaded;
  for (int32_t i = 0; i < n; ++i) {
    MailRecord m;
    if (!r.Get(m)) break;
    TerminateField(m.From);
    TerminateField(m.ReplyTo);
    TerminateField(m.To);
    TerminateField(m.Subject);
    TerminateField(m.DateText);
    TerminateField(m.MessageId);
    TerminateField(m.Uid);
    TerminateField(m.Mailer);
    TerminateField(m.BodyLine);
    TerminateField(m.Boundary);
    Append(m);
  }
  return FileLoad::Loaded;
}

bool TMaillist::SaveMailList(const std::string& path) {
  if (Count < 0) Count = 0;
  ByteWriter w;
  w.Put<int32_t>(Count);
  w.Put<int32_t>(kMailListVersion);
  for (int i = 0; i < Count; ++i) w.Put(Item(i));
  return platform::WriteFileAtomically(path, w.Bytes());
}

TIPlist4& MailAccounts() {
  static TIPlist4 list;
  return list;
}

TMaillist& MailList() {
  static TMaillist list;
  return list;
}

void LoadAccountsAtStart(const std::string& dataFolder) {
  const std::string accounts = platform::JoinPath(dataFolder, kAccountsFile);
  AccountFileRefused() = MailAccounts().LoadAccounts(accounts) == FileLoad::Refused;
  if (AccountFileRefused())
    std::fprintf(stderr, "lumetra: %s is of a newer version; it is kept as it is\n", accounts.c_str());
}

void LoadMailListAtStart(const std::string& dataFolder) {
  MailList().LoadMailList(platform::JoinPath(dataFolder, kMailListFile));
}

void SaveMailFilesAtShutdown(const std::string& dataFolder) {
  if (!(AccountFileRefused() && MailAccounts().Count == 0))
    MailAccounts().SaveAccounts(platform::JoinPath(dataFolder, kAccountsFile));
  MailList().SaveMailList(platform::JoinPath(dataFolder, kMailListFile));
}

}  // namespace lumetra
