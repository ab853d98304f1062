#include "definitions/default_set.h"

#include <charconv>
#include <cstring>
#include <cstdio>
#include <functional>
#include <map>

#include "platform/file_io.h"
#include "platform/sjis_text.h"

namespace lumetra {

namespace {

// A definition file that existed but did not load at this start.
bool& DefinitionFileRefused() {
  static bool refused = false;
  return refused;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

struct Block {
  int line = 0;
  std::string name;  // the text in brackets
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<int> lines;
};

// "[name]" starts a block; "key = value" lines fill it; "#" starts a comment
// line.
std::vector<Block> ParseBlocks(std::string_view text, std::vector<std::string>& errors) {
  std::vector<Block> blocks;
  int number = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      blocks.push_back({number, std::string(Trim(line.substr(1, line.size() - 2))), {}, {}});
      continue;
    }
    size_t eq = line.find('=');
    if (blocks.empty() || eq == std::string_view::npos) {
      errors.push_back("line " + std::to_string(number) + ": expected \"[name]\" or \"key = value\"");
      continue;
    }
    blocks.back().values.emplace_back(std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))));
    blocks.back().lines.push_back(number);
  }
  return blocks;
}

bool ToInt(const std::string& text, int low, int high, int& out) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
  out = value;
  return true;
}

bool ToColour(const std::string& text, uint32_t& out) {
  int rgb[3];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    size_t comma = i < 2 ? text.find(',', start) : text.size();
    if (comma == std::string::npos) return false;
    if (!ToInt(std::string(Trim(std::string_view(text).substr(start, comma - start))), 0, 255, rgb[i])) return false;
    start = comma + 1;
  }
  out = Rgb(rgb[0], rgb[1], rgb[2]);
  return true;
}

int EncodingCode(const std::string& name) {
  static const std::map<std::string, int> codes = {{"Shift_JIS", 0}, {"EUC-JP", 1},   {"EUC", 1},
                                                   {"ISO-2022-JP", 2}, {"JIS", 2},    {"UTF-8", 3},
                                                   {"UTF-16LE", 4},   {"Unicode", 4}};
  auto it = codes.find(name);
  return it == codes.end() ? -1 : it->second;
}

// Stores `utf8` in a record field; false when it does not fit or cannot be
// written in Shift_JIS.
template <size_t N>
bool SetUtf8Field(char (&field)[N], const std::string& utf8) {
  const std::string text = SJ(utf8);
  if (text.size() > N - 1 || platform::SjisToUtf8(text) != utf8) return false;
  SetFieldText(field, text);
  return true;
}

std::string FileAddress(const std::string& path) { return "file://" + path; }

}  // namespace

