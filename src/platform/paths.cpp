// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stampwell {
namespace {

// The install's path from its binary folder to the program's data folder, relative.
#ifndef STAMPWELL_DATA_FROM_BIN
#define STAMPWELL_DATA_FROM_BIN "../share/stampwell"
#endif

std::mutex g_dirMutex;
std::string g_redirectedDir;  // set by SetProgramDir
bool g_located = false;       // the two below are found once
std::string g_executableDir;
std::string g_installedDataDir;

std::string WithTrailingDelim(std::string path) {
  if (path.empty() || path.back() != PathDelim) path += PathDelim;
  return path;
}

std::string FindExecutableDir() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return WithTrailingDelim(".");
  return ExtractFilePath(std::string(buf, static_cast<size_t>(n)));
}

// Finds the executable's folder and whether it is installed; call with g_dirMutex held.
void Locate() {
  if (g_located) return;
  g_executableDir = FindExecutableDir();
  g_installedDataDir = InstalledDataDir(g_executableDir);
  g_located = true;
}

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

// Creates dir and its missing parents, private to the user as the XDG rules ask of the data
// folder. A failure is left to the first write into the folder, which reports it.
void MakeFolders(const std::string& dir) {
  for (size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos != dir.size() && dir[pos] != PathDelim) continue;
    const std::string part = dir.substr(0, pos);
    if (!DirectoryExists(part)) ::mkdir(part.c_str(), 0700);
  }
}

}  // namespace

std::string ExecutableDir() {
  std::lock_guard lock(g_dirMutex);
  Locate();
  return g_executableDir;
}

std::string InstalledDataDir(const std::string& exeDir) {
  if (exeDir.empty()) return {};
  const std::filesystem::path data =
      (std::filesystem::path(exeDir) / STAMPWELL_DATA_FROM_BIN).lexically_normal();
  const std::string dir = WithTrailingDelim(data.string());
  return DirectoryExists(dir) ? dir : std::string();
}

std::string UserJobsDir(const char* xdgDataHome, const std::string& home) {
  std::string base;
  if (xdgDataHome && xdgDataHome[0] == PathDelim) {
    base = xdgDataHome;
  } else if (!home.empty() && home[0] == PathDelim) {
    base = WithTrailingDelim(home) + ".local" + PathDelim + "share";
  } else {
    return {};
  }
  return WithTrailingDelim(base) + "stampwell" + PathDelim;
}

std::string ProgramDir() {
  std::string exeDir;
  {
    std::lock_guard lock(g_dirMutex);
    if (!g_redirectedDir.empty()) return g_redirectedDir;
    Locate();
    if (g_installedDataDir.empty()) return g_executableDir;
    exeDir = g_executableDir;
  }
  const std::string jobs = UserJobsDir(std::getenv("XDG_DATA_HOME"), HomeDir());
  if (jobs.empty()) return exeDir;  // no home to be found: writes there fail and say so
  if (!DirectoryExists(jobs)) MakeFolders(jobs);
  return jobs;
}

std::string DataDir() {
  std::lock_guard lock(g_dirMutex);
  if (!g_redirectedDir.empty()) return g_redirectedDir;
  Locate();
  return g_installedDataDir.empty() ? g_executableDir : g_installedDataDir;
}

void SetProgramDir(const std::string& path) {
  std::lock_guard lock(g_dirMutex);
  g_redirectedDir = path.empty() ? std::string() : WithTrailingDelim(path);
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
