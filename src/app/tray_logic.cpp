#include "app/tray_logic.h"

#include <QDate>
#include <cstdlib>

#include "platform/sjis_text.h"

namespace lumetra {

const std::array<TrayPictureInfo, kTrayPictureCount>& TrayPictureTable() {
  // The keyword hit has an image of its own: sharing the pop-up-off image
  // would make its blink invisible while pop-up mode is off.
  static const std::array<TrayPictureInfo, kTrayPictureCount> table = {{
      {TrayPicture::Normal, 0, "通常時のアイコン", &Settings::NormalIcon},
      {TrayPicture::Frame1, 5, "通常時アニメーションのアイコン1", &Settings::MessageIcon},
      {TrayPicture::Frame2, 6, "通常時アニメーションのアイコン2", &Settings::UserFoundIcon},
      {TrayPicture::NewMail, 2, "メール着信時のアイコン", &Settings::MailIcon},
      {TrayPicture::NotConnected, 3, "非接続時のアイコン", &Settings::NoConnectIcon},
      {TrayPicture::PopUpOff, 8, "ノンポップアップモード時のアイコン", &Settings::NoPopUpIcon},
      {TrayPicture::Checking, 1, "メール・ニュースチェック中のアイコン", &Settings::MailCheckIcon},
      {TrayPicture::KeywordHit, 4, "ニュース検索ヒット時のアイコン", &Settings::UrlIcon},
  }};
  return table;
}

const TrayPictureInfo& TrayPictureOf(TrayPicture picture) {
  return TrayPictureTable()[static_cast<size_t>(picture)];
}

int BuiltInImageFor(TrayPicture picture, int mode) {
  return mode == 1 ? kEmptyImage : TrayPictureOf(picture).builtInImage;
}

TrayAnimator::TrayAnimator(std::function<int()> draw) : draw_(std::move(draw)) {
  if (!draw_) draw_ = [] { return std::rand() % 5; };
}

void TrayAnimator::Draw() {
  pause_ = draw_();
  frame_ = draw_();
  drawn_ = true;
}

TrayPicture TrayAnimator::Idle(const TrayInputs& in) {
  if (!in.popUpMode) return TrayPicture::PopUpOff;
  if (in.offline) return TrayPicture::NotConnected;
  if (in.animationOff) return TrayPicture::Normal;
  if (!drawn_) Draw();
  if (counter_ < pause_ + 18) {
    ++counter_;
    return TrayPicture::Normal;
  }
  if (counter_ < pause_ + 20) {
    ++counter_;
    return frame_ > 1 ? TrayPicture::Frame2 : TrayPicture::Frame1;
  }
  counter_ = 0;
  Draw();
  return TrayPicture::Normal;
}

TrayUpdate TrayAnimator::NotifyIconSet(int tick, const TrayInputs& in) {
  std::optional<TrayPicture> attention;
  // An attention picture alternates with the idle one: it is chosen only when
  // the idle picture is showing, so every other tick shows it.
  if (tick == 1 && (shown_ == TrayPicture::Normal || shown_ == TrayPicture::Frame1 ||
                    shown_ == TrayPicture::PopUpOff)) {
    if (in.mailCheckRunning || in.newsCheckRunning)
      attention = TrayPicture::Checking;
    else if (in.unreadNewMail)
      attention = TrayPicture::NewMail;
    else if (in.keywordHitWaiting)
      attention = TrayPicture::KeywordHit;
  }
  shown_ = attention ? *attention : Idle(in);
  bool modify = shown_ != given_;
  given_ = shown_;
  return {shown_, modify};
}

std::string CutTipText(std::string_view sjis) {
  size_t end = 0;
  while (end < sjis.size()) {
    auto lead = static_cast<unsigned char>(sjis[end]);
    size_t width = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
    if (end + width > kTipLimit) break;
    end += width;
  }
  return std::string(sjis.substr(0, std::min(end, sjis.size())));
}

std::string TrayTipText(const TrayTipInputs& in) {
  std::string tip;
  if (in.mailCheckRunning)
    tip = (in.accountName.empty() ? in.accountServer : in.accountName) + SJ("のメールチェック中");
  else if (!in.newsCheckRunning)
    tip = in.date + SJ(" 右クリックでメニューが表示されます");
  else if (in.singleDefinition)
    tip = *in.singleDefinition + SJ("のチェック中");
  else
    tip = SJ("サーバーチェック中");
  return CutTipText(tip);
}

std::string ShortDateToday() { return QDate::currentDate().toString("yyyy/MM/dd").toStdString(); }

std::vector<TrayMenuEntry> TrayMenu(const TrayMenuInputs& in) {
  const bool mail = in.mailCheckGo;
  auto item = [](TrayCommand c, const char* caption, bool visible, bool enabled) {
    return TrayMenuEntry{c, SJ(caption), visible, enabled};
  };
  auto separator = [](bool visible) { return TrayMenuEntry{TrayCommand::Separator, {}, visible, true}; };
  TrayMenuEntry mailer2 = item(TrayCommand::Mailer2, "メーラー２起動", mail && !in.mailer2.empty(), true);
  TrayMenuEntry mailer1 = item(TrayCommand::Mailer1, "メーラー１起動", mail && !in.mailer1.empty(), true);
  if (mailer2.visible) mailer2.caption = in.mailer2Title;
  if (mailer1.visible) mailer1.caption = in.mailer1Title;
  return {
      item(TrayCommand::About, "TarvoLumetraについて", true, in.aboutAvailable),
      item(TrayCommand::Help, "ヘルプ", true, in.helpFilePresent),
      separator(true),
      item(TrayCommand::ClockSync, "時刻合わせ", true, in.clockAvailable && !in.proxyInUse),
      separator(mail),
      item(TrayCommand::SpamList, "スパム判定リスト", mail, in.mailAvailable),
      item(TrayCommand::SpamExceptions, "スパム除外リスト", true, in.mailAvailable),
      item(TrayCommand::MailList, "メールリスト", true, in.mailAvailable),
      mailer2,
      mailer1,
      separator(true),
      item(TrayCommand::AccessMonitor, "アクセスモニター", true, in.dialUpAvailable),
      item(TrayCommand::MailCheck, "メールチェック", mail, in.mailAvailable),
      separator(mail),
      item(TrayCommand::AddHeadline, "ヘッドラインニュース追加", true, in.barsAvailable),
      item(TrayCommand::Headline, "ヘッドラインニュース", true, in.barsAvailable),
      separator(true),
      item(TrayCommand::CompanionBrowser, "Veskaブラウザ", true, true),
      item(TrayCommand::InternetSearch, "インターネット検索", true, true),
      separator(true),
      item(TrayCommand::Options, "オプション設定", true, in.optionsAvailable),
      separator(true),
      item(TrayCommand::Exit, "終了する", true, true),
  };
}

}  // namespace lumetra
