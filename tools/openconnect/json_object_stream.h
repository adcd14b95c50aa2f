// Cuts a byte stream into JSON objects: a TCP read may hold several answers or part of one.
// Bytes between objects that are not blanks are reported, not guessed at.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace openconnect {

struct StreamPiece {
  bool object = false;  // the text of one whole object; else a description of unusable bytes
  std::string text;
};

class JsonObjectStream {
 public:
  // An object longer than this is no answer a simulator sends; it is dropped.
  static constexpr size_t kLongestObject = 1 << 20;

  // Takes the bytes of one read; returns the objects completed by them, in order, and a piece
  // for each run of bytes that cannot be part of an object.
  std::vector<StreamPiece> Feed(const char* data, size_t size);
  // Forgets a partial object (the connection it came on has gone).
  void Reset();

 private:
  void Skip(char c);
  void EndSkipped(std::vector<StreamPiece>* pieces);

  std::string object_;   // the object under way, from its '{'
  std::string skipped_;  // unusable bytes seen since the last object
  size_t skippedCount_ = 0;
  int depth_ = 0;
  bool inString_ = false;
  bool escaped_ = false;
};

}  // namespace openconnect
