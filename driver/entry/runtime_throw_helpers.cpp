// The C++ runtime's throw helpers, defined for the product so that it does not
// link libstdc++'s own: those build std::logic_error and its kin on a second,
// reference-counted string implementation (about 45 KB of the executable).
// Each helper throws an error that the top-level report shows with the
// runtime's message; allocation failures stay std::bad_alloc. Should the
// product ever need a helper missing here, libstdc++'s whole set is linked and
// the link fails on the duplicates, so none can silently go missing.
#include <exception>
#include <new>

namespace {

class RuntimeLibraryError : public std::exception {
 public:
  // `message` is one of the runtime's string literals.
  explicit RuntimeLibraryError(const char* message) : message_(message) {}
  const char* what() const noexcept override { return message_; }

 private:
  const char* message_;
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

// The format's numbers are left out: the text still names the operation.
void __throw_out_of_range_fmt(const char* format, ...) {
  throw RuntimeLibraryError(format);
}

void __throw_invalid_argument(const char* message) {
  throw RuntimeLibraryError(message);
}

}  // namespace std
