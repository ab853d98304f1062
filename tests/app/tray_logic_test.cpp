#include "app/tray_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sjis_text.h"

namespace lumetra {
namespace {

using P = TrayPicture;

const char* Name(P p) {
  static const char* names[] = {"Normal",       "Frame1",   "Frame2",  "NewMail",
                                "NotConnected", "PopUpOff", "Checking", "KeywordHit"};
  return names[static_cast<int>(p)];
}

// The pictures of `ticks` animation-timer calls.
std::vector<std::string> Ticks(TrayAnimator& a, const TrayInputs& in, int ticks, int tick = 1) {
  std::vector<std::string> shown;
  for (int i = 0; i < ticks; ++i) shown.push_back(Name(a.NotifyIconSet(tick, in).picture));
  return shown;
}

std::vector<std::string> Repeat(const std::vector<std::string>& unit, int times) {
  std::vector<std::string> out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
  return out;
}

// Pause r and frame s both come from this sequence, r first.
std::function<int()> Draws(std::vector<int> values) {
  auto i = std::make_shared<size_t>(0);
  return [values, i] { return values[(*i)++ % values.size()]; };
}

TEST(TrayPictureChoice, IdleWinkFollowsThePauseAndFrameDrawn) {
  TrayAnimator a(Draws({0, 0, 2, 3}));  // first r=0 s=0 (frame 1), then r=2 s=3 (frame 2)
  std::vector<std::string> first(18, "Normal");
  first.insert(first.end(), {"Frame1", "Frame1", "Normal"});
  std::vector<std::string> second(20, "Normal");
  second.insert(second.end(), {"Frame2", "Frame2", "Normal"});
  std::vector<std::string> expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(Ticks(a, {}, 21 + 23), expected);
}

struct ChoiceCase {
  const char* name;
  const char* what;
  TrayInputs in;
  std::vector<std::string> ticks;  // the pattern that repeats from the first tick
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.what; }

class TrayPictureCases : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(TrayPictureCases, PatternOverFortyTicks) {
  const ChoiceCase& c = GetParam();
  TrayAnimator a(Draws({0, 0}));
  a.NotifyIconSet(0, c.in);  // as when the icon is added
  std::vector<std::string> expected = Repeat(c.ticks, 40 / static_cast<int>(c.ticks.size()));
  EXPECT_EQ(Ticks(a, c.in, static_cast<int>(expected.size())), expected) << c.what;
}

TrayInputs With(std::function<void(TrayInputs&)> f) {
  TrayInputs in;
  f(in);
  return in;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, TrayPictureCases,
    ::testing::Values(
        ChoiceCase{"Offline", "off line: not connected, never a wink", With([](TrayInputs& i) { i.offline = true; }),
                   {"NotConnected"}},
        ChoiceCase{"AnimationOff", "animation off: the normal picture only", With([](TrayInputs& i) { i.animationOff = true; }),
                   {"Normal"}},
        ChoiceCase{"AnimationOffMail", "animation off still blinks for mail",
                   With([](TrayInputs& i) { i.animationOff = i.unreadNewMail = true; }), {"NewMail", "Normal"}},
        ChoiceCase{"PopUpOff", "pop-up mode off", With([](TrayInputs& i) { i.popUpMode = false; }), {"PopUpOff"}},
        ChoiceCase{"KeywordHitPopUpOff", "keyword hit blinks against pop-up off",
                   With([](TrayInputs& i) { i.popUpMode = false, i.keywordHitWaiting = true; }),
                   {"KeywordHit", "PopUpOff"}},
        ChoiceCase{"CheckBeforeMail", "a check outranks unread mail",
                   With([](TrayInputs& i) { i.animationOff = i.mailCheckRunning = i.unreadNewMail = true; }),
                   {"Checking", "Normal"}},
        ChoiceCase{"NewsCheck", "news check", With([](TrayInputs& i) { i.animationOff = i.newsCheckRunning = true; }),
                   {"Checking", "Normal"}},
        ChoiceCase{"MailBeforeKeywordHit", "mail outranks a keyword hit",
                   With([](TrayInputs& i) { i.animationOff = i.unreadNewMail = i.keywordHitWaiting = true; }),
                   {"NewMail", "Normal"}},
        ChoiceCase{"OfflineHidesAttention", "off line the idle picture never gives way to attention",
                   With([](TrayInputs& i) { i.offline = i.unreadNewMail = true; }), {"NotConnected"}}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(TrayPictureChoice, OnlyTheTimerBlinks) {
  TrayAnimator a(Draws({0, 0}));
  TrayInputs in;
  in.animationOff = in.unreadNewMail = true;
  EXPECT_EQ(Ticks(a, in, 3, /*tick=*/0), (std::vector<std::string>{"Normal", "Normal", "Normal"}));
}

TEST(TrayPictureChoice, TheTrayIsToldOnlyOfChanges) {
  TrayAnimator a(Draws({0, 0}));
  TrayInputs in;
  in.offline = true;
  EXPECT_TRUE(a.NotifyIconSet(1, in).modify);
  EXPECT_FALSE(a.NotifyIconSet(1, in).modify);
  in.offline = false;
  in.animationOff = true;
  EXPECT_TRUE(a.NotifyIconSet(1, in).modify);
  EXPECT_FALSE(a.NotifyIconSet(0, in).modify);
}

TEST(TrayPictureChoice, ModeNoneTakesTheEmptyImageAndEachPictureItsOwn) {
  EXPECT_EQ(BuiltInImageFor(P::Normal, 0), 0);
  EXPECT_EQ(BuiltInImageFor(P::Checking, 2), 1);
  EXPECT_EQ(BuiltInImageFor(P::Frame2, 0), 6);
  for (const TrayPictureInfo& info : TrayPictureTable()) EXPECT_EQ(BuiltInImageFor(info.picture, 1), kEmptyImage);
  // Attention pictures never share an image with an idle one, or their blink would not show.
  for (P attention : {P::Checking, P::NewMail, P::KeywordHit})
    for (P idle : {P::Normal, P::Frame1, P::PopUpOff, P::NotConnected})
      EXPECT_NE(BuiltInImageFor(attention, 0), BuiltInImageFor(idle, 0)) << Name(attention) << " " << Name(idle);
}

struct TipCase {
  const char* what;
  TrayTipInputs in;
  std::string expected;  // UTF-8
};

TEST(TrayTip, TextsByState) {
  std::string longName(70, 'n');
  const TipCase cases[] = {
      {"mail check, display name", {true, SJ("自宅"), "pop.example.jp", false, {}, "2024/05/01"}, "自宅のメールチェック中"},
      {"mail check, no name", {true, "", "pop.example.jp", true, {}, "2024/05/01"}, "pop.example.jpのメールチェック中"},
      {"idle", {false, "", "", false, {}, "2024/05/01"}, "2024/05/01 右クリックでメニューが表示されます"},
      {"one definition", {false, "", "", true, SJ("天気予報"), "2024/05/01"}, "天気予報のチェック中"},
      {"patrol", {false, "", "", true, {}, "2024/05/01"}, "サーバーチェック中"},
      {"cut at 63", {true, longName, "", false, {}, ""}, std::string(63, 'n')},
  };
  for (const TipCase& c : cases) EXPECT_EQ(platform::SjisToUtf8(TrayTipText(c.in)), c.expected) << c.what;
}

TEST(TrayTip, TheCutNeverSplitsADoubleByteCharacter) {
  // 62 single bytes then a double-byte character that would end at byte 64.
  std::string text = std::string(62, 'a') + SJ("中") + "b";
  EXPECT_EQ(CutTipText(text), std::string(62, 'a'));
  std::string fits = std::string(61, 'a') + SJ("中") + "b";
  EXPECT_EQ(CutTipText(fits), std::string(61, 'a') + SJ("中"));
  EXPECT_EQ(CutTipText("short"), "short");
}

std::vector<std::string> Visible(const std::vector<TrayMenuEntry>& menu) {
  std::vector<std::string> out;
  for (const TrayMenuEntry& e : menu)
    if (e.visible) out.push_back(e.command == TrayCommand::Separator ? "-" : platform::SjisToUtf8(e.caption));
  return out;
}

TEST(TrayMenu, MailEntriesFollowMailCheckGo) {
  TrayMenuInputs in;
  in.mailer1 = "/usr/bin/thunderbird";
  in.mailer1Title = "Thunderbird";
  in.mailer2Title = SJ("メーラー２");
  in.mailCheckGo = false;
  EXPECT_EQ(Visible(TrayMenu(in)),
            (std::vector<std::string>{"TarvoLumetraについて", "ヘルプ", "-", "時刻合わせ", "スパム除外リスト",
                                      "メールリスト", "-", "アクセスモニター", "ヘッドラインニュース追加",
                                      "ヘッドラインニュース", "-", "Veskaブラウザ", "インターネット検索", "-",
                                      "オプション設定", "-", "終了する"}));
  in.mailCheckGo = true;
  EXPECT_EQ(Visible(TrayMenu(in)),
            (std::vector<std::string>{"TarvoLumetraについて", "ヘルプ", "-", "時刻合わせ", "-", "スパム判定リスト",
                                      "スパム除外リスト", "メールリスト", "Thunderbird", "-", "アクセスモニター",
                                      "メールチェック", "-", "ヘッドラインニュース追加", "ヘッドラインニュース", "-",
                                      "Veskaブラウザ", "インターネット検索", "-", "オプション設定", "-",
                                      "終了する"}));
}

TEST(TrayMenu, EntriesOfMissingSubsystemsAreDisabled) {
  auto enabled = [](const TrayMenuInputs& in, TrayCommand c) {
    for (const TrayMenuEntry& e : TrayMenu(in))
      if (e.command == c) return e.enabled;
    return false;
  };
  TrayMenuInputs none;
  for (TrayCommand c : {TrayCommand::About, TrayCommand::Help, TrayCommand::ClockSync, TrayCommand::SpamList,
                        TrayCommand::SpamExceptions, TrayCommand::MailList, TrayCommand::AccessMonitor,
                        TrayCommand::MailCheck, TrayCommand::AddHeadline, TrayCommand::Headline, TrayCommand::Options})
    EXPECT_FALSE(enabled(none, c)) << static_cast<int>(c);
  for (TrayCommand c : {TrayCommand::CompanionBrowser, TrayCommand::InternetSearch, TrayCommand::Exit,
                        TrayCommand::Mailer1, TrayCommand::Mailer2})
    EXPECT_TRUE(enabled(none, c)) << static_cast<int>(c);

  TrayMenuInputs clock;
  clock.clockAvailable = true;
  EXPECT_TRUE(enabled(clock, TrayCommand::ClockSync));
  clock.proxyInUse = true;  // the helper cannot reach its server through a proxy
  EXPECT_FALSE(enabled(clock, TrayCommand::ClockSync));
}

}  // namespace
}  // namespace lumetra
