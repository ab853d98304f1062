#include "app/subsystem_ports.h"

namespace lumetra {
namespace {

class NoMailWindow final : public MailPort {
 public:
  bool Available() const override { return false; }
  bool WindowExists() const override { return false; }
  bool WindowVisible() const override { return false; }
  bool CheckRunning() const override { return false; }
  bool CheckStartedByUser() const override { return false; }
  bool WindowsPopUp() const override { return false; }
  bool AnyUnreadNewMail() const override { return false; }
  std::string CheckingAccountName() const override { return {}; }
  std::string CheckingAccountServer() const override { return {}; }
  void ShowNewMails() override {}
  void ShowMailList() override {}
  void StartCheck() override {}
  void OpenSpamList(bool) override {}
};

class NoBars final : public NewsPort {
 public:
  bool Available() const override { return false; }
  bool PageCheckExists() const override { return false; }
  bool Bar0FetchTimerEnabled() const override { return false; }
  std::optional<std::string> SingleCheckDefinition() const override { return std::nullopt; }
  platform::WindowHandle Bar(int) const override { return 0; }
  void OpenBar(int) override {}
  void ToggleBarsOffScreen() override {}
  void SetBarsEnabled(bool) override {}
  void StartBar0BrowserPause() override {}
  platform::WindowHandle CompanionViewerWindow() const override { return 0; }
};

class NoLists final : public ListsPort {
 public:
  int DefinitionCount() const override { return 0; }
  bool IsBoardDefinition(int) const override { return false; }
  int ColourSetCount() const override { return 0; }
  std::string ColourSetName(int) const override { return {}; }
};

class NoFoundList final : public FoundListPort {
 public:
  platform::WindowHandle Window() const override { return 0; }
  bool Visible() const override { return false; }
};

class NoDialUpMonitor final : public DialUpPort {
 public:
  bool Available() const override { return false; }
  platform::WindowHandle Window() const override { return 0; }
  bool Visible() const override { return false; }
  int StackingMode() const override { return 0; }
  void ShowMonitor() override {}
  void RaiseAndBack() override {}
  void SetEnabled(bool) override {}
};

class NoDialogs final : public DialogsPort {
 public:
  bool AboutAvailable() const override { return false; }
  void ShowAbout() override {}
  bool OptionsAvailable() const override { return false; }
  bool OptionsOpen() const override { return false; }
  void FocusOptions() override {}
  void OpenOptions(int) override {}
  bool DefinitionEditorOpen() const override { return false; }
  bool EditDefinition(int) override { return false; }
  void OpenColourEditor(int) override {}
};

class NoClockHelper final : public ClockPort {
 public:
  bool Available() const override { return false; }
  void Synchronise() override {}
};

}  // namespace

SubsystemPorts::SubsystemPorts()
    : mail(std::make_unique<NoMailWindow>()),
      news(std::make_unique<NoBars>()),
      lists(std::make_unique<NoLists>()),
      foundList(std::make_unique<NoFoundList>()),
      dialUp(std::make_unique<NoDialUpMonitor>()),
      dialogs(std::make_unique<NoDialogs>()),
      clock(std::make_unique<NoClockHelper>()) {}

SubsystemPorts::~SubsystemPorts() = default;

}  // namespace lumetra
