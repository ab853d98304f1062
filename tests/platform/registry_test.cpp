#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra::platform {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

RegistryStore Sample() {
  RegistryStore store;
  store.Set("\\SOFTWARE\\TARVO\\Lumetra\\Options", "PopUpGo", {RegType::DWord, 1, {}});
  store.Set("SOFTWARE\\TARVO\\Lumetra\\Options", "Negative", {RegType::DWord, 0xFFFFFFFFu, {}});
  store.Set("SOFTWARE\\TARVO\\Lumetra\\Options", "Font", {RegType::String, 0, SJ("ＭＳ ゴシック")});
  store.Set("SOFTWARE\\TARVO\\Lumetra\\Options", "Quotes", {RegType::String, 0, "C:\\a \"b\"\\"});
  store.Set("SOFTWARE\\TARVO\\Lumetra\\Options", "Lines", {RegType::String, 0, "one\r\ntwo\ttab"});
  store.Set("SOFTWARE\\TARVO\\Lumetra\\Options", "Empty", {RegType::String, 0, ""});
  store.Set("SOFTWARE\\TARVO\\Lumetra\\FileDate0", "0", {RegType::Binary, 0, std::string("\x00\x01\xff\x80", 4)});
  store.Set("SOFTWARE\\TARVO\\Lumetra\\FileDate0", "NoBytes", {RegType::Binary, 0, ""});
  store.Set("SOFTWARE\\Classes\\.NUD", "", {RegType::String, 0, "Lumetra  File"});
  store.CreateKey("SOFTWARE\\TARVO\\Lumetra\\NewsMonitor-3");
  return store;
}

TEST(RegistryStore, EveryValueTypeSurvivesTheFile) {
  RegistryStore store = Sample();
  auto parsed = RegistryStore::Parse(store.Serialize(), RootKey::CurrentUser);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Serialize(), store.Serialize());
  const char* options = "SOFTWARE\\TARVO\\Lumetra\\Options";
  EXPECT_EQ(parsed->Find(options, "popupgo")->dword, 1u);
  EXPECT_EQ(parsed->Find(options, "NEGATIVE")->dword, 0xFFFFFFFFu);
  EXPECT_EQ(parsed->Find(options, "Font")->bytes, SJ("ＭＳ ゴシック"));
  EXPECT_EQ(parsed->Find(options, "Quotes")->bytes, "C:\\a \"b\"\\");
  EXPECT_EQ(parsed->Find(options, "Lines")->bytes, "one\r\ntwo\ttab");
  EXPECT_EQ(parsed->Find(options, "Empty")->type, RegType::String);
  EXPECT_EQ(parsed->Find("software\\tarvo\\lumetra\\filedate0", "0")->bytes, std::string("\x00\x01\xff\x80", 4));
  EXPECT_EQ(parsed->Find("SOFTWARE\\TARVO\\Lumetra\\FileDate0", "NoBytes")->type, RegType::Binary);
  EXPECT_EQ(parsed->Find("SOFTWARE\\Classes\\.NUD", "")->bytes, "Lumetra  File");
  EXPECT_TRUE(parsed->KeyExists("SOFTWARE\\TARVO\\Lumetra\\NewsMonitor-3"));
  // Names keep the spelling they were first written with.
  EXPECT_NE(store.Serialize().find("\"PopUpGo\"=dword:00000001"), std::string::npos);
  EXPECT_NE(store.Serialize().find("\\Lumetra\\Options]"), std::string::npos);
}

TEST(RegistryStore, ReadsWhatRegeditWrites) {
  std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
      "; exported by hand\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tarvo\\Lumetra\\Options]\r\n"
      "\"Bin\"=hex:01,02,\\\r\n  03\r\n"
      "\"Wide\"=hex(1):41,00,42,00,00,00\r\n"
      "@=\"default\"\r\n";
  auto parsed = RegistryStore::Parse(text, RootKey::CurrentUser);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Find("SOFTWARE\\TARVO\\LUMETRA\\OPTIONS", "bin")->bytes, "\x01\x02\x03");
  EXPECT_EQ(parsed->Find("SOFTWARE\\TARVO\\LUMETRA\\OPTIONS", "Wide")->bytes, "AB");
  EXPECT_EQ(parsed->Find("SOFTWARE\\TARVO\\LUMETRA\\OPTIONS", "")->bytes, "default");
}

