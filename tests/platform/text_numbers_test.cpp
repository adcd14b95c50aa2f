#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "platform/text_numbers.h"

namespace {

using platform::TextToDouble;
using platform::TextToInt;

struct NumberCase {
  const char* text;
  int32_t asInt;
  double asDouble;
};

constexpr double kInf = std::numeric_limits<double>::infinity();

const NumberCase kNumberCases[] = {
    {"12abc", 12, 12.0},
    {"abc", 0, 0.0},
    {"", 0, 0.0},
    {"-5", -5, -5.0},
    {"  7", 7, 7.0},
    {"\t\r\n 8", 8, 8.0},
    {"+4", 4, 4.0},
    {"+-3", 0, 0.0},
    {"- 3", 0, 0.0},
    {"99999999999", std::numeric_limits<int32_t>::max(), 99999999999.0},
    {"-99999999999", std::numeric_limits<int32_t>::min(), -99999999999.0},
    {"2147483647", 2147483647, 2147483647.0},
    {"-2147483648", std::numeric_limits<int32_t>::min(), -2147483648.0},
    {"2147483648", 2147483647, 2147483648.0},
    {"1e3", 1, 1000.0},
    {"3.0", 3, 3.0},
    {"1.050000", 1, 1.05},
    {".5", 0, 0.5},
    {"5.", 5, 5.0},
    {"-0.25e1x", 0, -2.5},
    {"1e", 1, 1.0},
    {"1e+", 1, 1.0},
    {"1,5", 1, 1.0},
    {"1e999", 1, kInf},
    {"-1e999", -1, -kInf},
    {"1e-999", 1, 0.0},
    {"0.0000000001e-999", 0, 0.0},
    {"inf", 0, kInf},
};

TEST(TextNumbers, Table) {
  for (const NumberCase& c : kNumberCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextToInt(c.text), c.asInt);
    EXPECT_DOUBLE_EQ(TextToDouble(c.text), c.asDouble);
  }
  EXPECT_TRUE(std::isnan(TextToDouble("nan")));
  EXPECT_EQ(TextToInt(nullptr), 0);
  EXPECT_EQ(TextToDouble(nullptr), 0.0);
}

// A decimal-comma locale must not change how settings files read.
TEST(TextNumbers, DoubleIgnoresLocale) {
  const char* const commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"};
  const char* applied = nullptr;
  for (const char* name : commaLocales) {
    if ((applied = std::setlocale(LC_NUMERIC, name)) != nullptr) break;
  }
  const double value = TextToDouble("1.5");
  std::setlocale(LC_NUMERIC, "C");
  if (applied == nullptr) GTEST_SKIP() << "no decimal-comma locale installed";
  EXPECT_EQ(value, 1.5);
}

}  // namespace
