#include "definitions/colour_sets.h"

#include <QDir>
#include <QString>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "app/bar_table.h"
#include "platform/binary_io.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"

namespace lumetra {

using platform::ByteReader;
using platform::ByteWriter;
using platform::FieldText;
using platform::SetFieldText;

namespace {

void TerminateTexts(ColourSet& set) {
  platform::TerminateField(set.Name);
  platform::TerminateField(set.SkinFile);
}

std::string LowerExtension(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return platform::SjisAsciiLower(path.substr(dot));
}

std::string Utf8FileName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Utf8Folder(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Pictures are what ".ncd" files carry; any other name (a data file of the
// program, a hidden file, a path) is refused, so an imported set can never
// overwrite "NewsUrl.USR" or write outside the data folder.
bool IsInstallablePictureName(const std::string& name) {
  if (name.empty() || name[0] == '.' || name.find('/') != std::string::npos) return false;
  static const std::set<std::string> kPictures = {".bmp", ".png", ".jpg", ".jpeg", ".gif"};
  return kPictures.count(LowerExtension(name)) > 0;
}

int Cap(int value) { return std::min(value, 255); }

int Red(uint32_t c) { return static_cast<int>(c & 255); }
int Green(uint32_t c) { return static_cast<int>((c >> 8) & 255); }
int Blue(uint32_t c) { return static_cast<int>((c >> 16) & 255); }

}  // namespace

void TIPlist6::NewColourSet(int index) {
  ColourSet& s = Item(index);
  std::memset(&s, 0, sizeof s);
  s.BackLit = Rgb(212, 208, 200);
  s.BackUnlit = Rgb(186, 180, 165);
  s.NewsColour1 = Rgb(167, 164, 143);
  s.NewsColour2 = Rgb(142, 151, 172);
  s.Style = 2;
  s.MetallicPercent = 6;
  SetFieldText(s.Name, "Color " + std::to_string(std::max(index, 0) + 1));
}

int TIPlist6::Append(const ColourSet& set) {
  if (Count < 0) Count = 0;
  Item(Count) = set;
  return Count++;
}

int TIPlist6::FindByName(const std::string& name) {
  for (int i = 0; i < Count; ++i)
    if (platform::SjisEqualsIgnoreCase(FieldText(Item(i).Name), name)) return i;
  return -1;
}

ColourLoad TIPlist6::LoadColourSets(const std::string& path, bool layeredWindows) {
  auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return ColourLoad::Missing;
  ByteReader r(*bytes);
  int32_t n = 0, version = 0;
  if (!r.Get(n) || !r.Get(version)) return ColourLoad::Missing;
  if (version != 2 && version != 3) {
    BuildPresetColourSets();
    return ColourLoad::PresetsBuilt;
  }
  Count = 0;
  for (int32_t i = 0; i < n; ++i) {
    ColourSet set;
    if (!r.Get(set)) break;
    if (set.SkinLayout == kLayoutTransparent && !layeredWindows) continue;
    TerminateTexts(set);
    set.TextTop = set.TextBottom = 0;
    const std::string skin = platform::SjisToUtf8(FieldText(set.SkinFile));
    if (!skin.empty() && !platform::FileExists(skin)) {
      const std::string name = platform::SjisToUtf8(platform::SjisFileName(FieldText(set.SkinFile)));
      const std::string beside = platform::JoinPath(app().ProgramFolder, name);
      const std::string inData = platform::JoinPath(app().DataFolder, name);
      for (const std::string& candidate :
           {beside, inData, SkinFrameOf(skin, 1), SkinFrameOf(beside, 1), SkinFrameOf(inData, 1)}) {
        if (!candidate.empty() && platform::FileExists(candidate)) {
          SetFieldText(set.SkinFile, platform::Utf8ToSjis(candidate));
          break;
        }
      }
    }
    Append(set);
  }
  return ColourLoad::Loaded;
}

bool TIPlist6::SaveColourSets(const std::string& path) {
  if (Count < 0) Count = 0;
  ByteWriter w;
  w.Put<int32_t>(Count);
  w.Put<int32_t>(kColourSetsVersion);
  for (int i = 0; i < Count; ++i) w.Put(Item(i));
  return platform::WriteFileAtomically(path, w.Bytes());
}

void TIPlist6::BuildPresetColourSets(uint32_t buttonFace) {
  Count = kPresetColourSetCount;
  for (int i = 0; i < kPresetColourSetCount; ++i) NewColourSet(i);

  struct Preset {
    const char* name;
    int style;
    bool metallic;
    uint32_t backLit;
    int effect;
    bool derived;
  };
  const Preset presets[] = {
      {"標準色", 2, false, Rgb(212, 208, 200), 2, false},
      {"目立たない感じ", 1, false, buttonFace, 0, true},
      {"さらに目立たない感じ", 1, false, buttonFace, 0, true},
      {"黒っぽい感じ", 1, false, Rgb(16, 8, 4), 0, true},
      {"白っぽい感じ", 1, false, Rgb(255, 255, 255), 0, true},
      {"Tarvoポップアップ標準色", 1, false, Rgb(0, 128, 128), 0, true},
      {"オレンジな感じ", 0, false, Rgb(24, 10, 6), 0, true},
      {"グリーンな感じ", 0, false, Rgb(10, 24, 6), 0, true},
      {"ブルーな感じ", 0, false, Rgb(6, 10, 32), 0, true},
      {"標準色のコピー", 2, false, Rgb(212, 208, 200), 2, true},
      {"オーディオ風", 2, false, Rgb(120, 115, 105), 2, true},
      {"Ｗｉｎｄｏｗｓ風", 2, false, Rgb(166, 202, 240), 0, true},
      {"Tarvoポップアップ標準色風", 2, false, Rgb(70, 135, 100), 2, false},
      {"ＶＡＩＯな感じ", 2, false, Rgb(132, 124, 186), 2, false},
      {"メタリックな感じ", 2, true, Rgb(213, 207, 193), 2, false},
      {"蒼月風", 2, true, Rgb(213, 207, 193), 2, false},
      {"ＷｉｎｄｏｗＸＰ風", 2, false, Rgb(74, 148, 231), 0, false},
  };
  for (int i = 0; i < static_cast<int>(std::size(presets)); ++i) {
    const Preset& p = presets[i];
    ColourSet& s = Item(i);
    SetFieldText(s.Name, SJ(p.name));
    s.Style = p.style;
    s.Metallic = p.metallic ? 1 : 0;
    s.BackLit = p.backLit;
    s.Effect = static_cast<uint8_t>(p.effect);
    if (!p.derived) continue;
    const int r = Red(p.backLit), g = Green(p.backLit), b = Blue(p.backLit);
    const bool bright = r >= 128 || g >= 128 || b >= 128;
    auto rgb = [](int rr, int gg, int bb) { return Rgb(Cap(rr), Cap(gg), Cap(bb)); };
    s.BackUnlit = bright ? rgb(r / 2, g / 2, b / 2) : rgb(4 * r, 4 * g, 4 * b);
    if (!bright)
      s.NewsColour1 = rgb(13 * r, 13 * g, 13 * b);
    else if (i == 1 || i == 2)
      s.NewsColour1 = rgb(3 * r / 4, 3 * g / 4, 3 * b / 4);
    else
      s.NewsColour1 = rgb(r / 2, g / 2, b / 2);
    if (bright) {
      if (i == 1)
        s.NewsColour2 = rgb(3 * r / 4, 3 * g / 4, 4 * b / 5);
      else if (i == 2)
        s.NewsColour2 = rgb(4 * r / 5, 4 * g / 5, 3 * b / 4);
      else
        s.NewsColour2 = rgb(r / 3, g / 3, 2 * b / 5);
    } else if (b > r && b > g) {
      s.NewsColour2 = rgb(14 * r, 18 * g, 14 * b);
    } else if (r > b && r > g) {
      s.NewsColour2 = rgb(12 * r, 12 * g, 16 * b);
    } else {
      s.NewsColour2 = rgb(16 * r, 12 * g, 12 * b);
    }
  }
  auto others = [this](int i, uint32_t unlit, uint32_t text1, uint32_t text2) {
    ColourSet& s = Item(i);
    s.BackUnlit = unlit;
    s.NewsColour1 = text1;
    s.NewsColour2 = text2;
  };
  Item(4).NewsColour1 = Rgb(128, 128, 128);
  Item(4).NewsColour2 = Rgb(120, 120, 200);
  Item(5).NewsColour1 = Rgb(255, 255, 0);
  Item(5).NewsColour2 = Rgb(255, 255, 255);
  others(9, Rgb(186, 180, 165), Rgb(167, 164, 143), Rgb(142, 151, 172));
  others(10, Rgb(0, 0, 0), Rgb(160, 155, 145), Rgb(145, 130, 69));
  others(11, Rgb(18, 62, 177), Rgb(200, 194, 201), Rgb(182, 205, 222));
  others(12, Rgb(60, 108, 84), Rgb(122, 172, 121), Rgb(167, 164, 103));
  others(13, Rgb(82, 73, 129), Rgb(189, 176, 189), Rgb(169, 160, 205));
  others(14, Rgb(168, 169, 160), Rgb(175, 167, 148), Rgb(196, 193, 172));
  others(15, Rgb(168, 169, 160), Rgb(173, 39, 39), Rgb(82, 97, 151));
  others(16, Rgb(3, 69, 192), Rgb(222, 252, 231), Rgb(222, 231, 252));
}

ColourImportResult TIPlist6::ImportColourSets(const std::string& path) {
  ColourImportResult result;
  const std::string ext = LowerExtension(path);
  const bool ncd = ext == ".ncd";
  if (!ncd && ext != ".nc2") return result;
  auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return result;
  result.withPictures = ncd;
  ByteReader r(*bytes);
  int32_t n = 0, version = 0;
  if (!r.Get(n) || !r.Get(version) || version >= 4) return result;
  for (int32_t i = 0; i < n; ++i) {
    ColourSet set;
    if (!r.Get(set)) break;
    TerminateTexts(set);
    std::string_view picture;
    if (ncd) {
      int32_t length = 0;
      // A length the file cannot hold leaves no way to find the next record.
      if (!r.Get(length) || length < 0 || static_cast<size_t>(length) > r.Remaining()) break;
      picture = r.Peek(static_cast<size_t>(length));
      r.Skip(picture.size());
    }
    const std::string name = FieldText(set.Name);
    if (platform::TrimBlanks(name).empty()) continue;
    if (!picture.empty()) {
      const std::string file = platform::SjisToUtf8(platform::SjisFileName(FieldText(set.SkinFile)));
      if (!IsInstallablePictureName(file)) continue;
      const std::string target = platform::JoinPath(app().DataFolder, file);
      if (!platform::WriteFileAtomically(target, picture)) continue;
      SetFieldText(set.SkinFile, platform::Utf8ToSjis(target));
    }
    int index = FindByName(name);
    if (index >= 0)
      Item(index) = set;
    else
      index = Append(set);
    ++result.imported;
    result.lastIndex = index;
  }
  for (BarSlot& bar : bars())
    if (bar.ColourSet >= 0 && bar.ColourSet < Count) bar.ColourSetName = FieldText(Item(bar.ColourSet).Name);
  return result;
}

bool TIPlist6::ExportColourSets(const std::string& path, const std::vector<int>& indexes) {
  ByteWriter body;
  int32_t records = 0;
  auto put = [&](ColourSet set, const std::string& picturePath) {
    std::string picture;
    if (!picturePath.empty()) picture = platform::ReadWholeFile(picturePath).value_or(std::string());
    if (!picturePath.empty()) SetFieldText(set.SkinFile, platform::Utf8ToSjis(picturePath));
    body.Put(set);
    body.Put<int32_t>(static_cast<int32_t>(picture.size()));
    body.Write(picture.data(), picture.size());
    ++records;
  };
  std::vector<int> chosen(indexes);
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  for (int index : chosen) {
    if (index < 0 || index >= Count) continue;
    const ColourSet set = Item(index);
    const std::string skin = platform::SjisToUtf8(FieldText(set.SkinFile));
    bool wroteFrames = false;
    if (ParseSkinFrameName(Utf8FileName(skin))) {
      for (int frame = 1; frame <= kMaxSkinFrames; ++frame) {
        const std::string file = SkinFrameOf(skin, frame);
        if (file.empty()) break;
        put(set, file);
        wroteFrames = true;
      }
    }
    if (!wroteFrames) put(set, skin);
  }
  ByteWriter w;
  w.Put<int32_t>(records);
  w.Put<int32_t>(kColourSetsVersion);
  w.Write(body.Bytes().data(), body.Bytes().size());
  return platform::WriteFileAtomically(path, w.Bytes());
}

TIPlist6& ColourList() {
  static TIPlist6 list;
  return list;
}

int DefaultColourSetIndex(const AppState& state) {
  if (state.ColourCount <= 256) return 1;
  if (state.GlassEnabled) return 30;
  if (state.IsVistaOrLater) return 25;
  if (state.IsXPOrLater) return 16;
  return 0;
}

std::string DefaultColourSetName(const AppState& state, bool weather) {
  if (state.IsVistaOrLater && state.GlassEnabled) return SJ(weather ? "天気予報用 W7風" : "Windows7風");
  if (state.IsVistaOrLater) return SJ(weather ? "天気予報用 Vista風" : "WindowsVista風");
  if (state.IsXPOrLater) return SJ(weather ? "天気予報用" : "WindowsXP風");
  return SJ(weather ? "天気予報 Mac風" : "Macな感じ");
}

std::optional<SkinFrameName> ParseSkinFrameName(const std::string& fileName) {
  if (LowerExtension(fileName) != ".bmp") return std::nullopt;
  const std::string stem = fileName.substr(0, fileName.size() - 4);
  // Two numbers read from the end, each after an underscore.
  auto takeNumber = [&stem](size_t& end, int& value) {
    size_t start = end;
    while (start > 0 && stem[start - 1] >= '0' && stem[start - 1] <= '9') --start;
    if (start == end || end - start > 5 || start == 0 || stem[start - 1] != '_') return false;
    value = std::stoi(stem.substr(start, end - start));
    end = start - 1;
    return true;
  };
  size_t end = stem.size();
  SkinFrameName name;
  if (!takeNumber(end, name.delay) || !takeNumber(end, name.frame)) return std::nullopt;
  if (name.frame < 1 || name.frame > kMaxSkinFrames || name.delay < 1 || name.delay > 65535) return std::nullopt;
  name.base = stem.substr(0, end);
  return name;
}

namespace {
// Frames of one base in a folder, by frame number.
std::map<int, SkinFrame> FramesOf(const std::string& folder, const std::string& base) {
  std::map<int, SkinFrame> frames;
  QDir dir(QString::fromStdString(folder));
  const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
  for (const QString& entry : names) {
    const std::string file = entry.toStdString();
    auto parsed = ParseSkinFrameName(file);
    if (!parsed || platform::SjisAsciiLower(parsed->base) != platform::SjisAsciiLower(base)) continue;
    frames.emplace(parsed->frame, SkinFrame{platform::JoinPath(folder, file), parsed->delay});
  }
  return frames;
}
}  // namespace

std::string SkinFrameOf(const std::string& path, int frame) {
  const std::string file = Utf8FileName(path);
  std::string base;
  if (auto parsed = ParseSkinFrameName(file))
    base = parsed->base;
  else if (LowerExtension(file) == ".bmp")
    base = file.substr(0, file.size() - 4);
  else
    return {};
  auto frames = FramesOf(Utf8Folder(path), base);
  auto found = frames.find(frame);
  return found == frames.end() ? std::string() : found->second.path;
}

bool LoadSkinFrames(const std::string& path, std::vector<SkinFrame>& frames) {
  frames.clear();
  auto parsed = ParseSkinFrameName(Utf8FileName(path));
  if (!parsed || parsed->frame != 1 || !platform::FileExists(path)) return false;
  auto found = FramesOf(Utf8Folder(path), parsed->base);
  if (found.empty()) return false;
  const int highest = found.rbegin()->first;
  for (int frame = 1; frame <= highest; ++frame) {
    auto it = found.find(frame);
    if (it == found.end()) {
      frames.clear();
      return false;
    }
    frames.push_back(it->second);
  }
  frames.front() = SkinFrame{path, parsed->delay};
  return true;
}

}  // namespace lumetra
