// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include "platform/message_sink.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace stampwell::test {

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "stampwell-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl + PathDelim;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> out;
  for (auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) out.push_back(fs::relative(e.path(), root).string());
  std::sort(out.begin(), out.end());
  return out;
}

ScopedProgramDir::ScopedProgramDir() { SetProgramDir(dir_.Path()); }
ScopedProgramDir::~ScopedProgramDir() { SetProgramDir(""); }

struct MessageRecorder::State {
  mutable std::mutex mutex;
  std::vector<std::string> messages;
  MessageHandler previous;
};

MessageRecorder::MessageRecorder() : state_(std::make_unique<State>()) {
  State* s = state_.get();
  s->previous = SetMessageHandler([s](const std::string& text) {
    std::lock_guard lock(s->mutex);
    s->messages.push_back(text);
  });
}

MessageRecorder::~MessageRecorder() {
  SetMessageHandler(std::move(state_->previous));
}

std::vector<std::string> MessageRecorder::Messages() const {
  std::lock_guard lock(state_->mutex);
  return state_->messages;
}

}  // namespace stampwell::test
