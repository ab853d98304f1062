// The entry points of the bar's menu and of the main window: the editor
// opened by message 1425, the export window, the import through its file
// dialog, and files dropped on a bar.
#include "dialogs/definition_menu_ui.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QTimer>
#include <future>

#include "app/main_window.h"
#include "app/main_window_calls.h"
#include "app/messages.h"
#include "dialogs/editor_fixture.h"
#include "dialogs/news_edit_form_ui.h"
#include "dialogs/news_export_form_ui.h"
#include "dialogs/window_support.h"
#include "platform/handoff_channel.h"
#include "platform/registry.h"
#include "platform/runtime_folder.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

using test::Child;
using test::SelectRows;
using test::Type;

// Runs `step` on the editor once it is up and modal.
void WhenEditorShows(std::function<void(TNewsEditForm&)> step) {
  auto attempt = std::make_shared<std::function<void(int)>>();
  *attempt = [step, attempt](int triesLeft) {
    auto* form = qobject_cast<TNewsEditForm*>(QApplication::activeModalWidget());
    if (!form && triesLeft > 0) {
      QTimer::singleShot(10, [attempt, triesLeft] { (*attempt)(triesLeft - 1); });
      return;
    }
    if (!form) {
      ADD_FAILURE() << "the editor did not open";
      return;
    }
    step(*form);
    if (form->isVisible()) form->reject();  // never leave a test hanging in the dialog
  };
  QTimer::singleShot(0, [attempt] { (*attempt)(300); });
}

class MenuActions : public test::EditorTest {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    EditorTest::SetUp();
    MakeList();
    previousChooser = SetFileChooser([this](QWidget*, const FileDialogRequest& r) -> std::optional<std::string> {
      requests.push_back(r);
      if (chosen.empty()) return std::nullopt;
      return chosen;
    });
  }
  void TearDown() override {
    SetFileChooser(std::move(previousChooser));
    EditorTest::TearDown();
  }

  std::string chosen;
  std::vector<FileDialogRequest> requests;
  FileChooser previousChooser;
};

TEST_F(MenuActions, ExportOfSelectedRowsAndImportGiveTheSameDefinitions) {
  TIPlist5& list = NewsList();
  list.Item(3).MinChars = 7;
  list.Item(5).Encoding = 2;
  SetFieldText(list.Item(9).MainUrl, "http://main.example/");
  for (int i = 0; i < list.Count; ++i) list.Item(i).LastModified = 0;
  const NewsDefinition originals[] = {list.Item(3), list.Item(5), list.Item(9)};

  TNewsExportForm* window = OpenExportWindow(0);
  EXPECT_EQ(OpenExportWindow(0), window);  // one at a time
  EXPECT_EQ(window->windowTitle(), QStringLiteral(u"ニュースのエクスポート"));
  ASSERT_EQ(window->List()->topLevelItemCount(), 10);
  EXPECT_EQ(window->List()->topLevelItem(5)->text(0), QStringLiteral(u"－↓   Site 5"));
  EXPECT_EQ(window->List()->topLevelItem(2)->text(1), QStringLiteral(u"スポンサー"));
  EXPECT_FALSE(window->OkClick());  // nothing selected: no file is asked for
  EXPECT_TRUE(requests.empty());

  chosen = data + "/shared.NUD";
  SelectRows(window->List(), {9, 3, 5});
  EXPECT_TRUE(window->OkClick());
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].save);
  EXPECT_EQ(requests[0].defaultSuffix, QStringLiteral("NUD"));
  EXPECT_EQ(requests[0].folder.toStdString(), data);
  EXPECT_TRUE(requests[0].filter.contains(QStringLiteral(u"ヘッドラインニュースＵＲＬデータ")));
  EXPECT_TRUE(requests[0].filter.contains(QStringLiteral("*.NUD")));
  EXPECT_EQ(test::ReadFile(chosen).size(), 8u + 3 * 736);
  QPointer<TNewsExportForm> closed(window);
  test::Pump();
  EXPECT_TRUE(closed.isNull()) << "the window closes after writing";

  for (int index : {9, 5, 3}) list.DeleteDefinition(index);
  ASSERT_EQ(list.Count, 7);
  requests.clear();
  EXPECT_TRUE(ImportDefinitionFileInteractive(1));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].save);
  EXPECT_EQ(requests[0].folder.toStdString(), data);
  ASSERT_EQ(list.Count, 10);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameDefinition(list.Item(7 + i), originals[i])) << i;
  EXPECT_EQ(bars()[1].Definition, 9);  // the importing bar shows the last one
  chosen.clear();
  EXPECT_FALSE(ImportDefinitionFileInteractive(1));  // cancelled
}

