#include "tests/support/modal_script.h"

namespace testsupport {

ModalScript::ModalScript() {
  platform::SetModalAnswerer([this](const platform::ModalInfo& info) { OnModal(info); });
}

ModalScript::~ModalScript() { platform::SetModalAnswerer(nullptr); }

void ModalScript::Answer(int button) {
  actions_.push_back([button](const platform::ModalInfo& info) { platform::ClickButton(info.window, button); });
}

void ModalScript::Then(Action action) { actions_.push_back(std::move(action)); }

std::vector<platform::ModalInfo> ModalScript::MessageBoxes() const {
  std::vector<platform::ModalInfo> boxes;
  for (const auto& info : shown_) {
    if (info.is_message_box) boxes.push_back(info);
  }
  return boxes;
}

void ModalScript::OnModal(const platform::ModalInfo& info) {
  shown_.push_back(info);
  if (actions_.empty()) {
    platform::ClickButton(info.window, info.is_message_box ? platform::IDOK : platform::IDCANCEL);
    return;
  }
  Action action = std::move(actions_.front());
  actions_.pop_front();
  action(info);
}

}  // namespace testsupport
