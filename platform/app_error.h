// The base of the errors that may end the program through the top-level error
// report. ClassName() is the name shown in that report.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class AppError : public std::runtime_error {
 public:
  // `address` is where the error was raised, shown in the report; may be null.
  AppError(const char* class_name, const std::string& message, const void* address);
  const char* ClassName() const { return class_name_; }
  const void* Address() const { return address_; }

 private:
  const char* class_name_;
  const void* address_;
};

}  // namespace platform
