#pragma once
// A private data folder, fresh lists and bars, and a prompt handler that
// records every question and gives a chosen answer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "definitions/colour_sets.h"
#include "definitions/definition_exchange.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "platform/user_prompt.h"
#include "support/test_support.h"

namespace lumetra::test {

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    previous_ = platform::SetPromptHandler([this](const platform::PromptRequest& r) {
      prompts.push_back(r);
      return answer;
    });
  }
  void TearDown() override { platform::SetPromptHandler(std::move(previous_)); }

  // Fresh folders, lists and bars (a test may start over several times).
  virtual void Reset() {
    program = folder / "program";
    data = folder / "data";
    platform::MakeDirectories(program);
    platform::MakeDirectories(data);
    app().ProgramFolder = program;
    app().DataFolder = data;
    NewsList() = TIPlist5();
    NewsList().TracksBars = true;
    HoldingList() = TIPlist5();
    ColourList() = TIPlist6();
    bars() = DefaultBarTable();
    prompts.clear();
  }

  TempFolder folder;
  std::string program, data;
  std::vector<platform::PromptRequest> prompts;
  platform::PromptAnswer answer = platform::PromptAnswer::No;

 private:
  platform::PromptHandler previous_;
};

// A definition with the given title and address, otherwise fresh.
inline NewsDefinition Definition(const std::string& title, const std::string& url, int group = 0) {
  NewsDefinition d = DefaultDefinition(0);
  SetFieldText(d.Title, SJ(title));
  SetFieldText(d.Url, url);
  d.GroupId = group;
  return d;
}

inline std::string Bytes(const void* data, size_t n) { return std::string(static_cast<const char*>(data), n); }

template <typename T>
void PutLE(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace lumetra::test
