#include "path_class.h"

#include <cmath>

namespace accuracy {

std::string PathClassText(double pathClass) {
  if (!std::isfinite(pathClass)) return "-";
  const long long value = std::llround(pathClass);
  const char* name = nullptr;
  switch (value) {
    case 0:
      name = "hook";  // out-to-in
      break;
    case 1:
      name = "fade";  // out-to-in
      break;
    case 2:
      name = "draw";  // in-to-out
      break;
    case 3:
      name = "slice";  // in-to-out
      break;
    case 4:
      name = "hook side";  // no club line found
      break;
    case 5:
      name = "slice side";
      break;
    case 1000:
      name = "none";
      break;
    default:
      break;
  }
  const std::string number = std::to_string(value);
  return name != nullptr ? number + " " + name : number;
}

std::string PathSide(double truthPath) {
  if (!std::isfinite(truthPath)) return "-";
  if (truthPath > 0) return "in-to-out";
  if (truthPath < 0) return "out-to-in";
  return "square";
}

}  // namespace accuracy
