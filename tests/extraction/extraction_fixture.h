#pragma once
// A private data folder with a fresh definition list, bar table and bar
// lists; definitions whose page cache a test writes, and the headlines a
// parse put on bar 0, in UTF-8 for readable expectations.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/settings.h"
#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"
#include "extraction/parse_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "retrieval/headline_store.h"
#include "support/test_support.h"

namespace lumetra::test {

struct Shown {
  std::string text;  // the rows as shown, joined by a blank (UTF-8)
  std::string link;
  bool operator==(const Shown& o) const { return text == o.text && link == o.link; }
};

inline std::ostream& operator<<(std::ostream& os, const Shown& s) { return os << "{\"" << s.text << "\", \"" << s.link << "\"}"; }

class ExtractionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app().DataFolder = folder.path();
    app().QuitAllowed = false;
    app().Closing = false;
    NewsList() = TIPlist5();
    NewsList().TracksBars = true;
    ColourList() = TIPlist6();
    bars() = DefaultBarTable();
    settings() = Settings();
    for (int bar = 0; bar < kBarSlots; ++bar) barHeadlines(bar) = BarHeadlines();
  }

  // A definition of the page `url` (UTF-8 title), changed by `edit`.
  int AddDefinition(const std::string& url, const std::function<void(NewsDefinition&)>& edit = {},
                    const std::string& title = "テスト") {
    NewsDefinition d = DefaultDefinition(NewsList().Count);
    SetFieldText(d.Title, SJ(title + std::to_string(NewsList().Count)));
    SetFieldText(d.Url, url);
    if (edit) edit(d);
    return NewsList().Append(d);
  }
  NewsDefinition& Def(int index) { return NewsList().Item(index); }

  void WriteCache(int index, const std::string& bytes) { test::WriteFile(NewsList().CachePath(index), bytes); }

  // Writes `page` as the cache of a new definition and parses it on bar 0.
  std::vector<Shown> ParsePage(const std::string& page, const std::function<void(NewsDefinition&)>& edit = {},
                               const std::string& url = "http://news.example.jp/top/index.html") {
    int index = AddDefinition(url, edit);
    WriteCache(index, page);
    ParseDefinition(0, index, false, false);
    return Headlines();
  }

  // Bar 0's headlines: the ticker lines between the title and the run-out.
  static std::vector<Shown> Headlines(int bar = 0) {
    const BarHeadlines& b = barHeadlines(bar);
    std::vector<Shown> out;
    for (size_t i = 1; i + 1 < b.Lines.size(); ++i) {
      std::string text;
      for (const std::string& r : b.LineRows[i]) {
        if (r.empty()) continue;
        if (!text.empty()) text += ' ';
        text += r;
      }
      out.push_back({platform::SjisToUtf8(text), b.Links[i]});
    }
    return out;
  }

  TempFolder folder;
};

// UTF-8 page text as program text.
inline std::string Sjis(const std::string& utf8) { return SJ(utf8); }

}  // namespace lumetra::test
