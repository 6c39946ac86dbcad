// Message boxes, window lookup and posting over user32's ANSI functions.
#include "platform/ui.h"
#include "platform/win32/win32_api.h"

namespace platform {

int MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
  return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

int MessageBoxEx(const std::string& text,
                 const std::string& caption,
                 uint32_t style,
                 uint16_t language) {
  return ::MessageBoxExA(nullptr, text.c_str(), caption.c_str(), style, language);
}

WindowHandle FindWindow(const std::string& class_name) {
  return ::FindWindowA(class_name.c_str(), nullptr);
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return ::PostMessageA(static_cast<HWND>(window), message, static_cast<WPARAM>(wparam),
                        static_cast<LPARAM>(lparam)) != FALSE;
}

}  // namespace platform
