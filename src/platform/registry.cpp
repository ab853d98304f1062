#include "platform/registry.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>

#include "platform/file_io.h"
#include "platform/sjis_text.h"

namespace lumetra::platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// "\SOFTWARE\\TARVO\" -> "SOFTWARE\TARVO"
std::string Normalize(std::string_view key) {
  std::string out;
  bool pendingSep = false;
  for (char c : key) {
    if (c == '\\' || c == '/') {
      pendingSep = !out.empty();
      continue;
    }
    if (pendingSep) out.push_back('\\');
    pendingSep = false;
    out.push_back(c);
  }
  return out;
}

const char* RootName(RootKey root) {
  switch (root) {
    case RootKey::CurrentUser: return "HKEY_CURRENT_USER";
    case RootKey::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
  }
  return "HKEY_CURRENT_USER";
}

std::string Quote(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string HexList(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) out.push_back(',');
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

bool HasControl(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
  return false;
}

// Parses `"text"` at s[pos], advancing pos past the closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, size_t& pos) {
  if (pos >= s.size() || s[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '\\') {
      if (++pos >= s.size()) return std::nullopt;
      out.push_back(s[pos]);
    } else if (c == '"') {
      ++pos;
      return out;
    } else {
      out.push_back(c);
    }
  }
  return std::nullopt;
}

std::optional<std::string> ParseHexList(std::string_view s) {
  std::string out;
  size_t i = 0;
  auto hexValue = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) break;
    if (i + 1 >= s.size()) return std::nullopt;
    int hi = hexValue(s[i]), lo = hexValue(s[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i < s.size()) {
      if (s[i] != ',') return std::nullopt;
      ++i;
    }
  }
  return out;
}

std::string Utf16ToSjisBytes(std::string_view utf16le) {
  QString text;
  for (size_t i = 0; i + 1 < utf16le.size(); i += 2) {
    char16_t ch = static_cast<unsigned char>(utf16le[i]) | (static_cast<unsigned char>(utf16le[i + 1]) << 8);
    if (ch == 0) break;
    text.append(QChar(ch));
  }
  return QStringToSjis(text);
}

}  // namespace

RegistryStore& RegistryStore::For(RootKey root) {
  static RegistryStore* stores[3] = {nullptr, nullptr, nullptr};
  int index = static_cast<int>(root);
  if (!stores[index]) {
    stores[index] = new RegistryStore;  // lives for the whole process
    stores[index]->root_ = root;
    if (root == RootKey::CurrentUser) stores[index]->LoadFile(DefaultFilePath());
  }
  return *stores[index];
}

std::string RegistryStore::DefaultFilePath() {
  QByteArray config = qgetenv("XDG_CONFIG_HOME");
  QString base = config.isEmpty() ? QDir::homePath() + "/.config" : QString::fromLocal8Bit(config);
  return (base + "/TARVO/Lumetra.reg").toStdString();
}

void RegistryStore::Clear() {
  keys_.clear();
  dirty_ = true;
}

bool RegistryStore::LoadFile(const std::string& path) {
  path_ = path;
  keys_.clear();
  dirty_ = false;
  protect_ = false;
  auto bytes = ReadWholeFile(path);
  if (!bytes) return true;  // no file yet: every value takes its default
  auto parsed = Parse(*bytes, root_);
  if (!parsed) {
    std::string aside = path + ".corrupt-" +
                        QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss").toStdString();
    bool kept = CopyFileAtomically(path, aside);
    protect_ = !kept;
    std::fprintf(stderr, "lumetra: the settings file %s is damaged; defaults are used%s%s\n", path.c_str(),
                 kept ? " and the damaged file was kept as " : " (it could not be copied aside)",
                 kept ? aside.c_str() : "");
    return false;
  }
  keys_ = std::move(parsed->keys_);
  return true;
}

bool RegistryStore::Save() {
  if (!dirty_ || path_.empty()) return true;
  if (protect_) {
    std::fprintf(stderr, "lumetra: the damaged settings file %s is left as it is; settings are not saved\n",
                 path_.c_str());
    return false;
  }
  std::string folder = path_.substr(0, path_.rfind('/'));
  MakeDirectories(folder);
  if (!WriteFileAtomically(path_, Serialize())) {
    std::fprintf(stderr, "lumetra: cannot write the settings file %s\n", path_.c_str());
    return false;
  }
  dirty_ = false;
  return true;
}

bool RegistryStore::SaveAs(const std::string& path) const { return WriteFileAtomically(path, Serialize()); }

