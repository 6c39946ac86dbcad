#include "tests/e2e/drawn_box.h"

#include <map>
#include <string>

namespace velt::e2e {

namespace {

constexpr uint32_t kProbeColour = 0xFF00FF;

// The child of `box` that is a static control showing an icon (`want_icon`)
// or text; null when there is none.
HWND StaticChild(HWND box, bool want_icon) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    char kind[16] = {};
    GetClassNameA(child, kind, sizeof(kind));
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(kind, "Static") != 0 || !(style & WS_VISIBLE))
      continue;
    if (((style & SS_TYPEMASK) == SS_ICON) == want_icon)
      return child;
  }
  return nullptr;
}

uint32_t CommonestColour(const Picture& picture) {
  std::map<uint32_t, int> counts;
  uint32_t best = 0;
  int best_count = 0;
  for (uint32_t pixel : picture.pixels) {
    if (++counts[pixel] > best_count) {
      best_count = counts[pixel];
      best = pixel;
    }
  }
  return best;
}

// Which system icon `area` shows over `background`, and how many pixels differ.
void MatchIcon(const Picture& area, uint32_t background, DrawnBox* drawn) {
  static const struct {
    const char* name;
    LPCSTR id;
  } kIcons[] = {{"question", IDI_QUESTION},
                {"error", IDI_HAND},
                {"warning", IDI_EXCLAMATION},
                {"information", IDI_ASTERISK}};
  int best = -1;
  int second = -1;
  for (const auto& candidate : kIcons) {
    const Picture drawn_here =
        DrawnIcon(LoadIconA(nullptr, candidate.id), area.width, area.height, background);
    const int differences = CountDifferences(area, drawn_here);
    if (differences < 0)
      continue;
    if (best < 0 || differences < best) {
      second = best;
      best = differences;
      drawn->icon = candidate.name;
    } else if (second < 0 || differences < second) {
      second = differences;
    }
  }
  drawn->icon_mismatch = best;
  // A match is nearly exact and clearly better than the next icon.
  const int pixels = area.width * area.height;
  if (best < 0 || best * 20 > pixels || (second >= 0 && best * 4 > second))
    drawn->icon.clear();
}

void PumpMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

// A window of this process at `area`, filled with kProbeColour.
class ProbeWindow {
 public:
  explicit ProbeWindow(const RECT& area) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hbrBackground = CreateSolidBrush(RGB(0xFF, 0x00, 0xFF));
    window_class.lpszClassName = "VeltTestProbe";
    RegisterClassA(&window_class);  // fails harmlessly when already registered
    window_ = CreateWindowExA(0, "VeltTestProbe", "probe", WS_POPUP, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                              window_class.hInstance, nullptr);
    if (window_ == nullptr)
      return;
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
  }
  ~ProbeWindow() {
    if (window_ != nullptr)
      DestroyWindow(window_);
    PumpMessages(50);
  }
  bool ok() const { return window_ != nullptr; }

 private:
  HWND window_ = nullptr;
};

struct OwnBox {
  UINT style;
  char caption[64];
};

DWORD WINAPI ShowOwnBox(LPVOID parameter) {
  const OwnBox* box = static_cast<const OwnBox*>(parameter);
  MessageBoxA(nullptr, "A box of the test itself.", box->caption, box->style);
  return 0;
}

}  // namespace

bool WithOwnBox(UINT style, void (*examine)(HWND box, void* context), void* context) {
  OwnBox box = {style, {}};
  wsprintfA(box.caption, "velt test box %lu", GetCurrentProcessId());
  HANDLE thread = CreateThread(nullptr, 0, ShowOwnBox, &box, 0, nullptr);
  if (thread == nullptr)
    return false;
  HWND shown = nullptr;
  for (int waited = 0; shown == nullptr && waited < 5000; waited += 20) {
    Sleep(20);
    shown = FindWindowA("#32770", box.caption);
    if (shown != nullptr && !IsWindowVisible(shown))
      shown = nullptr;
  }
  if (shown != nullptr)
    examine(shown, context);
  for (int id : {IDNO, IDCANCEL, IDOK})
    PostMessageA(shown != nullptr ? shown : FindWindowA("#32770", box.caption), WM_COMMAND,
                 MAKEWPARAM(id, BN_CLICKED), 0);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  return shown != nullptr;
}

bool ReadDrawnBox(HWND box, DWORD timeout_ms, DrawnBox* drawn) {
  HWND text = StaticChild(box, false);
  HWND icon = StaticChild(box, true);
  RECT window_rect, text_rect, icon_rect = {};
  if (text == nullptr || !GetWindowRect(box, &window_rect) || !GetWindowRect(text, &text_rect))
    return false;
  if (icon != nullptr)
    GetWindowRect(icon, &icon_rect);
  const RECT text_part = {text_rect.left - window_rect.left, text_rect.top - window_rect.top,
                          text_rect.right - window_rect.left, text_rect.bottom - window_rect.top};
  Picture previous;
  for (DWORD waited = 0; waited < timeout_ms; waited += 100) {
    Sleep(100);
    const Picture now = CaptureScreen(window_rect);
    if (now.empty())
      continue;
    const Picture text_area = now.Part(text_part);
    const uint32_t background = CommonestColour(text_area);
    if (CountInk(text_area, background) == 0 || CountDifferences(now, previous) != 0) {
      previous = now;
      continue;
    }
    drawn->window = now;
    drawn->text = text_area;
    drawn->background = background;
    drawn->text_ink = CountInk(text_area, background);
    drawn->icon.clear();
    if (icon != nullptr)
      MatchIcon(CaptureScreen(icon_rect), background, drawn);
    return true;
  }
  return false;
}

bool DisplayShowsWindows(std::string* why) {
  const RECT area = {100, 100, 164, 164};
  ProbeWindow probe(area);
  if (!probe.ok()) {
    *why = "cannot create a window (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  const int pixels = (area.right - area.left) * (area.bottom - area.top);
  for (DWORD waited = 0; waited < 5000; waited += 100) {
    PumpMessages(100);
    if (CountColour(CaptureScreen(area), kProbeColour) == pixels)
      return true;
  }
  *why = "a window of this program never reached the screen";
  return false;
}

}  // namespace velt::e2e
