#pragma once
// The mail checker's two files: the POP3 accounts ("Maccount.USR") and the
// mails already seen on the servers ("Maccount.DAT"), with their record lists
// and the scrambling of stored passwords.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fixed_text.h"
#include "platform/record_list.h"

namespace lumetra {

#pragma pack(push, 1)
struct MailAccount {
  char UserName[82];
  char Server[82];        // host name or dotted IPv4 address
  char Password[32];      // scrambled with ScramblePassword
  int16_t MailerNo;       // 0 mailer 1, else mailer 2
  char DisplayName[81];   // shown instead of the server when not empty
  uint8_t AccountFlags;   // kept as read
  uint8_t AuthType;       // 0 USER/PASS, 1 APOP, 2 POP3 over TLS
  uint8_t Paused;
  // Run-time only; never stored.
  uint8_t ErrorShown;
  int32_t MessageCount;
  uint8_t UidlUsable;
};

struct MailRecord {
  char From[121];
  char ReplyTo[121];
  char To[121];
  char Subject[121];
  char DateText[40];
  char MessageId[80];
  char Uid[41];
  char Mailer[40];
  uint8_t Reserved685[315];
  char BodyLine[121];
  char Boundary[118];
  uint8_t DeleteMark;     // 0 none, 1 to delete, 2 DELE sent, 3 kept
  uint8_t SpamVerdict;    // 0 mail, 1 spam, 2 excluded, 3 delete at once
  uint8_t Reserved1241;   // 255
  int32_t MessageNo;      // -1 until a UIDL listing confirmed the mail
  uint8_t Hidden;
  uint8_t NewState;       // 0 acknowledged, 1 new, 2 shown, 3 show again, 4 shown again
  uint8_t AccountIndex;
  uint8_t BodyEncoding;
  int32_t Reserved1250;
  uint8_t Reserved1254;
  int32_t Reserved1255;
  int32_t Reserved1259;   // the "BackColor" setting at init
  double ReceivedDate;
  double ReceivedTime;
  double Reserved1279[2];
  int32_t Reserved1295;
  int16_t Reserved1299;   // -1
  int32_t Reserved1301;   // 120
};
#pragma pack(pop)

static_assert(sizeof(MailAccount) == 288);
static_assert(offsetof(MailAccount, Server) == 82);
static_assert(offsetof(MailAccount, Password) == 164);
static_assert(offsetof(MailAccount, MailerNo) == 196);
static_assert(offsetof(MailAccount, DisplayName) == 198);
static_assert(offsetof(MailAccount, AccountFlags) == 279);
static_assert(offsetof(MailAccount, AuthType) == 280);
static_assert(offsetof(MailAccount, ErrorShown) == 282);
static_assert(offsetof(MailAccount, MessageCount) == 283);
static_assert(offsetof(MailAccount, UidlUsable) == 287);

static_assert(sizeof(MailRecord) == 1305);
static_assert(offsetof(MailRecord, ReplyTo) == 121);
static_assert(offsetof(MailRecord, Subject) == 363);
static_assert(offsetof(MailRecord, DateText) == 484);
static_assert(offsetof(MailRecord, MessageId) == 524);
static_assert(offsetof(MailRecord, Uid) == 604);
static_assert(offsetof(MailRecord, Mailer) == 645);
static_assert(offsetof(MailRecord, BodyLine) == 1000);
static_assert(offsetof(MailRecord, Boundary) == 1121);
static_assert(offsetof(MailRecord, DeleteMark) == 1239);
static_assert(offsetof(MailRecord, MessageNo) == 1242);
static_assert(offsetof(MailRecord, Hidden) == 1246);
static_assert(offsetof(MailRecord, AccountIndex) == 1248);
static_assert(offsetof(MailRecord, Reserved1259) == 1259);
static_assert(offsetof(MailRecord, ReceivedDate) == 1263);
static_assert(offsetof(MailRecord, ReceivedTime) == 1271);
static_assert(offsetof(MailRecord, Reserved1299) == 1299);
static_assert(offsetof(MailRecord, Reserved1301) == 1301);

inline constexpr int kStoredAccountSize = 282;
inline constexpr int kAccountsVersion = 207;
inline constexpr int kMailRecordSize = 1305;
inline constexpr int kMailListVersion = 1;
inline constexpr char kAccountsFile[] = "Maccount.USR";
inline constexpr char kMailListFile[] = "Maccount.DAT";

// Lumetra's own key for the stored passwords (30 alphanumeric characters).
inline constexpr char kPasswordKey[] = "Lm3tRa7QkX9vB2nHw5ZpC8dJf4YsGe";
static_assert(sizeof kPasswordKey == 31);

// XORs password byte p (1-based) with the low five bits of key character
// p mod key length; applied twice it gives the text back.
std::string ScramblePassword(std::string_view text, std::string_view key = kPasswordKey);

enum class FileLoad { Loaded, Missing, Refused };

// Both lists keep the spare record at Count initialised: Append fills it and
// initialises the next one.
class TIPlist4 : public platform::RecordList<MailAccount> {
 public:
  TIPlist4();
  void InitAccount(int index) { InitRecord(index); }
  int Append(const MailAccount& account) { return AppendRecord(account); }

  // A missing file leaves the list empty; a version of 208 or more is refused
  // (empty list). Records the file does not hold completely are not counted.
  FileLoad LoadAccounts(const std::string& path);
  bool SaveAccounts(const std::string& path);

  // The name messages show for an account: its display name, else its server.
  std::string ShownName(int index);
};

class TMaillist : public platform::RecordList<MailRecord> {
 public:
  TMaillist();
  void InitMail(int index) { InitRecord(index); }
  int Append(const MailRecord& mail) { return AppendRecord(mail); }

  FileLoad LoadMailList(const std::string& path);
  bool SaveMailList(const std::string& path);
};

TIPlist4& MailAccounts();
TMaillist& MailList();

// Start-up and shutdown of both files in the data folder. An account file
// that was refused (a newer version) is not replaced by the empty list it
// left.
void LoadAccountsAtStart(const std::string& dataFolder);
void LoadMailListAtStart(const std::string& dataFolder);
void SaveMailFilesAtShutdown(const std::string& dataFolder);

}  // namespace lumetra
