#include "platform/paths.h"

#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace stampwell {
namespace {

std::mutex g_dirMutex;
std::string g_programDir;

std::string WithTrailingDelim(std::string path) {
  if (path.empty() || path.back() != PathDelim) path += PathDelim;
  return path;
}

std::string ExecutableDir() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return WithTrailingDelim(".");
  return ExtractFilePath(std::string(buf, static_cast<size_t>(n)));
}

}  // namespace

std::string ProgramDir() {
  std::lock_guard lock(g_dirMutex);
  if (g_programDir.empty()) g_programDir = ExecutableDir();
  return g_programDir;
}

void SetProgramDir(const std::string& path) {
  std::lock_guard lock(g_dirMutex);
  g_programDir = path.empty() ? ExecutableDir() : WithTrailingDelim(path);
}

std::string ExtractFilePath(const std::string& path) {
  auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ExtractFileExt(const std::string& path) {
  auto dot = path.rfind('.');
  auto sep = path.rfind(PathDelim);
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
  return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  auto dot = path.rfind('.');
  auto sep = path.rfind(PathDelim);
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return path + ext;
  return path.substr(0, dot) + ext;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace stampwell
