// Every error box of the program goes through here: its text goes to the run
// log, and the box is shown unless the run is silent ("modest" first) and the
// command line says "/SUPPRESSMSGBOXES". Questions never come here.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// Whether error boxes are left out: "/SUPPRESSMSGBOXES" with "modest" first.
bool ErrorBoxesSuppressed();

// MessageBoxExA with `language` when `extended`, else MessageBoxA; no owner
// window. Returns the box's answer, or IDOK when the box is left out.
int ShowErrorBox(const std::string& text,
                 const std::string& caption,
                 uint32_t style,
                 bool extended,
                 uint16_t language);

}  // namespace velt
