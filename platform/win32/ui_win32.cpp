// Message boxes, window lookup and posting over user32's ANSI functions, which
// are loaded on first use.
#include "platform/ui.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_api.h"

namespace platform {
namespace {

constexpr char kUser32[] = "user32.dll";

}  // namespace

int MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
  static auto message_box =
      LoadSystemFunction<int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT)>(kUser32, "MessageBoxA");
  return message_box ? message_box(nullptr, text.c_str(), caption.c_str(), style) : 0;
}

int MessageBoxEx(const std::string& text,
                 const std::string& caption,
                 uint32_t style,
                 uint16_t language) {
  static auto message_box_ex =
      LoadSystemFunction<int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT, WORD)>(kUser32, "MessageBoxExA");
  return message_box_ex ? message_box_ex(nullptr, text.c_str(), caption.c_str(), style, language)
                        : 0;
}

WindowHandle FindWindow(const std::string& class_name) {
  static auto find_window =
      LoadSystemFunction<HWND(WINAPI*)(LPCSTR, LPCSTR)>(kUser32, "FindWindowA");
  return find_window ? find_window(class_name.c_str(), nullptr) : nullptr;
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  static auto post_message =
      LoadSystemFunction<BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>(kUser32, "PostMessageA");
  return post_message &&
         post_message(static_cast<HWND>(window), message, static_cast<WPARAM>(wparam),
                      static_cast<LPARAM>(lparam)) != FALSE;
}

}  // namespace platform
