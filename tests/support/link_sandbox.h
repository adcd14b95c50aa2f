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

// Points KESTRIX_SHM_NAME at a block name no earlier test of this process used, for a test whose
// programs must not meet a block an earlier one left, and returns it.
std::string UseFreshBlock();

// Removes the named block, if it is there.
void RemoveBlock(const std::string& name);

// Removes the blocks and test directories of test processes that are gone: a test killed before
// its tear-down leaves them behind, and a later process given the same pid would otherwise find
// its block.
void RemoveLeftovers();

}  // namespace linktest
