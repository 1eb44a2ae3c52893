#pragma once
// Texts put together: one call and one allocation in place of a chain of std::string additions,
// each of which costs code of its own in the program.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quenora {

// The parts one after the other.
std::string Cat(std::initializer_list<std::string_view> parts);
// A whole number in decimal digits, with zeros before it up to `width` digits ("07").
std::string IntText(std::int64_t value, int width = 1);

}  // namespace quenora
