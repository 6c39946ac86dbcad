// The base of the errors that may end the program through the top-level error
// report. ClassName() is the name shown in that report.
#pragma once

#include <exception>
#include <string>

namespace platform {

// Derives from std::exception itself (not std::runtime_error, whose message
// string would link a second string implementation into the product).
class AppError : public std::exception {
 public:
  // `address` is where the error was raised, shown in the report; may be null.
  AppError(const char* class_name, const std::string& message, const void* address);
  const char* what() const noexcept override { return message_.c_str(); }
  const char* ClassName() const { return class_name_; }
  const void* Address() const { return address_; }

 private:
  std::string message_;
  const char* class_name_;
  const void* address_;
};

}  // namespace platform
