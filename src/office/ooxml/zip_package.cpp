// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/ooxml/zip_package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/strings.h"

namespace stampwell::ooxml {

namespace {

std::string ParentFolder(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t ProcessUmask() {
  static const mode_t mask = [] {
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
  }();
  return mask;
}

}  // namespace

TZipPackage::~TZipPackage() { Close(); }

void TZipPackage::Close() {
  if (zip_) zip_discard(zip_);
  zip_ = nullptr;
  path_.clear();
  names_.clear();
  byLower_.clear();
  written_.clear();
  added_.clear();
}

void TZipPackage::Open(const std::string& path) {
  Close();
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (!archive) {
    zip_error_t ze;
    zip_error_init_with_code(&ze, error);
    std::string why = zip_error_strerror(&ze);
    zip_error_fini(&ze);
    throw EPackageError("the file cannot be opened (not a package: " + why + ")");
  }
  zip_ = archive;
  path_ = path;
  const zip_int64_t count = zip_get_num_entries(zip_, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(zip_, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
    names_.push_back(name ? name : "");
    if (name) byLower_.emplace(LowerCase(name), std::size_t(i));
  }
}

std::vector<std::string> TZipPackage::PartNames() const {
  std::vector<std::string> all = names_;
  all.insert(all.end(), added_.begin(), added_.end());
  return all;
}

std::string TZipPackage::Find(const std::string& name) const {
  std::string key = LowerCase(name);
  if (!key.empty() && key[0] == '/') key.erase(0, 1);
  const auto at = byLower_.find(key);
  if (at == byLower_.end()) return "";
  return at->second < names_.size() ? names_[at->second] : added_[at->second - names_.size()];
}

std::string TZipPackage::Read(const std::string& name) const {
  const std::string stored = Find(name);
  if (stored.empty()) throw EPackageError("the package has no part " + name);
  if (const auto w = written_.find(stored); w != written_.end()) return w->second;
  const zip_int64_t index = zip_name_locate(zip_, stored.c_str(), ZIP_FL_ENC_GUESS);
  zip_stat_t st;
  if (index < 0 || zip_stat_index(zip_, zip_uint64_t(index), 0, &st) != 0)
    throw EPackageError("the package part " + name + " cannot be read");
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen_index(zip_, zip_uint64_t(index), 0),
                                                          zip_fclose);
  if (!file) throw EPackageError("the package part " + name + " cannot be read");
  std::string data;
  data.resize(std::size_t(st.size));
  std::size_t got = 0;
  while (got < data.size()) {
    const zip_int64_t n = zip_fread(file.get(), data.data() + got, data.size() - got);
    if (n <= 0) throw EPackageError("the package part " + name + " is damaged");
    got += std::size_t(n);
  }
  return data;
}

void TZipPackage::Write(const std::string& name, std::string data) {
  std::string stored = Find(name);
  if (stored.empty()) {
    stored = name[0] == '/' ? name.substr(1) : name;
    byLower_.emplace(LowerCase(stored), names_.size() + added_.size());
    added_.push_back(stored);
  }
  written_[stored] = std::move(data);
}

bool TZipPackage::Written(const std::string& name) const {
  const std::string stored = Find(name);
  return !stored.empty() && written_.count(stored) > 0;
}

std::vector<std::string> TZipPackage::WrittenParts() const {
  std::vector<std::string> parts;
  for (const auto& name : PartNames())
    if (written_.count(name)) parts.push_back(name);
  return parts;
}

void TZipPackage::SaveAs(const std::string& dest) const {
  if (!zip_) throw EPackageError("no package is open");
  std::string temp = ParentFolder(dest) + "/." + BaseName(dest) + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0)
    throw EPackageError("cannot write " + dest + ": " + std::strerror(errno));
  ::close(fd);
  struct Cleanup {
    std::string path;
    zip_t* out = nullptr;
    bool keep = false;
    ~Cleanup() {
      if (out) zip_discard(out);
      if (!keep) ::unlink(path.c_str());
    }
  } cleanup{temp};
  int error = 0;
  cleanup.out = zip_open(temp.c_str(), ZIP_TRUNCATE | ZIP_CREATE, &error);
  if (!cleanup.out) throw EPackageError("cannot write " + dest);
  zip_t* out = cleanup.out;
  auto fail = [&](const std::string& what) {
    throw EPackageError("cannot write " + dest + ": " + what + " (" + zip_strerror(out) + ")");
  };
  auto addWritten = [&](const std::string& name) -> zip_int64_t {
    const std::string& data = written_.at(name);
    zip_source_t* src = zip_source_buffer(out, data.data(), data.size(), 0);
    if (!src) fail(name);
    const zip_int64_t at = zip_file_add(out, name.c_str(), src, ZIP_FL_ENC_UTF_8);
    if (at < 0) {
      zip_source_free(src);
      fail(name);
    }
    zip_set_file_compression(out, zip_uint64_t(at), ZIP_CM_DEFLATE, 0);
    return at;
  };
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const std::string& name = names_[i];
    zip_stat_t st;
    zip_stat_index(zip_, i, 0, &st);
    zip_int64_t at;
    if (written_.count(name)) {
      at = addWritten(name);
    } else {
      // The stored bytes as they are: no part the stamp does not need is recompressed.
      zip_source_t* src = zip_source_zip(out, zip_, i, ZIP_FL_COMPRESSED, 0, -1);
      if (!src) fail(name);
      at = zip_file_add(out, name.c_str(), src, ZIP_FL_ENC_UTF_8);
      if (at < 0) {
        zip_source_free(src);
        fail(name);
      }
      // Stored stays stored, deflated stays deflated: the entry's bytes pass through.
      if (st.valid & ZIP_STAT_COMP_METHOD)
        zip_set_file_compression(out, zip_uint64_t(at), zip_int32_t(st.comp_method), 0);
      zip_uint8_t opsys = 0;
      zip_uint32_t attributes = 0;
      if (zip_file_get_external_attributes(zip_, i, 0, &opsys, &attributes) == 0)
        zip_file_set_external_attributes(out, zip_uint64_t(at), 0, opsys, attributes);
    }
    if (st.valid & ZIP_STAT_MTIME) zip_file_set_mtime(out, zip_uint64_t(at), st.mtime, 0);
  }
  for (const auto& name : added_) addWritten(name);
  if (zip_close(out) != 0) fail("the archive could not be completed");
  cleanup.out = nullptr;
  // A replaced file keeps its permissions; a new one gets what the user's umask allows.
  struct stat existing;
  if (::stat(dest.c_str(), &existing) == 0)
    ::chmod(temp.c_str(), existing.st_mode & 07777);
  else
    ::chmod(temp.c_str(), 0666 & ~ProcessUmask());
  if (::rename(temp.c_str(), dest.c_str()) != 0)
    throw EPackageError("cannot write " + dest + ": " + std::strerror(errno));
  cleanup.keep = true;
}

}  // namespace stampwell::ooxml