std::string RegistryStore::Serialize() const {
  std::string out(kHeader);
  out += "\n\n";
  for (const auto& [lower, key] : keys_) {
    out += "[";
    out += RootName(root_);
    if (!key.spelling.empty()) out += "\\" + SjisToUtf8(key.spelling);
    out += "]\n";
    for (const auto& [name, value] : key.values) {
      out += name.empty() ? std::string("@") : Quote(SjisToUtf8(name));
      out += "=";
      switch (value.type) {
        case RegType::DWord: {
          char buf[16];
          std::snprintf(buf, sizeof buf, "dword:%08x", value.dword);
          out += buf;
          break;
        }
        case RegType::String:
          if (HasControl(value.bytes)) {
            QString text = SjisToQString(value.bytes);
            std::string utf16(reinterpret_cast<const char*>(text.utf16()), static_cast<size_t>(text.size()) * 2);
            utf16.append(2, '\0');
            out += "hex(1):" + HexList(utf16);
          } else {
            out += Quote(SjisToUtf8(value.bytes));
          }
          break;
        case RegType::Binary: out += "hex:" + HexList(value.bytes); break;
      }
      out += "\n";
    }
    out += "\n";
  }
  return out;
}

std::optional<RegistryStore> RegistryStore::Parse(std::string_view text, RootKey root) {
  RegistryStore store;
  store.root_ = root;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string> lines;
  {
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string line(text.substr(start, end - start));
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(std::move(line));
      if (end == text.size()) break;
      start = end + 1;
    }
  }
  size_t i = 0;
  while (i < lines.size() && lines[i].empty()) ++i;
  if (i >= lines.size() || lines[i] != kHeader) return std::nullopt;
  ++i;
  const std::string rootName = RootName(root);
  Key* current = nullptr;
  for (; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 2 || line[1] == '-') return std::nullopt;
      std::string path = line.substr(1, line.size() - 2);
      if (!EqualNoCase(path.substr(0, rootName.size()), rootName)) return std::nullopt;
      std::string rest = path.substr(rootName.size());
      if (!rest.empty() && rest[0] != '\\') return std::nullopt;
      std::string sjis = Utf8ToSjis(Normalize(rest));
      store.CreateKey(sjis);
      current = store.FindKey(sjis);
      continue;
    }
    if (!current) return std::nullopt;
    // Joined continuation lines of long hex values.
    while (!line.empty() && line.back() == '\\' && i + 1 < lines.size()) line = line.substr(0, line.size() - 1) + lines[++i];
    size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
      pos = 1;
    } else {
      auto quoted = ParseQuoted(line, pos);
      if (!quoted) return std::nullopt;
      name = Utf8ToSjis(*quoted);
    }
    if (pos >= line.size() || line[pos] != '=') return std::nullopt;
    std::string_view data = std::string_view(line).substr(pos + 1);
    RegValue value;
    if (!data.empty() && data[0] == '"') {
      size_t p = 0;
      auto quoted = ParseQuoted(data, p);
      if (!quoted || p != data.size()) return std::nullopt;
      value.type = RegType::String;
      value.bytes = Utf8ToSjis(*quoted);
    } else if (data.substr(0, 6) == "dword:") {
      std::string digits(data.substr(6));
      if (digits.size() != 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
      value.type = RegType::DWord;
      value.dword = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    } else if (data.substr(0, 4) == "hex:") {
      auto bytes = ParseHexList(data.substr(4));
      if (!bytes) return std::nullopt;
      value.type = RegType::Binary;
      value.bytes = *bytes;
    } else if (data.substr(0, 7) == "hex(1):") {
      auto bytes = ParseHexList(data.substr(7));
      if (!bytes) return std::nullopt;
      value.type = RegType::String;
      value.bytes = Utf16ToSjisBytes(*bytes);
    } else {
      return std::nullopt;
    }
    current->values.emplace_back(std::move(name), std::move(value));
  }
  store.dirty_ = false;
  return store;
}

RegistryStore::Key* RegistryStore::FindKey(std::string_view key) {
  auto it = keys_.find(Lower(Normalize(key)));
  return it == keys_.end() ? nullptr : &it->second;
}

