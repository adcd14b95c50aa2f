// Flight of a back-spinning golf ball in still air, integrated in the vertical plane.
#pragma once

#include <vector>

namespace flighttable {

struct CLaunch {
  double m_speedMps = 0.0;
  double m_elevationDeg = 0.0;
  double m_backSpinRpm = 0.0;
};

struct CFlightPoint {
  float m_height = 0.0f;    // metres above the launch point
  float m_distance = 0.0f;  // metres along the launch line
};

struct CBallFlight {
  double m_carry = 0.0;                // metres to where the ball comes back to launch height
  double m_apex = 0.0;                 // highest point, metres
  double m_flightTime = 0.0;           // seconds to landing
  std::vector<CFlightPoint> m_points;  // one per time step from launch; the last is the landing
};

// Standard air and a regulation ball. The density is that of sea level at 25 degC; the
// viscosity is the kinematic one of the same air.
inline constexpr double kAirDensity = 1.194;               // kg/m^3
inline constexpr double kAirKinematicViscosity = 1.55e-5;  // m^2/s
inline constexpr double kBallMass = 0.04593;               // kg
inline constexpr double kBallDiameter = 0.04267;           // m
inline constexpr double kGravity = 9.80665;                // m/s^2

// Integrates until the ball falls back to launch height. Points are taken every stepSeconds;
// at most maxPoints are kept (the carry is still computed over the whole flight).
CBallFlight Fly(const CLaunch& launch, double stepSeconds, int maxPoints);

}  // namespace flighttable
