// lumetra-preview: shows tickers with a given colour set and headlines.
//
//   lumetra-preview [--look led|simple|gradation|metallic|skin | --colour-set N]
//                   [--all-looks] [--bars N] [--length PX] [--thickness PX]
//                   [--vertical] [--weather] [--headlines FILE] [--thread-level N]
//                   [--quit-after SECONDS] [--screenshot FILE [--screenshot-after SECONDS]]
//
// --all-looks stacks one bar of each look in a window; --bars N opens N
// separate bars (for measuring). Headline files are UTF-8, one per line.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "app/settings.h"
#include "platform/sjis_text.h"
#include "ticker/ticker_preview.h"

using namespace lumetra;

namespace {

bool LookByName(const QString& name, PreviewLook& look) {
  static const std::pair<const char*, PreviewLook> names[] = {{"led", PreviewLook::Led},
                                                              {"simple", PreviewLook::Simple},
                                                              {"gradation", PreviewLook::Gradation},
                                                              {"metallic", PreviewLook::Metallic},
                                                              {"skin", PreviewLook::Skin}};
  for (const auto& [n, l] : names)
    if (name == QLatin1String(n)) {
      look = l;
      return true;
    }
  return false;
}

std::vector<std::string> ReadHeadlines(const QString& path) {
  QFile file(path);
  std::vector<std::string> lines;
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return lines;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).remove(QLatin1Char('\n'));
    if (!line.isEmpty()) lines.push_back(platform::QStringToSjis(line));
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("lumetra-preview"));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Shows Lumetra tickers with a colour set and headlines."));
  parser.addHelpOption();
  const QCommandLineOption lookOpt("look", "led, simple, gradation, metallic or skin.", "look", "gradation");
  const QCommandLineOption setOpt("colour-set", "Index of a preset colour set (0-29).", "index");
  const QCommandLineOption allOpt("all-looks", "One bar of each look, stacked.");
  const QCommandLineOption barsOpt("bars", "Number of separate bars (1-6).", "n", "1");
  const QCommandLineOption lengthOpt("length", "Bar length in pixels.", "px", "960");
  const QCommandLineOption thickOpt("thickness", "Bar thickness in pixels.", "px", "21");
  const QCommandLineOption verticalOpt("vertical", "Text runs downwards (side-docked bar).");
  const QCommandLineOption weatherOpt("weather", "Weather headlines with symbols.");
  const QCommandLineOption headlinesOpt("headlines", "UTF-8 file, one headline per line.", "file");
  const QCommandLineOption levelOpt("thread-level", "NewsThreadLevel of the scroll threads.", "n");
  const QCommandLineOption quitOpt("quit-after", "Quit after this many seconds.", "seconds");
  const QCommandLineOption shotOpt("screenshot", "Save a screenshot of the window.", "file");
  const QCommandLineOption shotAfterOpt("screenshot-after", "Seconds before the screenshot.", "seconds", "3");
  parser.addOptions({lookOpt, setOpt, allOpt, barsOpt, lengthOpt, thickOpt, verticalOpt, weatherOpt, headlinesOpt,
                     levelOpt, quitOpt, shotOpt, shotAfterOpt});
  parser.process(app);

  if (parser.isSet(levelOpt)) settings().NewsThreadLevel = parser.value(levelOpt).toInt();
  const std::string skinFolder =
      QStandardPaths::writableLocation(QStandardPaths::TempLocation).toStdString() + "/lumetra-preview";
  std::vector<std::string> headlines =
      parser.isSet(headlinesOpt) ? ReadHeadlines(parser.value(headlinesOpt)) : SampleHeadlines();
  if (parser.isSet(weatherOpt) && !parser.isSet(headlinesOpt))
    headlines = {SJ(" 天気予報 "), SJ("12日 晴｜曇 20％ 18℃ 9℃　"), SJ("13日 曇→雨 60％ 15℃ 10℃　"),
                 SJ("14日 雨：雪 80％ 6℃ 1℃　"), SJ("15日 晴 10％ 16℃ 5℃　")};

  ColourSet set{};
  PreviewLook look = PreviewLook::Gradation;
  if (parser.isSet(setOpt)) {
    TIPlist6 presets;
    presets.BuildPresetColourSets();
    set = presets[parser.value(setOpt).toInt()];
  } else if (!LookByName(parser.value(lookOpt), look)) {
    qCritical("unknown look: %s", qPrintable(parser.value(lookOpt)));
    return 2;
  } else {
    set = PreviewColourSet(look, skinFolder);
  }

  const int length = parser.value(lengthOpt).toInt();
  const int thickness = parser.value(thickOpt).toInt();
  std::vector<std::unique_ptr<TickerPreview>> separate;
  std::unique_ptr<QWidget> window;
  auto setUp = [&](TickerPreview* p, const ColourSet& s) {
    p->SetColourSet(s);
    p->SetHeadlines(headlines);
    p->SetWeatherMode(parser.isSet(weatherOpt));
    p->SetVertical(parser.isSet(verticalOpt));
    p->SetBarSize(length, thickness);
    p->Start();
  };

  if (parser.isSet(allOpt)) {
    window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Lumetra preview"));
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    const PreviewLook looks[] = {PreviewLook::Led, PreviewLook::Simple, PreviewLook::Gradation,
                                 PreviewLook::Metallic, PreviewLook::Skin};
    int number = 0;
    for (PreviewLook l : looks) {
      auto* p = new TickerPreview(number++, window.get());
      setUp(p, PreviewColourSet(l, skinFolder));
      p->setFixedSize(p->size());
      layout->addWidget(p);
    }
    window->show();
  } else {
    const int count = std::clamp(parser.value(barsOpt).toInt(), 1, 6);
    int y = 0;
    for (int i = 0; i < count; ++i) {
      auto p = std::make_unique<TickerPreview>(i);
      p->setWindowFlag(Qt::FramelessWindowHint);
      setUp(p.get(), set);
      p->move(0, y);
      y += (parser.isSet(verticalOpt) ? 0 : p->height()) + 2;
      p->show();
      separate.push_back(std::move(p));
    }
  }

  if (parser.isSet(shotOpt)) {
    const QString file = parser.value(shotOpt);
    QTimer::singleShot(static_cast<int>(parser.value(shotAfterOpt).toDouble() * 1000), [&, file] {
      QWidget* shown = window ? window.get() : separate.front().get();
      const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(shown->winId());
      if (!shot.save(file)) qCritical("could not save %s", qPrintable(file));
      if (!parser.isSet(quitOpt)) QApplication::quit();
    });
  }
  if (parser.isSet(quitOpt))
    QTimer::singleShot(static_cast<int>(parser.value(quitOpt).toDouble() * 1000), [] { QApplication::quit(); });
  const int rc = app.exec();
  separate.clear();
  window.reset();
  return rc;
}