TEST(RegistryStore, DamagedFileIsKeptAsideAndDefaultsAreUsed) {
  const char* damaged[] = {
      "not a registry file\n",
      "Windows Registry Editor Version 5.00\n\n\"Orphan\"=dword:00000001\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"X\"=dword:1\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"X\"=\"unterminated\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"X\"=hex:0g\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"X\"=dword:000000",  // truncated
  };
  for (const char* text : damaged) {
    SCOPED_TRACE(text);
    TempFolder dir;
    std::string path = dir / "Lumetra.reg";
    WriteFile(path, text);
    RegistryStore store;
    EXPECT_FALSE(store.LoadFile(path));
    EXPECT_FALSE(store.KeyExists("A"));
    QStringList aside = QDir(QString::fromStdString(dir.path())).entryList({"Lumetra.reg.corrupt-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFile(dir / aside[0].toStdString()), text);
    // Saving afterwards writes a sound file; the damaged one is still kept.
    store.Set("A", "Y", {RegType::DWord, 2, {}});
    EXPECT_TRUE(store.Save());
    RegistryStore again;
    EXPECT_TRUE(again.LoadFile(path));
    EXPECT_EQ(again.Find("A", "Y")->dword, 2u);
  }
}

TEST(RegistryStore, MissingFileGivesAnEmptyStore) {
  TempFolder dir;
  RegistryStore store;
  EXPECT_TRUE(store.LoadFile(dir / "none.reg"));
  EXPECT_TRUE(store.ValueNames("SOFTWARE").empty());
}

// A process killed in the middle of a save leaves the old file or the new
// one, never a mixture.
TEST(RegistryStore, KilledDuringSaveLeavesAWholeFile) {
  TempFolder dir;
  std::string path = dir / "Lumetra.reg";
  RegistryStore old;
  old.SetFilePath(path);
  old.Set("A", "Version", {RegType::DWord, 1, {}});
  ASSERT_TRUE(old.Save());
  const std::string oldText = ReadFile(path);

  RegistryStore big;
  big.SetFilePath(path);
  big.Set("A", "Version", {RegType::DWord, 2, {}});
  big.Set("A", "Bulk", {RegType::Binary, 0, std::string(8u << 20, '\x5a')});
  const std::string newText = big.Serialize();

  for (int delayUs : {0, 2000, 20000, 80000}) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      big.Save();
      ::_exit(0);
    }
    ::usleep(delayUs);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::string now = ReadFile(path);
    EXPECT_TRUE(now == oldText || now == newText) << "size " << now.size();
    if (now == newText) WriteFile(path, oldText);
  }
}

class RegistryObject : public ::testing::Test {
 protected:
  void SetUp() override {
    RegistryStore::For(RootKey::CurrentUser).Clear();
  }
};

TEST_F(RegistryObject, TypedReadsFailOnMissingOrOtherType) {
  Registry reg;
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\X", false));
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\X", true));
  reg.WriteString("Name", "text");
  reg.WriteInteger("Number", -5);
  reg.WriteDateTime("When", 45000.25);
  EXPECT_EQ(reg.ReadInteger("NUMBER"), -5);
  EXPECT_TRUE(reg.ReadBool("Number"));
  EXPECT_DOUBLE_EQ(reg.ReadDateTime("when"), 45000.25);
  EXPECT_THROW(reg.ReadInteger("Name"), RegistryError);
  EXPECT_THROW(reg.ReadString("Number"), RegistryError);
  EXPECT_THROW(reg.ReadString("Missing"), RegistryError);
  EXPECT_TRUE(reg.DeleteValue("name"));
  EXPECT_FALSE(reg.ValueExists("Name"));
}

TEST_F(RegistryObject, ClosingAKeyWritesTheFile) {
  {
    Registry reg;
    reg.OpenKey("\\SOFTWARE\\TARVO\\Lumetra\\Options", true);
    reg.WriteBool("SetupQ", true);
  }
  RegistryStore fresh;
  ASSERT_TRUE(fresh.LoadFile(RegistryStore::DefaultFilePath()));
  EXPECT_EQ(fresh.Find("SOFTWARE\\TARVO\\Lumetra\\Options", "SetUpQ")->dword, 1u);
}

TEST_F(RegistryObject, DeleteKeyTakesItsSubkeys) {
  Registry reg;
  reg.OpenKey("\\A\\B\\C", true);
  reg.WriteInteger("X", 1);
  reg.OpenKey("\\A\\BB", true);
  EXPECT_TRUE(reg.DeleteKey("\\a\\b"));
  EXPECT_FALSE(reg.KeyExists("\\A\\B\\C"));
  EXPECT_TRUE(reg.KeyExists("\\A\\BB"));
}

}  // namespace
}  // namespace lumetra::platform
