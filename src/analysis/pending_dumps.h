// The frame dumps of one run, held back until the shot has been delivered: writing a hundred
// frames to disk takes longer than the analysis itself, and the golf client must not wait for it.
// The files and their names are the same; only the moment they are written moves.
#pragma once

#include <cstdint>

class CMainCamera;

inline constexpr int kMaxPendingDumps = 3 * 42 + 8;
inline constexpr int kDumpNameSize = 48;

class PendingDumps {
 public:
  // Frames that stay as they are until the run ends (the shot frame store, the frames before the
  // trigger) are written from where they lie; any other image is copied now.
  void Add(CMainCamera& camera, const uint8_t* image, const char* name);
  // Writes every held dump into the directory, in the order they were added; true when any was.
  bool WriteAll(const CMainCamera& camera, const char* directory);
  int Count() const { return count_; }

 private:
  struct Entry {
    const uint8_t* image;
    char name[kDumpNameSize];
  };
  Entry entries_[kMaxPendingDumps];
  int count_ = 0;
  int copiesUsed_ = 0;
};
