#pragma once
// The small text lists of the data folder: one entry per line, Shift_JIS,
// CR LF line ends. Their meaning belongs to the keyword watch, the board list
// and the spam rules.
#include <string>
#include <vector>

namespace lumetra {

using TextList = std::vector<std::string>;

inline constexpr int kMaxTextListLines = 65535;

// Reads `path` into `list` when the file exists (false and the list kept
// otherwise). Lines empty after trimming blanks and control characters are
// skipped; the others are added trimmed, or as read when `keepAsRead` (the
// found list keeps the carriage return that ends each of its entries). At
// most 65,535 lines are read.
bool LoadTextList(const std::string& path, TextList& list, bool keepAsRead = false);
// Writes every entry followed by CR LF, replacing the file.
bool SaveTextList(const std::string& path, const TextList& list);

struct TextLists {
  TextList KeywordList;  // "SearchList.txt"
  TextList FoundList;    // "SearchMuchList.txt", newest first
  TextList BoardList;    // "BoardList.txt"
  TextList SpamList;     // "SpamList.txt"
  TextList SpamExList;   // "SpamExList.txt"
};

inline constexpr char kKeywordListFile[] = "SearchList.txt";
inline constexpr char kFoundListFile[] = "SearchMuchList.txt";
inline constexpr char kBoardListFile[] = "BoardList.txt";
inline constexpr char kSpamListFile[] = "SpamList.txt";
inline constexpr char kSpamExListFile[] = "SpamExList.txt";

TextLists& textLists();

// Start-up: clears the lists and loads them from the data folder; the board
// list only when the board-list feature is on.
void LoadTextLists(const std::string& dataFolder, bool boardListEnabled);

}  // namespace lumetra
