// Scripted answers to message boxes and modal dialogs for tests that run
// the real windows.
#pragma once
#include <deque>
#include <functional>
#include <vector>

#include "client/platform/ui.h"

namespace testsupport {

// While alive, answers every message box and modal dialog: each takes the
// next queued action; with none queued, a message box gets OK and a dialog
// is cancelled. Everything shown is recorded.
class ModalScript {
 public:
  using Action = std::function<void(const platform::ModalInfo&)>;

  ModalScript();
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  // Presses this button (IDOK, IDYES, IDNO, or a dialog's control id).
  void Answer(int button);
  // Runs any action on the next modal window.
  void Then(Action action);

  const std::vector<platform::ModalInfo>& Shown() const { return shown_; }
  // The message boxes shown, without the dialogs.
  std::vector<platform::ModalInfo> MessageBoxes() const;

 private:
  void OnModal(const platform::ModalInfo& info);

  std::deque<Action> actions_;
  std::vector<platform::ModalInfo> shown_;
};

}  // namespace testsupport