bool ParseDefaultDefinitions(std::string_view text, const std::string& shippedFolder, TIPlist5& list,
                             std::vector<std::string>& errors) {
  const size_t before = errors.size();
  for (const Block& block : ParseBlocks(text, errors)) {
    NewsDefinition d = DefaultDefinition(list.Count);
    bool ok = SetUtf8Field(d.Title, block.name) && !block.name.empty();
    std::string problem = ok ? "" : "title missing, too long or not writable in Shift_JIS";
    bool hasAddress = false, hasCategory = false;
    for (size_t i = 0; i < block.values.size() && ok; ++i) {
      const auto& [key, value] = block.values[i];
      int number = 0;
      auto flag = [&](uint8_t& field) {
        ok = ToInt(value, 0, 1, number);
        field = static_cast<uint8_t>(number);
      };
      if (key == "url") {
        ok = SetUtf8Field(d.Url, value);
        hasAddress = ok;
      } else if (key == "local") {
        const std::string path = platform::JoinPath(shippedFolder, value);
        ok = value.find("..") == std::string::npos && platform::FileExists(path) &&
             SetUtf8Field(d.Url, FileAddress(path));
        hasAddress = ok;
        if (!ok) problem = "shipped file " + path + " missing or its address too long";
      } else if (key == "main_url") {
        ok = SetUtf8Field(d.MainUrl, value);
      } else if (key == "category") {
        int code = CategoryCode(SJ(value));
        ok = code >= 0 || ToInt(value, 0, 255, code);
        d.Category = static_cast<uint8_t>(code);
        hasCategory = ok;
      } else if (key == "start") {
        ok = SetUtf8Field(d.StartMarker, value);
      } else if (key == "end") {
        ok = SetUtf8Field(d.EndMarker, value);
      } else if (key == "start_tag") {
        int index = StartTagIndex(value);
        ok = index >= 0;
        d.StartTag = static_cast<uint8_t>(index);
      } else if (key == "end_tag") {
        int index = EndTagIndex(value);
        ok = index >= 0;
        d.EndTag = static_cast<uint8_t>(index);
      } else if (key == "encoding") {
        int code = EncodingCode(value);
        ok = code >= 0;
        d.Encoding = static_cast<uint8_t>(code);
      } else if (key == "group") {
        ok = ToInt(value, -1000000, 1000000, number);
        d.GroupId = number;
      } else if (key == "min_chars") {
        ok = ToInt(value, 0, 255, number);
        d.MinChars = static_cast<uint8_t>(number);
      } else if (key == "rss") {
        flag(d.Rss);
      } else if (key == "patrol") {
        flag(d.Patrol);
      } else if (key == "menu") {
        flag(d.ShowInMenu);
      } else if (key == "favourite") {
        flag(d.Favourite);
      } else if (key == "always_fetch") {
        flag(d.AlwaysFetch);
      } else if (key == "cookie") {
        flag(d.UseCookie);
      } else if (key == "board") {
        flag(d.BoardMode);
      } else {
        ok = false;
        problem = "unknown key \"" + key + "\"";
      }
      if (!ok && problem.empty()) problem = "bad value for \"" + key + "\": " + value;
      if (!ok) problem = "line " + std::to_string(block.lines[i]) + ": " + problem;
    }
    if (ok && (!hasAddress || !hasCategory)) {
      ok = false;
      problem = "no address or no category";
    }
    if (!ok) {
      errors.push_back("definition \"" + block.name + "\" (line " + std::to_string(block.line) + ") left out: " + problem);
      continue;
    }
    list.Append(d);
  }
  return errors.size() == before;
}

bool ParseDefaultColourSets(std::string_view text, TIPlist6& list, std::vector<std::string>& errors) {
  const size_t before = errors.size();
  for (const Block& block : ParseBlocks(text, errors)) {
    int slot = -1;
    bool ok = !block.name.empty();
    std::string problem = "name missing";
    // Defaults of a new set, then the block's values.
    TIPlist6 scratch;
    scratch.NewColourSet(0);
    ColourSet set = scratch.Item(0);
    if (ok) {
      const std::string name = SJ(block.name);
      ok = name.size() < sizeof set.Name && platform::SjisToUtf8(name) == block.name;
      SetFieldText(set.Name, name);
      problem = "name too long or not writable in Shift_JIS";
    }
    for (size_t i = 0; i < block.values.size() && ok; ++i) {
      const auto& [key, value] = block.values[i];
      int number = 0;
      if (key == "slot") {
        ok = ToInt(value, 0, 255, slot);
      } else if (key == "style") {
        ok = ToInt(value, 0, 3, number);
        set.Style = number;
      } else if (key == "metallic") {
        ok = ToInt(value, 0, 1, number);
        set.Metallic = static_cast<uint8_t>(number);
      } else if (key == "metallic_percent") {
        ok = ToInt(value, 1, 100, number);
        set.MetallicPercent = number;
      } else if (key == "effect") {
        ok = ToInt(value, 0, 3, number);
        set.Effect = static_cast<uint8_t>(number);
      } else if (key == "back_lit") {
        ok = ToColour(value, set.BackLit);
      } else if (key == "back_unlit") {
        ok = ToColour(value, set.BackUnlit);
      } else if (key == "news_colour1") {
        ok = ToColour(value, set.NewsColour1);
      } else if (key == "news_colour2") {
        ok = ToColour(value, set.NewsColour2);
      } else {
        ok = false;
      }
      if (!ok) problem = "line " + std::to_string(block.lines[i]) + ": bad \"" + key + "\" = " + value;
    }
    if (ok && slot < 0) {
      ok = false;
      problem = "no slot";
    }
    if (!ok) {
      errors.push_back("colour set \"" + block.name + "\" (line " + std::to_string(block.line) + ") left out: " + problem);
      continue;
    }
    while (list.Count <= slot) list.NewColourSet(list.Count++);
    list.Item(slot) = set;
  }
  return errors.size() == before;
}

