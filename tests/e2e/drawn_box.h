// A message box of another process as a real display shows it, read while the
// box waits for an answer: pictures of the whole box and of its text, and
// which system icon it shows. Needs Wine's X11 driver (or Windows); under the null driver nothing
// is drawn.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/screen_picture.h"

namespace velt::e2e {

struct DrawnBox {
  Picture window;           // the whole box, frame and caption included
  Picture text;             // the area of its text
  uint32_t background = 0;  // the commonest colour of the text area
  int text_ink = 0;         // pixels of the text area that stand out from it
  // The system icon that the icon area shows ("question", "error", "warning",
  // "information"), or empty when it matches none of them.
  std::string icon;
  int icon_mismatch = -1;  // pixels of the icon area unlike that icon's own drawing
};

// Reads `box` once it is drawn: its text area holds ink and two reads 100 ms
// apart agree. False when that does not happen within `timeout_ms`.
bool ReadDrawnBox(HWND box, DWORD timeout_ms, DrawnBox* drawn);

// Shows a message box of this process with `style` (in a thread of its own),
// calls `examine` with it once it is visible, then closes it. False when the
// box never showed.
bool WithOwnBox(UINT style, void (*examine)(HWND box, void* context), void* context);

// Whether a window of this process reaches the screen within 5 s; false (with
// the reason in `*why`) when the display cannot show windows.
bool DisplayShowsWindows(std::string* why);

}  // namespace velt::e2e
