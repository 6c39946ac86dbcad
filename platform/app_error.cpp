#include "platform/app_error.h"

namespace platform {

AppError::AppError(const char* class_name, const std::string& message, const void* address)
    : message_(message), class_name_(class_name), address_(address) {}

}  // namespace platform
