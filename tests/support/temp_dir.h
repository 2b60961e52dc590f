// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace stampwell::test {

// A fresh directory under the system temporary folder, removed with everything in it when
// the object goes. Path() ends with the path separator.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + relative.
  std::string operator/(const std::string& relative) const { return path_ + relative; }

 private:
  std::string path_;
};

// Whole-file helpers for tests.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);  // creates parent folders
std::vector<std::string> ListTree(const std::string& root);  // relative paths, sorted, files only

// Sets the program directory to a fresh temporary directory for the lifetime of the object.
class ScopedProgramDir {
 public:
  ScopedProgramDir();
  ~ScopedProgramDir();
  const std::string& Path() const { return dir_.Path(); }

 private:
  TempDir dir_;
};

// Records every message shown through ShowMessage while it lives.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  std::vector<std::string> Messages() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace stampwell::test
