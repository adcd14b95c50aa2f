#include "platform/text_numbers.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace platform {

namespace {

// The C runtime's white space, independent of the locale.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

const char* SkipSpace(const char* text) {
  while (IsSpace(*text)) ++text;
  return text;
}

// Decimal order of magnitude of a number that std::from_chars found out of range, enough to tell
// overflow (to infinity, as strtod does) from underflow (to zero): thresholds lie ~300 decades off.
long long DecimalMagnitude(const char* begin, const char* end) {
  long long digitsBeforePoint = 0;
  long long zerosAfterPoint = 0;
  bool seenPoint = false;
  bool seenSignificant = false;
  const char* p = begin;
  for (; p < end && (IsDigit(*p) || *p == '.'); ++p) {
    if (*p == '.') {
      seenPoint = true;
    } else if (!seenPoint) {
      if (*p != '0' || seenSignificant) {
        seenSignificant = true;
        ++digitsBeforePoint;
      }
    } else if (!seenSignificant) {
      if (*p == '0') {
        ++zerosAfterPoint;
      } else {
        seenSignificant = true;
      }
    }
  }
  long long exponent = 0;
  if (p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    for (; p < end && IsDigit(*p); ++p) {
      if (exponent < 1000000) exponent = exponent * 10 + (*p - '0');
    }
    if (negative) exponent = -exponent;
  }
  return (digitsBeforePoint > 0 ? digitsBeforePoint : -zerosAfterPoint) + exponent;
}

}  // namespace

int32_t TextToInt(const char* text) {
  if (text == nullptr) return 0;
  const char* p = SkipSpace(text);
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  // Accumulate towards the sign so INT32_MIN itself is reachable; saturate past either limit.
  int64_t value = 0;
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  for (; IsDigit(*p); ++p) {
    value = value * 10 + (negative ? -(*p - '0') : (*p - '0'));
    if (value > kMax) return static_cast<int32_t>(kMax);
    if (value < kMin) return static_cast<int32_t>(kMin);
  }
  return static_cast<int32_t>(value);
}

double TextToDouble(const char* text) {
  if (text == nullptr) return 0.0;
  const char* p = SkipSpace(text);
  // from_chars takes neither a leading '+' nor blanks; strtod takes both, but only one sign.
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  if (*p == '+' || *p == '-') return 0.0;
  const char* end = p + std::strlen(p);
  double value = 0.0;
  const auto [stop, error] = std::from_chars(p, end, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    value = DecimalMagnitude(p, stop) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    return 0.0;
  }
  return negative ? -value : value;
}

}  // namespace platform
