// Fake message boxes, window lookup and posting.
#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/ui.h"

namespace platform {
namespace {

using fake::World;

int ShowBox(fake::MessageBoxRecord record) {
  const bool question = (record.style & 0xF) == kMbYesNo;
  if (fake::Faulted(record.extended ? "MessageBoxEx" : "MessageBox", fake::kFaultError,
                    (question ? "question: " : "message: ") + record.text)) {
    return 0;  // the box could not be shown
  }
  World().boxes.push_back(record);
  if (World().on_box)
    World().on_box(record);
  if (!World().box_answers.empty() && (question || !World().answer_questions_only)) {
    int answer = World().box_answers.front();
    World().box_answers.pop_front();
    return answer;
  }
  return question ? kIdNo : kIdOk;
}

}  // namespace

int MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
  return ShowBox({text, caption, style, 0, false});
}

int MessageBoxEx(const std::string& text,
                 const std::string& caption,
                 uint32_t style,
                 uint16_t language) {
  return ShowBox({text, caption, style, language, true});
}

WindowHandle FindWindow(const std::string& class_name) {
  if (fake::Faulted("FindWindow", fake::kFaultError, class_name))
    return nullptr;
  auto it = World().windows.find(class_name);
  return it == World().windows.end() ? nullptr : it->second;
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (fake::Faulted("PostMessage", fake::kFaultsOfCalls))
    return false;
  bool exists = false;
  for (const auto& [name, known] : World().windows)
    exists = exists || known == window;
  if (!exists)
    return fake::Fail(1400);  // ERROR_INVALID_WINDOW_HANDLE: no such window (any more)
  World().posts.push_back({window, message, wparam, lparam});
  return true;
}

}  // namespace platform
