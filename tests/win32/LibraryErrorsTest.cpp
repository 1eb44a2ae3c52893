#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

namespace {

// The program raises the C++ library's misuse errors its own way (linked in here as into the
// exe): each must still be an exception that catch (const std::exception&) and catch (...)
// take, saying which function failed, never an end of the process.
template <typename Misuse>
std::string MessageOf(Misuse misuse) {
  try {
    misuse();
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "<not a std::exception>";
  }
  return "<nothing thrown>";
}

TEST(LibraryErrorsTest, MisusesAreCaughtAsExceptionsNamingTheFunction) {
  const std::string text = "abc";
  EXPECT_NE(MessageOf([&] { (void)text.at(3); }).find("basic_string"), std::string::npos);
  EXPECT_EQ(MessageOf([&] { (void)text.substr(4); }),
            "basic_string::substr: __pos (which is 4) > this->size() (which is 3)");
  std::vector<int> numbers;
  EXPECT_NE(MessageOf([&] { numbers.reserve(numbers.max_size() + 1u); }).find("vector::reserve"),
            std::string::npos);
  EXPECT_NE(MessageOf([&] { (void)numbers.at(0); }).find("vector"), std::string::npos);
  EXPECT_NE(MessageOf([&] { std::string(text.max_size() + 1u, 'x'); }).find("basic_string"),
            std::string::npos);
  EXPECT_EQ(MessageOf([] {}), "<nothing thrown>");
}

}  // namespace
