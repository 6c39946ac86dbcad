// The one member of std::string that libstdc++ 13 and later declare as
// instantiated in the library also for C++20 (an explicit instantiation
// declaration in <bits/basic_string.tcc>). A reference to it would link the
// library's whole string-inst.o: every member of std::string and std::wstring,
// kept with their unwind tables (28,952 bytes with GCC 14). Instantiated here,
// it takes only its own code, as every other member the product uses does.
// Before 13 the member is instantiated where it is used, as the rest.
#include <string>

#if defined(__GLIBCXX__) && __GNUC__ >= 13 && _GLIBCXX_USE_CXX11_ABI
template void std::string::_M_replace_cold(char*,
                                           size_type,
                                           const char*,
                                           const size_type,
                                           const size_type);
#endif
