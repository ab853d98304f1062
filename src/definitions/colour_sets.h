#pragma once
// Colour and skin sets: the 374-byte record, the list TIPlist6 shared by all
// bars, the file "NewsCol.USR", the exchange files ".NCD"/".NC2", the preset
// list and the names of animated skin frames. Drawing lives with the bars.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/fixed_text.h"
#include "platform/record_list.h"

namespace lumetra {

#pragma pack(push, 1)
struct ColourSet {
  uint32_t BackLit;        // 0x00BBGGRR: bar colour, the ticker's BackColor
  uint32_t BackUnlit;      // the ticker's DarkColor
  uint32_t NewsColour1;    // text colour
  uint32_t NewsColour2;    // second text colour for effects
  int32_t Style;           // 0 LED board, 1 simple, 2 gradation, 3 skin
  uint8_t Metallic;        // metallic background (with style 2)
  int32_t MetallicPercent;
  char Name[81];
  char SkinFile[256];      // skin picture path (Shift_JIS), empty when none
  uint8_t SkinLayout;      // 0 tile, 1 stretch, 2 fix, 3 region, 4 transparent
  uint8_t Effect;          // 0 none, 1 raised, 2 sunken, 3 shadow
  int16_t SkinLeft;        // text rectangle inside the picture
  int16_t SkinTop;
  int16_t SkinRight;       // 0: the picture's width
  int16_t SkinBottom;      // 0: the picture's height
  uint8_t TextTop;
  uint8_t TextBottom;
};
#pragma pack(pop)

static_assert(sizeof(ColourSet) == 374);
static_assert(offsetof(ColourSet, Style) == 16);
static_assert(offsetof(ColourSet, Metallic) == 20);
static_assert(offsetof(ColourSet, MetallicPercent) == 21);
static_assert(offsetof(ColourSet, Name) == 25);
static_assert(offsetof(ColourSet, SkinFile) == 106);
static_assert(offsetof(ColourSet, SkinLayout) == 362);
static_assert(offsetof(ColourSet, Effect) == 363);
static_assert(offsetof(ColourSet, SkinLeft) == 364);
static_assert(offsetof(ColourSet, SkinBottom) == 370);
static_assert(offsetof(ColourSet, TextTop) == 372);

inline constexpr int kColourSetSize = 374;
inline constexpr int kColourSetsVersion = 3;
inline constexpr int kPresetColourSetCount = 30;
inline constexpr int kLayoutFix = 2;
inline constexpr int kLayoutTransparent = 4;

constexpr uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r & 255) | (static_cast<uint32_t>(g & 255) << 8) | (static_cast<uint32_t>(b & 255) << 16);
}
// The button face colour of a current system, used when no desktop palette is at hand.
inline constexpr uint32_t kDefaultButtonFace = Rgb(240, 240, 240);

enum class ColourLoad { Loaded, Missing, PresetsBuilt };

struct ColourImportResult {
  int imported = 0;       // records taken into the list
  int lastIndex = -1;     // index of the last imported set
  bool withPictures = false;  // a ".ncd" file
};

class TIPlist6 : public platform::RecordList<ColourSet> {
 public:
  // Fills the record with the defaults ("Color " + 1-based position).
  void NewColourSet(int index);
  int Append(const ColourSet& set);

  // "NewsCol.USR": versions 2 and 3 load; another version builds the presets;
  // a missing or unreadable file leaves the list as it is. Transparent sets
  // are dropped when the system lacks layered windows; a missing picture is
  // looked for beside the program (and in the data folder), also as frame 1
  // of an animation.
  ColourLoad LoadColourSets(const std::string& path, bool layeredWindows = true);
  bool SaveColourSets(const std::string& path);

  // The 30 preset sets; records 1 and 2 derive their colours from the
  // system's button face colour.
  void BuildPresetColourSets(uint32_t buttonFace = kDefaultButtonFace);

  // Merges a ".ncd" (with pictures, installed into the data folder) or ".nc2"
  // file: a set of the same name (case-insensitive) is overwritten, others are
  // appended. Any other extension does nothing. The bars' colour-set names
  // are taken again from their indexes.
  ColourImportResult ImportColourSets(const std::string& path);
  // Writes the chosen sets with their pictures; an animated skin gives one
  // record per frame.
  bool ExportColourSets(const std::string& path, const std::vector<int>& indexes);

  // -1 when no set has this name (compared without regard to case).
  int FindByName(const std::string& name);
};

TIPlist6& ColourList();

// The set a new bar starts with, by display depth and system flags, and the
// name recorded with it so that a set imported later under that name is found.
int DefaultColourSetIndex(const AppState& state);
std::string DefaultColourSetName(const AppState& state, bool weather);

// Animated skins: base + "_" + frame (1-49) + "_" + delay (1-65535 ms) + ".bmp".
struct SkinFrameName {
  std::string base;  // file name part before the numbers
  int frame = 0;
  int delay = 0;
};
inline constexpr int kMaxSkinFrames = 49;
std::optional<SkinFrameName> ParseSkinFrameName(const std::string& fileName);
// The file of the same folder and base with that frame number; empty when none.
std::string SkinFrameOf(const std::string& path, int frame);

struct SkinFrame {
  std::string path;
  int delay = 0;
};
// Every frame of the animation that `path` starts; false unless `path` is
// frame 1 and every frame up to the highest number exists.
bool LoadSkinFrames(const std::string& path, std::vector<SkinFrame>& frames);

}  // namespace lumetra
