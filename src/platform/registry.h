#pragma once
// The settings store that stands in for the per-user registry: keys with
// typed values (DWORD, string, binary), names compared without regard to case
// but kept in their first spelling. HKEY_CURRENT_USER is kept in a text file in
// regedit's export format; the other roots exist only in memory and start
// empty (nothing of the kind exists on this system).
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumetra::platform {

enum class RootKey { CurrentUser, ClassesRoot, LocalMachine };
enum class RegType { DWord, String, Binary };

struct RegValue {
  RegType type = RegType::String;
  uint32_t dword = 0;
  std::string bytes;  // String: Shift_JIS text; Binary: raw bytes
  bool operator==(const RegValue&) const = default;
};

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One root's tree of keys.
class RegistryStore {
 public:
  // HKEY_CURRENT_USER, loaded from DefaultFilePath() on first use.
  static RegistryStore& For(RootKey root);
  // $XDG_CONFIG_HOME/TARVO/Lumetra.reg
  static std::string DefaultFilePath();

  RegistryStore() = default;

  // Loads the file. A missing file gives an empty store. A corrupt one is
  // reported on stderr, copied aside (".corrupt-<time>") and ignored, so the
  // next save never destroys it unseen. Returns false when corrupt.
  bool LoadFile(const std::string& path);
  // Writes the whole tree atomically when anything changed since the last save.
  bool Save();
  bool SaveAs(const std::string& path) const;
  void SetFilePath(const std::string& path) { path_ = path; }
  const std::string& FilePath() const { return path_; }
  void Clear();

  std::string Serialize() const;
  // Parses a regedit export; nullopt on any malformed line.
  static std::optional<RegistryStore> Parse(std::string_view utf8Text, RootKey root);

  bool KeyExists(std::string_view key) const;
  void CreateKey(std::string_view key);
  bool DeleteKey(std::string_view key);  // with all subkeys
  const RegValue* Find(std::string_view key, std::string_view name) const;
  void Set(std::string_view key, std::string_view name, RegValue value);
  bool Remove(std::string_view key, std::string_view name);
  std::vector<std::string> ValueNames(std::string_view key) const;
  std::vector<std::string> SubKeyNames(std::string_view key) const;
  bool Dirty() const { return dirty_; }

 private:
  struct Key {
    std::string spelling;
    std::vector<std::pair<std::string, RegValue>> values;
  };
  Key* FindKey(std::string_view key);
  const Key* FindKey(std::string_view key) const;

  RootKey root_ = RootKey::CurrentUser;
  std::map<std::string, Key> keys_;  // by lower-case path
  std::string path_;
  bool dirty_ = false;
  bool protect_ = false;  // a damaged file that could not be copied aside
};

// A handle on one open key, in the manner of the framework's registry object:
// lazy write (the store is saved when the object is closed or destroyed).
class Registry {
 public:
  explicit Registry(RootKey root = RootKey::CurrentUser);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // Paths may start with a backslash; relative paths are not supported.
  bool OpenKey(std::string_view key, bool canCreate);
  bool OpenKeyReadOnly(std::string_view key) { return OpenKey(key, false); }
  void CloseKey();
  bool KeyExists(std::string_view key) const;
  bool DeleteKey(std::string_view key);
  const std::string& CurrentPath() const { return current_; }

  bool ValueExists(std::string_view name) const;
  std::optional<RegType> GetDataType(std::string_view name) const;
  // Reads throw RegistryError when the value is missing or of another type.
  int32_t ReadInteger(std::string_view name) const;
  bool ReadBool(std::string_view name) const;  // any non-zero DWORD is true
  std::string ReadString(std::string_view name) const;
  std::string ReadBinaryData(std::string_view name) const;
  double ReadDateTime(std::string_view name) const;  // 8-byte binary double

  void WriteInteger(std::string_view name, int32_t value);
  void WriteBool(std::string_view name, bool value);
  void WriteString(std::string_view name, std::string_view value);
  void WriteBinaryData(std::string_view name, std::string_view bytes);
  void WriteDateTime(std::string_view name, double value);
  bool DeleteValue(std::string_view name);
  std::vector<std::string> GetValueNames() const;

 private:
  const RegValue& Get(std::string_view name, RegType type) const;
  RegistryStore& store_;
  std::string current_;
  bool open_ = false;
};

}  // namespace lumetra::platform