namespace {
std::string ShippedFile(const std::string& programFolder, const char* name) {
  return platform::JoinPath(platform::JoinPath(programFolder, kShippedDataFolder), name);
}

void Report(const std::string& what, const std::vector<std::string>& errors) {
  for (const std::string& e : errors) std::fprintf(stderr, "lumetra: %s: %s\n", what.c_str(), e.c_str());
}
}  // namespace

bool InstallDefaultDefinitions(TIPlist5& list, const std::string& programFolder, const std::string& path) {
  const std::string source = ShippedFile(programFolder, kDefaultDefinitionsFile);
  auto text = platform::ReadWholeFile(source);
  if (!text) {
    std::fprintf(stderr, "lumetra: the default definition set %s is missing\n", source.c_str());
    return false;
  }
  list.Count = 0;
  std::vector<std::string> errors;
  ParseDefaultDefinitions(*text, platform::JoinPath(programFolder, kShippedDataFolder), list, errors);
  Report(source, errors);
  if (list.Count == 0) return false;
  // Bar 0 starts on the second definition (a lower index is repaired to 1).
  list.CurrentIndex = 1;
  return list.SaveDefinitions(path);
}

void InstallDefaultColourSets(TIPlist6& list, const std::string& programFolder, uint32_t buttonFace) {
  list.BuildPresetColourSets(buttonFace);
  const std::string source = ShippedFile(programFolder, kDefaultColoursFile);
  if (auto text = platform::ReadWholeFile(source)) {
    std::vector<std::string> errors;
    ParseDefaultColourSets(*text, list, errors);
    Report(source, errors);
  }
}

void LoadDefinitionsAtStart(const std::string& dataFolder, const std::string& programFolder) {
  TIPlist5& list = NewsList();
  const std::string path = platform::JoinPath(dataFolder, kDefinitionsFile);
  DefinitionFileRefused() = false;
  if (platform::FileExists(path)) {
    if (!list.LoadDefinitions(path)) {
      DefinitionFileRefused() = true;
      std::fprintf(stderr, "lumetra: %s could not be loaded; it is kept as it is\n", path.c_str());
    }
    return;
  }
  InstallDefaultDefinitions(list, programFolder, path);
}

void LoadColourSetsAtStart(const std::string& dataFolder, const std::string& programFolder, uint32_t buttonFace) {
  TIPlist6& list = ColourList();
  const std::string path = platform::JoinPath(dataFolder, kColoursFile);
  const bool exists = platform::FileExists(path);
  const ColourLoad loaded = exists ? list.LoadColourSets(path) : ColourLoad::Missing;
  if (loaded == ColourLoad::Loaded) return;
  // The presets, with the shipped sets that carry the names new bars look for.
  InstallDefaultColourSets(list, programFolder, buttonFace);
  if (!exists) list.SaveColourSets(path);
}

void SaveDefinitionsAtShutdown(const std::string& dataFolder) {
  TIPlist5& list = NewsList();
  const std::string path = platform::JoinPath(dataFolder, kDefinitionsFile);
  // An empty list replaces neither a file that did not load nor the absence
  // of a file, which lets the next start install the default set.
  if (list.Count == 0 && (DefinitionFileRefused() || !platform::FileExists(path))) return;
  list.SaveDefinitions(path);
}

void SaveColourSetsAtShutdown(const std::string& dataFolder) {
  ColourList().SaveColourSets(platform::JoinPath(dataFolder, kColoursFile));
}

}  // namespace lumetra
