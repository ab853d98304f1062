// The mail account file, the seen-mail file and password scrambling.
#include "mail/mail_files.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

using platform::FieldText;
using platform::SetFieldText;

template <typename T>
void PutLE(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string Header(int32_t count, int32_t version) {
  std::string out;
  PutLE(out, count);
  PutLE(out, version);
  return out;
}

// A field of an older layout: the text, zero-padded to the field's size.
std::string Field(const std::string& text, size_t size) {
  std::string out = text.substr(0, size);
  out.resize(size, '\0');
  return out;
}

MailAccount Account(const std::string& user, const std::string& server, const std::string& display) {
  MailAccount a;
  std::memset(&a, 0, sizeof a);
  SetFieldText(a.UserName, user);
  SetFieldText(a.Server, server);
  SetFieldText(a.Password, ScramblePassword("secret1"));
  SetFieldText(a.DisplayName, display);
  a.MailerNo = 1;
  a.AccountFlags = 0x40;
  a.AuthType = 1;
  a.Paused = 1;
  a.UidlUsable = 1;
  return a;
}

TEST(Passwords, ScramblingTwiceGivesThePasswordBack) {
  for (const std::string& plain : {std::string(), std::string("a"), std::string("secret1"), std::string(31, 'Z'),
                                   SJ("日本語のパスワード")}) {
    const std::string scrambled = ScramblePassword(plain);
    EXPECT_EQ(scrambled.size(), plain.size());
    if (!plain.empty()) {
      EXPECT_NE(scrambled, plain);
    }
    EXPECT_EQ(ScramblePassword(scrambled), plain);
  }
  // Position p (from 1) takes key character p mod length, low five bits.
  const std::string expected = {'a' ^ 2, 'a' ^ 1, 'a' ^ 2};
  EXPECT_EQ(ScramblePassword("aaa", "AB"), expected);
  EXPECT_EQ(ScramblePassword("x", kPasswordKey), std::string(1, static_cast<char>('x' ^ (kPasswordKey[1] & 31))));
  EXPECT_EQ(std::string(kPasswordKey).size(), 30u);
}

class MailFiles : public ::testing::Test {
 protected:
  test::TempFolder folder;
  std::string accounts = folder / "Maccount.USR";
  std::string mails = folder / "Maccount.DAT";
};

TEST_F(MailFiles, SavingWritesVersion207WithoutTheRunTimeFields) {
  TIPlist4 list;
  list.Append(Account("alice", "pop.example.jp", SJ("会社")));
  list.Append(Account("bob", "192.0.2.1", ""));
  list.Item(0).ErrorShown = 1;
  list.Item(0).MessageCount = 99;
  list.Item(0).UidlUsable = 0;
  ASSERT_TRUE(list.SaveAccounts(accounts));
  const std::string bytes = test::ReadFile(accounts);
  ASSERT_EQ(bytes.size(), 8u + 2 * 282);
  EXPECT_EQ(bytes.substr(0, 8), Header(2, 207));
  MailAccount first = list.Item(0);
  EXPECT_EQ(std::memcmp(bytes.data() + 8, &first, 282), 0);

  TIPlist4 loaded;
  ASSERT_EQ(loaded.LoadAccounts(accounts), FileLoad::Loaded);
  ASSERT_EQ(loaded.Count, 2);
  EXPECT_EQ(loaded.Item(0).ErrorShown, 0);
  EXPECT_EQ(int32_t{loaded.Item(0).MessageCount}, 0);
  EXPECT_EQ(loaded.Item(0).UidlUsable, 1);
  EXPECT_EQ(ScramblePassword(FieldText(loaded.Item(0).Password)), "secret1");
  EXPECT_EQ(loaded.Item(1).AuthType, 1);
  EXPECT_EQ(loaded.ShownName(0), SJ("会社"));
  EXPECT_EQ(loaded.ShownName(1), "192.0.2.1");
}

TEST_F(MailFiles, OlderVersionsLoadByTheirLayouts) {
  const std::string password = ScramblePassword("pw");
  MailAccount a = Account("user206", "pop206.example", "disp206");
  std::string r206(reinterpret_cast<const char*>(&a), 280);
  std::string r230 = Field("user205-with-a-name-longer-than-31", 32) + Field("pop205.example", 82) +
                     Field(password, 32) + std::string("\x01\x00", 2) + Field("disp205", 81) + "\x07";
  std::string r122 = Field("user136", 25) + Field("pop136.example", 29) + Field("ignored10", 10) +
                     Field("ig", 2) + Field(password, 20) + std::string("\x05\x00", 2) +
                     std::string("\x00\x00", 2) + Field("disp136", 32);
  ASSERT_EQ(r230.size(), 230u);
  ASSERT_EQ(r122.size(), 122u);
  const struct {
    int32_t version;
    std::string record;
    const char* user;
    const char* server;
    const char* display;
    int mailer, flags;
  } cases[] = {
      {206, r206, "user206", "pop206.example", "disp206", 1, 0x40},
      {205, r230, "user205-with-a-name-longer-than", "pop205.example", "disp205", 1, 7},
      {203, r230, "user205-with-a-name-longer-than", "pop205.example", "disp205", 1, 0},
      {137, r230, "user205-with-a-name-longer-than", "pop205.example", "disp205", 1, 0},
      {136, r122, "user136", "pop136.example", "disp136", 0, 0},
      {-3, r122, "user136", "pop136.example", "disp136", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    test::WriteFile(accounts, Header(2, c.version) + c.record + c.record);
    TIPlist4 list;
    ASSERT_EQ(list.LoadAccounts(accounts), FileLoad::Loaded);
    ASSERT_EQ(list.Count, 2);
    const MailAccount& got = list.Item(1);
    EXPECT_EQ(FieldText(got.UserName), c.user);
    EXPECT_EQ(FieldText(got.Server), c.server);
    EXPECT_EQ(FieldText(got.DisplayName), c.display);
    EXPECT_EQ(got.MailerNo, c.mailer);
    EXPECT_EQ(got.AccountFlags, c.flags);
    EXPECT_EQ(got.AuthType, 0);  // standard login
    EXPECT_EQ(got.Paused, 0);
    EXPECT_EQ(got.UidlUsable, 1);
    if (c.version != 206) {
      EXPECT_EQ(ScramblePassword(FieldText(got.Password)), "pw");
    }
  }
  test::WriteFile(accounts, Header(1, 208) + std::string(282, 'x'));
  TIPlist4 newer;
  newer.Append(Account("x", "y", "z"));
  EXPECT_EQ(newer.LoadAccounts(accounts), FileLoad::Refused);
  EXPECT_EQ(newer.Count, 0);
  EXPECT_EQ(newer.LoadAccounts(folder / "none.USR"), FileLoad::Missing);
}

TEST_F(MailFiles, MailListGrowsBySparesAndKeepsOnlyWholeRecords) {
  settings().BackColor = 0x123456;
  TMaillist list;
  for (int i = 0; i < 8; ++i) {
    MailRecord m = list.Item(list.Count);
    SetFieldText(m.Subject, SJ("件名") + std::to_string(i));
    m.MessageNo = i + 1;
    list.Append(m);
  }
  ASSERT_EQ(list.Capacity(), 16);  // appending the eighth initialised the spare at 8
  TMaillist fresh;
  fresh.Count = 8;
  EXPECT_EQ(fresh.Capacity(), 8);
  const MailRecord& spare = fresh.Item(8);
  EXPECT_EQ(fresh.Capacity(), 16);
  EXPECT_EQ(fresh.Count, 8);
  EXPECT_EQ(spare.Reserved1241, 255);
  EXPECT_EQ(int16_t{spare.Reserved1299}, -1);
  EXPECT_EQ(int32_t{spare.Reserved1301}, 120);
  EXPECT_EQ(int32_t{spare.Reserved1259}, 0x123456);
  EXPECT_EQ(int32_t{spare.MessageNo}, 0);

  ASSERT_TRUE(list.SaveMailList(mails));
  std::string bytes = test::ReadFile(mails);
  ASSERT_EQ(bytes.size(), 8u + 8 * 1305);
  EXPECT_EQ(bytes.substr(0, 8), Header(8, 1));
  TMaillist loaded;
  ASSERT_EQ(loaded.LoadMailList(mails), FileLoad::Loaded);
  ASSERT_EQ(loaded.Count, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(std::memcmp(&loaded.Item(i), &list.Item(i), 1305), 0) << i;

  // A header that promises more than the file holds yields the whole records only.
  test::WriteFile(mails, Header(1000000, 1) + bytes.substr(8, 2 * 1305 + 100));
  ASSERT_EQ(loaded.LoadMailList(mails), FileLoad::Loaded);
  EXPECT_EQ(loaded.Count, 2);
  EXPECT_LE(loaded.Capacity(), 16);
}

TEST_F(MailFiles, NewerAccountFileIsNotReplacedAtShutdown) {
  const std::string newer = Header(1, 300) + std::string(500, 'n');
  test::WriteFile(accounts, newer);
  LoadAccountsAtStart(folder.path());
  LoadMailListAtStart(folder.path());
  EXPECT_EQ(MailAccounts().Count, 0);
  SaveMailFilesAtShutdown(folder.path());
  EXPECT_EQ(test::ReadFile(accounts), newer);
  EXPECT_EQ(test::ReadFile(mails), Header(0, 1));
}

// Every truncation and every single-byte change.
template <typename Check>
void Sweep(const std::string& valid, Check check) {
  for (size_t n = 0; n < valid.size(); ++n) check(valid.substr(0, n));
  for (size_t i = 0; i < valid.size(); ++i)
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string changed = valid;
      changed[i] = static_cast<char>(changed[i] ^ flip);
      check(changed);
    }
}

TEST_F(MailFiles, DamagedAccountFilesLoadWithinTheirBytes) {
  TIPlist4 source;
  source.Append(Account("alice", "pop.example.jp", SJ("会社")));
  source.Append(Account("bob", "pop.example.com", ""));
  ASSERT_TRUE(source.SaveAccounts(accounts));
  Sweep(test::ReadFile(accounts), [&](const std::string& bytes) {
    test::WriteFile(accounts, bytes);
    TIPlist4 list;
    list.LoadAccounts(accounts);
    ASSERT_LE(list.Count, static_cast<int>(bytes.size() / 122));
    EXPECT_LE(list.Capacity(), 64);
    for (int i = 0; i < list.Count; ++i) {
      const MailAccount& a = list.Item(i);
      ASSERT_EQ(a.UserName[81], 0);
      ASSERT_EQ(a.Server[81], 0);
      ASSERT_EQ(a.Password[31], 0);
      ASSERT_EQ(a.DisplayName[80], 0);
      ASSERT_EQ(a.UidlUsable, 1);
    }
  });
}

TEST_F(MailFiles, DamagedMailFilesLoadWithinTheirBytes) {
  TMaillist source;
  MailRecord m = source.Item(0);
  SetFieldText(m.From, "someone@example.jp");
  SetFieldText(m.Subject, SJ("お知らせ"));
  source.Append(m);
  ASSERT_TRUE(source.SaveMailList(mails));
  Sweep(test::ReadFile(mails), [&](const std::string& bytes) {
    test::WriteFile(mails, bytes);
    TMaillist list;
    list.LoadMailList(mails);
    ASSERT_LE(list.Count, 1);
    EXPECT_LE(list.Capacity(), 8);
    if (list.Count == 1) {
      ASSERT_EQ(list.Item(0).Subject[120], 0);
      ASSERT_EQ(list.Item(0).Boundary[117], 0);
    }
  });
}

}  // namespace
}  // namespace lumetra