const RegistryStore::Key* RegistryStore::FindKey(std::string_view key) const {
  auto it = keys_.find(Lower(Normalize(key)));
  return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryStore::KeyExists(std::string_view key) const { return FindKey(key) != nullptr; }

void RegistryStore::CreateKey(std::string_view key) {
  std::string path = Normalize(key);
  // Parents exist whenever a child does, as in the real registry.
  size_t pos = 0;
  for (;;) {
    size_t next = path.find('\\', pos);
    std::string part = path.substr(0, next);
    std::string lower = Lower(part);
    if (!keys_.count(lower)) {
      keys_[lower].spelling = part;
      dirty_ = true;
    }
    if (next == std::string::npos) break;
    pos = next + 1;
  }
}

bool RegistryStore::DeleteKey(std::string_view key) {
  std::string lower = Lower(Normalize(key));
  if (lower.empty()) return false;
  auto it = keys_.find(lower);
  if (it == keys_.end()) return false;
  std::string prefix = lower + "\\";
  while (it != keys_.end() && (it->first == lower || it->first.compare(0, prefix.size(), prefix) == 0))
    it = keys_.erase(it);
  dirty_ = true;
  return true;
}

const RegValue* RegistryStore::Find(std::string_view key, std::string_view name) const {
  const Key* k = FindKey(key);
  if (!k) return nullptr;
  for (const auto& [n, v] : k->values)
    if (EqualNoCase(n, name)) return &v;
  return nullptr;
}

void RegistryStore::Set(std::string_view key, std::string_view name, RegValue value) {
  CreateKey(key);
  Key* k = FindKey(key);
  dirty_ = true;
  for (auto& [n, v] : k->values)
    if (EqualNoCase(n, name)) {
      v = std::move(value);
      return;
    }
  k->values.emplace_back(std::string(name), std::move(value));
}

bool RegistryStore::Remove(std::string_view key, std::string_view name) {
  Key* k = FindKey(key);
  if (!k) return false;
  for (auto it = k->values.begin(); it != k->values.end(); ++it)
    if (EqualNoCase(it->first, name)) {
      k->values.erase(it);
      dirty_ = true;
      return true;
    }
  return false;
}

std::vector<std::string> RegistryStore::ValueNames(std::string_view key) const {
  std::vector<std::string> out;
  if (const Key* k = FindKey(key))
    for (const auto& [n, v] : k->values) out.push_back(n);
  return out;
}

std::vector<std::string> RegistryStore::SubKeyNames(std::string_view key) const {
  std::vector<std::string> out;
  std::string lower = Lower(Normalize(key));
  std::string prefix = lower.empty() ? "" : lower + "\\";
  for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    std::string rest = it->first.substr(prefix.size());
    if (!rest.empty() && rest.find('\\') == std::string::npos)
      out.push_back(it->second.spelling.substr(it->second.spelling.size() - rest.size()));
  }
  return out;
}

// ---------------------------------------------------------------------------

Registry::Registry(RootKey root) : store_(RegistryStore::For(root)) {}

Registry::~Registry() { CloseKey(); }

bool Registry::OpenKey(std::string_view key, bool canCreate) {
  CloseKey();
  if (!store_.KeyExists(key)) {
    if (!canCreate) return false;
    store_.CreateKey(key);
  }
  current_ = Normalize(key);
  open_ = true;
  return true;
}

void Registry::CloseKey() {
  if (open_ && store_.Dirty()) store_.Save();
  open_ = false;
  current_.clear();
}

bool Registry::KeyExists(std::string_view key) const { return store_.KeyExists(key); }

bool Registry::DeleteKey(std::string_view key) {
  bool ok = store_.DeleteKey(key);
  if (ok) store_.Save();
  return ok;
}

bool Registry::ValueExists(std::string_view name) const { return open_ && store_.Find(current_, name) != nullptr; }

std::optional<RegType> Registry::GetDataType(std::string_view name) const {
  const RegValue* v = open_ ? store_.Find(current_, name) : nullptr;
  if (!v) return std::nullopt;
  return v->type;
}

const RegValue& Registry::Get(std::string_view name, RegType type) const {
  const RegValue* v = open_ ? store_.Find(current_, name) : nullptr;
  if (!v || v->type != type)
    throw RegistryError("Invalid data type for '" + std::string(name) + "'");
  return *v;
}

int32_t Registry::ReadInteger(std::string_view name) const {
  return static_cast<int32_t>(Get(name, RegType::DWord).dword);
}

bool Registry::ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }

std::string Registry::ReadString(std::string_view name) const { return Get(name, RegType::String).bytes; }

std::string Registry::ReadBinaryData(std::string_view name) const { return Get(name, RegType::Binary).bytes; }

double Registry::ReadDateTime(std::string_view name) const {
  const std::string& bytes = Get(name, RegType::Binary).bytes;
  if (bytes.size() != sizeof(double)) throw RegistryError("Invalid data type for '" + std::string(name) + "'");
  double value;
  std::memcpy(&value, bytes.data(), sizeof value);
  return value;
}

void Registry::WriteInteger(std::string_view name, int32_t value) {
  if (!open_) throw RegistryError("no key is open");
  store_.Set(current_, name, RegValue{RegType::DWord, static_cast<uint32_t>(value), {}});
}

void Registry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

void Registry::WriteString(std::string_view name, std::string_view value) {
  if (!open_) throw RegistryError("no key is open");
  store_.Set(current_, name, RegValue{RegType::String, 0, std::string(value)});
}

void Registry::WriteBinaryData(std::string_view name, std::string_view bytes) {
  if (!open_) throw RegistryError("no key is open");
  store_.Set(current_, name, RegValue{RegType::Binary, 0, std::string(bytes)});
}

void Registry::WriteDateTime(std::string_view name, double value) {
  char bytes[sizeof(double)];
  std::memcpy(bytes, &value, sizeof value);
  WriteBinaryData(name, std::string_view(bytes, sizeof bytes));
}

bool Registry::DeleteValue(std::string_view name) { return open_ && store_.Remove(current_, name); }

std::vector<std::string> Registry::GetValueNames() const {
  return open_ ? store_.ValueNames(current_) : std::vector<std::string>{};
}

}  // namespace lumetra::platform