TEST_F(MenuActions, DroppedFilesGoToBothImports) {
  TIPlist5& list = NewsList();
  ASSERT_TRUE(ExportDefinitions(data + "/drop.nud", {1}));
  SetFieldText(list.Item(1).Title, "Renamed");
  ColourList().BuildPresetColourSets();
  TIPlist6 source;
  source.NewColourSet(0);
  SetFieldText(source.Item(0).Name, SJ("持ち込み"));
  source.Count = 1;
  ASSERT_TRUE(source.ExportColourSets(data + "/skin.NCD", {0}));
  test::WriteFile(data + "/notes.txt", "nothing to import");

  std::vector<std::tuple<uint32_t, platform::WParam, platform::LParam>> got;
  platform::MessagePort main([&](uint32_t msg, platform::WParam w, platform::LParam l) -> platform::LResult {
    got.emplace_back(msg, w, l);
    return 0;
  });
  InstallMainWindowCalls({main.Handle(), {}, {}, {}});
  const int colourCount = ColourList().Count;
  HandleDroppedFiles(2, {data + "/drop.nud", data + "/skin.NCD", data + "/notes.txt"});
  test::Pump();
  InstallMainWindowCalls({});
  EXPECT_EQ(FieldText(list.Item(1).Title), "Site 1");  // same address: replaced by the file's
  EXPECT_EQ(ColourList().Count, colourCount + 1);
  EXPECT_EQ(bars()[2].ColourSet, colourCount);
  using Message = std::tuple<uint32_t, platform::WParam, platform::LParam>;
  EXPECT_EQ(got, (std::vector<Message>{{UM_OPENBAR, 2, colourCount}}));
}

TEST_F(MenuActions, TheEditorOpensOnlyWhenItCan) {
  int opened = 0;
  auto count = [&opened](TNewsEditForm&) { ++opened; };
  walking = true;
  EXPECT_FALSE(OpenDefinitionEditor(0));
  walking = false;
  definitionEditor().EditorOpen = true;
  EXPECT_FALSE(OpenDefinitionEditor(0));
  definitionEditor().EditorOpen = false;
  TIPlist5 list = NewsList();
  NewsList().Count = 0;
  EXPECT_FALSE(OpenDefinitionEditor(0));
  NewsList() = list;
  EXPECT_EQ(opened, 0);

  existing = {4};
  bars()[4].Definition = 5;
  WhenEditorShows([&](TNewsEditForm& form) {
    count(form);
    EXPECT_EQ(form.SelectedRows(), std::vector<int>{5});
    EXPECT_TRUE(definitionEditor().EditorOpen);
  });
  EXPECT_FALSE(OpenDefinitionEditor(4));  // cancelled: no change
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(madeCurrent, std::vector<int>{4});
  EXPECT_FALSE(definitionEditor().EditorOpen);
}

// ---- Message 1425, through the main window ----------------------------------

class EditorMessage : public MenuActions {
 protected:
  void SetUp() override {
    MenuActions::SetUp();
    platform::RegistryStore::For(platform::RootKey::CurrentUser).Clear();
    // The main window loads the list at its start.
    ASSERT_TRUE(NewsList().SaveDefinitions(DefinitionsFile()));
    window = std::make_unique<TChirpels>(TChirpels::StartOptions{data, {}});
    ASSERT_EQ(NewsList().Count, 10);
  }
  void TearDown() override {
    window.reset();
    MenuActions::TearDown();
  }
  platform::LResult Send(platform::WParam index) { return window->WndProc(UM_EDITDEFINITION, index, 0); }

  std::unique_ptr<TChirpels> window;
};

TEST_F(EditorMessage, AValidIndexIsPreselectedAndAChangeAnswersOne) {
  existing = {1, 3};
  // An index after the held board definitions names the same definition.
  WhenEditorShows([](TNewsEditForm& form) {
    EXPECT_EQ(form.SelectedRows(), std::vector<int>{7});
    EXPECT_EQ(Child<QLineEdit>(&form, "Title")->text(), QStringLiteral("Site 9"));
  });
  EXPECT_EQ(Send(9), 0);  // cancelled
  EXPECT_EQ(madeCurrent, std::vector<int>{1});  // the first bar that exists

  WhenEditorShows([](TNewsEditForm& form) {
    EXPECT_EQ(form.SelectedRows(), std::vector<int>{5});
    Type(Child<QLineEdit>(&form, "Title"), "Edited elsewhere");
    Child<QPushButton>(&form, "Ok")->click();
  });
  EXPECT_EQ(Send(5), 1);
  EXPECT_EQ(FieldText(NewsList().Item(5).Title), "Edited elsewhere");
  EXPECT_EQ(definitionEditor().PreselectIndex, -1);
  EXPECT_EQ(Send(10), 0);  // no such definition: nothing opens
}

TEST_F(EditorMessage, AnotherProgramGetsTheAnswerWhenTheEditorCloses) {
  WhenEditorShows([](TNewsEditForm& form) {
    EXPECT_EQ(form.SelectedRows(), std::vector<int>{2});
    Child<QCheckBox>(&form, "Patrol")->click();
    Child<QPushButton>(&form, "Ok")->click();
  });
  auto answer = std::async(std::launch::async, [h = window->Handle()] {
    return platform::SendToRunningCopy(platform::RuntimeFolder(), h, UM_EDITDEFINITION, 2, 0, {});
  });
  while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
    QCoreApplication::processEvents();
  EXPECT_EQ(answer.get(), std::optional<platform::LResult>(1));
  EXPECT_EQ(NewsList().Item(2).Patrol, 0);
}

}  // namespace
}  // namespace lumetra
