#pragma once
// What the main window reads from, and asks of, the windows and lists that
// other subsystems own. Each subsystem plugs in its own implementation when
// it exists; until then its slot holds one that answers "no" or "none" and
// does nothing, and the tray menu shows that subsystem's entries disabled.
#include <memory>
#include <optional>
#include <string>

#include "platform/message_port.h"

namespace lumetra {

// The mail window and the mail check.
class MailPort {
 public:
  virtual ~MailPort() = default;
  virtual bool Available() const = 0;  // the mail window can be made
  virtual bool WindowExists() const = 0;
  virtual bool WindowVisible() const = 0;
  virtual bool CheckRunning() const = 0;
  virtual bool CheckStartedByUser() const = 0;
  virtual bool WindowsPopUp() const = 0;  // the mail or list windows are popping up
  // A mail record that is not hidden and whose new-state is 3 or 4.
  virtual bool AnyUnreadNewMail() const = 0;
  // The account being checked: its display name and its server.
  virtual std::string CheckingAccountName() const = 0;
  virtual std::string CheckingAccountServer() const = 0;
  virtual void ShowNewMails() = 0;
  virtual void ShowMailList() = 0;
  virtual void StartCheck() = 0;  // nothing while a check runs
  virtual void OpenSpamList(bool exceptions) = 0;
};

// The bars and the page-check window.
class NewsPort {
 public:
  virtual ~NewsPort() = default;
  virtual bool Available() const = 0;  // bars can be made
  virtual bool PageCheckExists() const = 0;
  virtual bool Bar0FetchTimerEnabled() const = 0;
  // The name of the definition while one alone is being checked.
  virtual std::optional<std::string> SingleCheckDefinition() const = 0;
  virtual platform::WindowHandle Bar(int number) const = 0;  // 0 when bar `number` does not exist
  // Creates the page-check window if needed, then brings bar `number` to
  // the front, or creates it from its slot in the bar table.
  virtual void OpenBar(int number) = 0;
  // The bar's colour-set slot was changed (menu choice, import): an open bar
  // shows it at once.
  virtual void ReapplyColourSet(int /*number*/) {}
  virtual void ToggleBarsOffScreen() = 0;  // hide every bar off screen, or bring them back
  virtual void SetBarsEnabled(bool enabled) = 0;
  virtual void StartBar0BrowserPause() = 0;
  virtual platform::WindowHandle CompanionViewerWindow() const = 0;  // remembered by the first bar
};

// The news definition and colour-set lists.
class ListsPort {
 public:
  virtual ~ListsPort() = default;
  virtual int DefinitionCount() const = 0;
  virtual bool IsBoardDefinition(int index) const = 0;
  virtual int ColourSetCount() const = 0;
  virtual std::string ColourSetName(int index) const = 0;
};

// The found-address list of the keyword watch.
class FoundListPort {
 public:
  virtual ~FoundListPort() = default;
  virtual platform::WindowHandle Window() const = 0;  // 0 when it does not exist
  virtual bool Visible() const = 0;
};

// The dial-up monitor ("アクセスモニター").
class DialUpPort {
 public:
  virtual ~DialUpPort() = default;
  virtual bool Available() const = 0;
  virtual platform::WindowHandle Window() const = 0;  // 0 when it does not exist
  virtual bool Visible() const = 0;
  virtual int StackingMode() const = 0;
  // Creates it if needed; raises it without activation when visible, else shows it.
  virtual void ShowMonitor() = 0;
  virtual void RaiseAndBack() = 0;  // to the top and back, without activation
  virtual void SetEnabled(bool enabled) = 0;
};

// The dialogs the main window opens.
class DialogsPort {
 public:
  virtual ~DialogsPort() = default;
  virtual bool AboutAvailable() const = 0;
  virtual void ShowAbout() = 0;  // creates the box if needed
  virtual bool OptionsAvailable() const = 0;
  virtual bool OptionsOpen() const = 0;
  virtual void FocusOptions() = 0;
  virtual void OpenOptions(int bar) = 0;  // creates and shows the dialog for that bar
  virtual bool DefinitionEditorOpen() const = 0;
  // Opens the definition editor on one definition; true when it reports a change.
  // false, opening nothing, when there is no editor.
  virtual bool EditDefinition(int index) = 0;
  virtual void OpenColourEditor(int bar) = 0;  // brings it forward when open
  virtual bool ColourEditorAvailable() const { return false; }
};

// Clock synchronisation through its helper program.
class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual bool Available() const = 0;  // the helper is there and can be run
  virtual void Synchronise() = 0;
};

// One slot per subsystem, each starting with the implementation that answers "no".
struct SubsystemPorts {
  SubsystemPorts();
  ~SubsystemPorts();
  std::unique_ptr<MailPort> mail;
  std::unique_ptr<NewsPort> news;
  std::unique_ptr<ListsPort> lists;
  std::unique_ptr<FoundListPort> foundList;
  std::unique_ptr<DialUpPort> dialUp;
  std::unique_ptr<DialogsPort> dialogs;
  std::unique_ptr<ClockPort> clock;
};

}  // namespace lumetra
