// The errors the C++ library throws when it is misused (an index past the end of a string, a
// vector grown beyond its maximum size), raised without its exception classes.
//
// GNU's library builds each of those errors from a copy-on-write string of its own: throwing
// one links in a second complete string implementation and the classes around it, about 80 KB
// of the 32-bit exe for errors the program never means to raise. Defined here, the library's
// raising functions and all they pull in stay out. The program catches such errors only as
// std::exception or with catch (...), and both still catch them, with the library's message.

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

#if defined(__GLIBCXX__)

#include <bits/functexcept.h>

namespace {

class LibraryError final : public std::exception {
 public:
  explicit LibraryError(const char* message) noexcept { Append(message); }
  // The library's formats know %s, %zu and %%, as its own formatter does.
  LibraryError(const char* format, va_list arguments) noexcept {
    for (const char* c = format; *c; ++c) {
      if (c[0] == '%' && c[1] == 's') {
        Append(va_arg(arguments, const char*));
        ++c;
      } else if (c[0] == '%' && c[1] == 'z' && c[2] == 'u') {
        char digits[24];
        char* first = digits + sizeof digits;
        *--first = '\0';
        std::size_t value = va_arg(arguments, std::size_t);
        do {
          *--first = static_cast<char>('0' + value % 10);
          value /= 10;
        } while (value != 0);
        Append(first);
        c += 2;
      } else if (c[0] == '%' && c[1] == '%') {
        Append("%");
        ++c;
      } else {
        const char single[2] = {*c, '\0'};
        Append(single);
      }
    }
  }
  const char* what() const noexcept override { return message_; }

 private:
  void Append(const char* text) noexcept {
    while (text && *text && length_ + 1 < sizeof message_) message_[length_++] = *text++;
    message_[length_] = '\0';
  }

  char message_[192] = {};
  std::size_t length_ = 0;
};

}  // namespace

namespace std {

// All of the library's raising functions that live together: were one left to the library, it
// would bring the others along, and the two definitions would clash at the link.
void __throw_bad_exception() {
  throw bad_exception();
}
void __throw_bad_alloc() {
  throw bad_alloc();
}
void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}
void __throw_bad_cast() {
  throw bad_cast();
}
void __throw_bad_typeid() {
  throw bad_typeid();
}
void __throw_logic_error(const char* message) {
  throw LibraryError(message);
}
void __throw_domain_error(const char* message) {
  throw LibraryError(message);
}
void __throw_invalid_argument(const char* message) {
  throw LibraryError(message);
}
void __throw_length_error(const char* message) {
  throw LibraryError(message);
}
void __throw_out_of_range(const char* message) {
  throw LibraryError(message);
}
void __throw_out_of_range_fmt(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const LibraryError error(format, arguments);
  va_end(arguments);
  throw error;
}
void __throw_runtime_error(const char* message) {
  throw LibraryError(message);
}
void __throw_range_error(const char* message) {
  throw LibraryError(message);
}
void __throw_overflow_error(const char* message) {
  throw LibraryError(message);
}
void __throw_underflow_error(const char* message) {
  throw LibraryError(message);
}

}  // namespace std

#endif
