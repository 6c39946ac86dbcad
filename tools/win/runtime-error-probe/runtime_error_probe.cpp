// Provokes the C++ runtime's errors in a program linked, as the product is,
// with the product's own throw helpers (driver/entry/runtime_throw_helpers.cpp),
// and writes each error's message as one line of the file named by its
// argument. Exit code 0 when every provoked error was caught, 1 otherwise, 2
// on a usage or file error.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

int caught = 0;

template <typename Action>
void Provoke(std::FILE* out, Action provoke) {
  try {
    provoke();
    std::fputs("(nothing thrown)\n", out);
  } catch (const std::exception& error) {
    std::fprintf(out, "%s\n", error.what());
    ++caught;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr)
    return 2;
  const std::string text = "abc";
  // Volatile sizes, so that no call is decided at compile time.
  volatile std::size_t position = 10, index = 7, element = 5, too_long = text.max_size() + 1;
  const std::vector<int> numbers(2);
  Provoke(out, [&] { (void)text.substr(position); });
  Provoke(out, [&] { (void)text.at(index); });
  Provoke(out, [&] { (void)numbers.at(element); });
  Provoke(out, [&] {
    std::string grown;
    grown.reserve(too_long);
  });
  std::fclose(out);
  return caught == 4 ? 0 : 1;
}
