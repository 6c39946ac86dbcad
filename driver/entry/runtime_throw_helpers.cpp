// The C++ runtime's throw helpers, defined for the product so that it does not
// link libstdc++'s own: those build std::logic_error and its kin on a second,
// reference-counted string implementation (about 45 KB of the executable).
// Each helper throws an error that the top-level report shows with the
// runtime's message, its numbers filled in; allocation failures stay
// std::bad_alloc. Should the product ever need a helper missing here,
// libstdc++'s whole set is linked and the link fails on the duplicates, so
// none can silently go missing.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>

namespace {

// The message of one runtime error, kept in the error itself.
class RuntimeLibraryError : public std::exception {
 public:
  // `message` as it stands.
  explicit RuntimeLibraryError(const char* message) { Append(message, nullptr); }
  // `format` with its conversions filled from `arguments`: %s, and %d, %i and
  // %u with or without z or l (%zu, %lu), and %%. At another conversion the
  // rest of the format is kept as it stands.
  RuntimeLibraryError(const char* format, va_list arguments) { Append(format, &arguments); }

  const char* what() const noexcept override { return text_; }

 private:
  void Put(char c) {
    if (length_ + 1 < sizeof(text_))
      text_[length_++] = c;
    text_[length_] = '\0';
  }
  void PutText(const char* text) {
    for (; text != nullptr && *text != '\0'; ++text)
      Put(*text);
  }
  void PutNumber(unsigned long long value, bool negative) {
    char digits[20];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    if (negative)
      Put('-');
    while (count > 0)
      Put(digits[--count]);
  }
  void PutSigned(long long value) {
    const bool negative = value < 0;
    PutNumber(negative ? 0ull - static_cast<unsigned long long>(value) : value, negative);
  }

  // Appends `format`, filling its conversions from `*arguments` when given.
  void Append(const char* format, va_list* arguments) {
    const char* p = format;
    while (p != nullptr && *p != '\0') {
      if (*p != '%' || arguments == nullptr) {
        Put(*p++);
        continue;
      }
      const char* conversion = p++;
      char size = '\0';
      if (*p == 'z' || *p == 'l')
        size = *p++;
      switch (*p) {
        case '%':
          Put('%');
          break;
        case 's':
          PutText(va_arg(*arguments, const char*));
          break;
        case 'd':
        case 'i':
          if (size == 'z')
            PutSigned(static_cast<std::ptrdiff_t>(va_arg(*arguments, std::size_t)));
          else if (size == 'l')
            PutSigned(va_arg(*arguments, long));
          else
            PutSigned(va_arg(*arguments, int));
          break;
        case 'u':
          if (size == 'z')
            PutNumber(va_arg(*arguments, std::size_t), false);
          else if (size == 'l')
            PutNumber(va_arg(*arguments, unsigned long), false);
          else
            PutNumber(va_arg(*arguments, unsigned), false);
          break;
        default:
          PutText(conversion);  // the arguments' sizes are unknown from here on
          return;
      }
      ++p;
    }
  }

  char text_[256] = {};
  std::size_t length_ = 0;
};

}  // namespace

namespace std {

void __throw_bad_alloc() {
  throw bad_alloc();
}

void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}

void __throw_logic_error(const char* message) {
  throw RuntimeLibraryError(message);
}

void __throw_length_error(const char* message) {
  throw RuntimeLibraryError(message);
}

void __throw_out_of_range(const char* message) {
  throw RuntimeLibraryError(message);
}

void __throw_out_of_range_fmt(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  RuntimeLibraryError error(format, arguments);
  va_end(arguments);
  throw error;
}

void __throw_invalid_argument(const char* message) {
  throw RuntimeLibraryError(message);
}

}  // namespace std
