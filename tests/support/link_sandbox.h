// Gives each test process its own endpoint directory and shared block name, so test programs can
// run side by side and never meet a real sensor or client of the same user.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace linktest {

class LinkSandbox : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
  static const std::string& Directory();
};

// Path of the endpoint socket of a window title inside the sandbox.
std::string EndpointFile(const char* window);

// Leaves the socket file of a program that died without cleaning up.
void LeaveStaleEndpoint(const char* window);

}  // namespace linktest
