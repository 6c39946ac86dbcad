// The report of an error that nothing else caught.
#pragma once

#include <string>

namespace velt {

// "Exception <class> in module <module> at <address>.\r\n<message><punctuation>\r\n",
// where the punctuation is "." unless the message is empty or its last
// character sorts at or below "." (so "...", "!" and "?" end it as they are).
std::string FormatTopLevelError(const std::string& class_name,
                                const std::string& module_name,
                                const void* address,
                                const std::string& message);

// Shows the report in a task-modal error box captioned "Application Error".
void ShowTopLevelError(const std::string& class_name,
                       const void* address,
                       const std::string& message);

}  // namespace velt
