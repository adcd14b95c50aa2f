// The back spin a table flight is launched with: what a ball launched at that speed and
// elevation typically carries.
#pragma once

namespace flighttable {

// rpm = k x speed(mph) x max(elevation, 4 deg), at most 11000 rpm, with k = 3.6 up to 130 mph
// (irons: 7-iron 120 mph, 16.3 deg -> about 7000 rpm) falling linearly to 1.5 from 160 mph on
// (driver: 167 mph, 10.9 deg -> about 2700 rpm). The floor keeps some spin on a flat launch;
// the cap is about what a full wedge gets.
double TypicalBackSpinRpm(double speedMph, double elevationDeg);

}  // namespace flighttable
