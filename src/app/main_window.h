#pragma once
// TChirpels: the hidden main window. It is never shown; it owns the tray icon,
// creates every other window, and runs the start-up and the shutdown in their
// fixed order.
#include <QWidget>
#include <memory>
#include <string>

#include "app/start_arguments.h"
#include "app/subsystem_ports.h"
#include "platform/handoff_channel.h"
#include "platform/message_port.h"

namespace lumetra {

class BarInteraction;
class ShellHub;
class THttpCheck;

class TChirpels : public QWidget {
 public:
  struct StartOptions {
    std::string dataFolderOverride;  // --data-dir
    std::vector<std::string> arguments;
  };

  explicit TChirpels(StartOptions options);
  ~TChirpels() override;

  platform::WindowHandle Handle() const { return port_->Handle(); }
  StartArgumentSender& Arguments() { return *sender_; }

  // Synchronous start-up (run by the constructor).
  void FormCreate();
  // The window may close only once QuitAllowed is set.
  bool FormCloseQuery() const;
  // The shutdown sequence; runs once.
  void FormClose();
  // The tray's "終了する": ignored until the page-check window exists.
  void RequestExit();
  // SIGTERM and friends: as the end of the desktop session.
  void EndSession();

  platform::LResult WndProc(uint32_t msg, platform::WParam wParam, platform::LParam lParam);

  // The windows of the other subsystems as the main window sees them, and the
  // tray icon, hot keys and message hub (shell_hub.h).
  SubsystemPorts& Ports() { return *ports_; }
  ShellHub& Shell() { return *shell_; }
  // The page-check window; null until the deferred start-up made it.
  THttpCheck* PageCheck() const { return pageCheck_.get(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnStartup();   // UM_STARTUP
  void OnHandoff();   // UM_HANDOFF
  void OnCopyData(const platform::CopyData* data);
  void OpenHandedAddress(const std::string& address);
  void WriteHandleFile();
  void CleanTemporaryFiles();
  void RegisterFileTypes();
  void StartCompanionHidden();
  void CloseCompanion();
  void CreatePageCheck();

  StartOptions options_;
  std::unique_ptr<platform::MessagePort> port_;
  std::unique_ptr<platform::HandoffServer> handoff_;
  std::unique_ptr<StartArgumentSender> sender_;
  std::unique_ptr<SubsystemPorts> ports_;
  std::unique_ptr<ShellHub> shell_;  // after ports_: it uses them until it goes
  std::unique_ptr<THttpCheck> pageCheck_;
  bool pageCheckCreated_ = false;  // the deferred start-up has reached the bars
  bool closed_ = false;
  std::unique_ptr<BarInteraction> barInteraction_;
};

}  // namespace lumetra
