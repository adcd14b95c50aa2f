// Words for the sensor's club-path classes and for the side a true club path lies on.
#pragma once

#include <string>

namespace accuracy {

// "0 hook", "5 slice side", "1000 none"; the number alone for a class the sensor does not have.
std::string PathClassText(double pathClass);

// The true club path in degrees, positive in-to-out: "in-to-out", "out-to-in" or "square".
std::string PathSide(double truthPath);

}  // namespace accuracy
