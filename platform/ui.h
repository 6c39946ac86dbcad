// Message boxes, window lookup and posting. No box has an owner window.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbTaskModal = 0x2000;
constexpr uint32_t kMbTopMost = 0x40000;
constexpr uint32_t kMbServiceNotification = 0x200000;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// MessageBoxA(NULL, text, caption, style).
int MessageBox(const std::string& text, const std::string& caption, uint32_t style);
// MessageBoxExA(NULL, text, caption, style, language).
int MessageBoxEx(const std::string& text,
                 const std::string& caption,
                 uint32_t style,
                 uint16_t language);

using WindowHandle = void*;
constexpr uint32_t kWmQuit = 0x12;

// FindWindowA(class_name, NULL): a top-level window of that class, any title.
WindowHandle FindWindow(const std::string& class_name);
// PostMessageA.
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);

}  // namespace platform
