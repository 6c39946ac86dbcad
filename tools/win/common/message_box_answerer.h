// Reads and answers the message boxes of another process, the way a user would:
// finds its visible top-level dialogs of class "#32770", reads caption, text,
// buttons, icon and topmost flag, and presses a scripted button. Header-only so
// that the end-to-end tests and tools/win/box-answerer share it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velt::e2e {

// One message box as seen from outside its process.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // ids of the shown push buttons (IDOK, IDYES, IDNO...), in z-order
  std::vector<std::wstring> button_texts;
  bool has_icon = false;  // an icon is shown next to the text
  bool topmost = false;   // WS_EX_TOPMOST
  int pressed = 0;        // the button the answerer pressed
  bool scripted = true;   // false when no scripted answer fitted and a fallback was pressed
  HWND window = nullptr;  // the box; valid only while it is shown (in BeforePress hooks)
};

// `text` in code page `code_page` (1251: Windows Cyrillic, CP_UTF8...).
inline std::string ToCodePage(const std::wstring& text, UINT code_page) {
  if (text.empty())
    return std::string();
  int size = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string result(size, '\0');
  WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                      nullptr, nullptr);
  return result;
}
inline std::string ToUtf8(const std::wstring& text) {
  return ToCodePage(text, CP_UTF8);
}

class MessageBoxAnswerer {
 public:
  // `answers`: the buttons to press (IDYES, IDNO, IDOK...), one per box, in order.
  MessageBoxAnswerer(DWORD process_id, std::vector<int> answers)
      : process_id_(process_id), answers_(std::move(answers)) {}

  // Looks once for a shown box of the process. When one is there: records it,
  // presses the next scripted button (or, when the script is used up or the box
  // lacks that button, IDNO, IDCANCEL or IDOK, whichever it has first), waits up
  // to 3 s for the box to close, and returns true.
  bool AnswerPending() {
    HWND box = FindShownBox();
    if (box == nullptr)
      return false;
    SeenBox seen = ReadBox(box);
    if (before_press_)
      before_press_(boxes_.size(), seen);
    int wanted = next_answer_ < answers_.size() ? answers_[next_answer_] : 0;
    ++next_answer_;
    seen.scripted = HasButton(seen, wanted);
    seen.pressed = seen.scripted ? wanted : FallbackButton(seen);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(seen.pressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, seen.pressed)));
    for (int waited = 0; IsWindow(box) && waited < 3000; waited += 10)
      Sleep(10);
    boxes_.push_back(seen);
    return true;
  }

  const std::vector<SeenBox>& boxes() const { return boxes_; }

  // Called with each box's index and contents while it is shown, before its
  // button is pressed (e.g. to change the machine while a question waits).
  void BeforePress(std::function<void(size_t, const SeenBox&)> hook) {
    before_press_ = std::move(hook);
  }

  // Reads a box without answering it.
  static SeenBox ReadBox(HWND box) {
    SeenBox seen;
    seen.window = box;
    seen.caption = WindowText(box);
    seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      LONG style = GetWindowLongW(child, GWL_STYLE);
      if (!(style & WS_VISIBLE))
        continue;
      std::wstring kind = ClassName(child);
      if (lstrcmpiW(kind.c_str(), L"Button") == 0) {
        seen.buttons.push_back(GetDlgCtrlID(child));
        seen.button_texts.push_back(WindowText(child));
      } else if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
          seen.has_icon = true;
        } else if (seen.text.empty()) {
          seen.text = WindowText(child);
        }
      }
    }
    return seen;
  }

 private:
  static std::wstring WindowText(HWND window) {
    wchar_t buffer[4096] = {};
    int length = GetWindowTextW(window, buffer, 4096);
    return std::wstring(buffer, length > 0 ? length : 0);
  }
  static std::wstring ClassName(HWND window) {
    wchar_t buffer[64] = {};
    int length = GetClassNameW(window, buffer, 64);
    return std::wstring(buffer, length > 0 ? length : 0);
  }
  static bool HasButton(const SeenBox& seen, int id) {
    for (int button : seen.buttons)
      if (button == id)
        return true;
    return false;
  }
  static int FallbackButton(const SeenBox& seen) {
    for (int id : {IDNO, IDCANCEL, IDOK})
      if (HasButton(seen, id))
        return id;
    return IDCANCEL;
  }

  struct Search {
    DWORD process_id;
    HWND found;
  };
  static BOOL CALLBACK MatchBox(HWND window, LPARAM context) {
    Search* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window))
      return TRUE;
    if (ClassName(window) != L"#32770")
      return TRUE;
    search->found = window;
    return FALSE;
  }
  HWND FindShownBox() const {
    Search search{process_id_, nullptr};
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  DWORD process_id_;
  std::vector<int> answers_;
  size_t next_answer_ = 0;
  std::vector<SeenBox> boxes_;
  std::function<void(size_t, const SeenBox&)> before_press_;
};

}  // namespace velt::e2e
