// The single-instance lock (the desktop platform's named mutex, created initially owned): a
// second copy of the program sees that one already runs. The kernel drops the lock when the
// holder dies, so a crash never blocks a restart.
#pragma once

namespace platform {

class SingleInstance {
 public:
  // Takes the lock on "<endpoint directory>/<name>.lock" without waiting.
  explicit SingleInstance(const char* name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another holder has it, or when the lock file cannot be used at all.
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;  // open only while held
};

}  // namespace platform
