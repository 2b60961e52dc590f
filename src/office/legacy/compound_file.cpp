// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/compound_file.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace stampwell::legacy {
namespace {

void EnsureGsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

struct GObjectUnref {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

std::string ErrorText(GError* error, const char* what) {
  std::string text = what;
  if (error) {
    text += std::string(": ") + error->message;
    g_error_free(error);
  }
  return text;
}

void ReadStorage(GsfInfile* storage, std::vector<std::string>& path,
                 std::vector<RCompoundEntry>& entries) {
  const int n = gsf_infile_num_children(storage);
  for (int i = 0; i < n; ++i) {
    const char* name = gsf_infile_name_by_index(storage, i);
    GPtr<GsfInput> child(gsf_infile_child_by_index(storage, i));
    if (!child || !name) throw ECompoundFileError("an entry of the compound file cannot be read");
    RCompoundEntry entry;
    path.push_back(name);
    entry.Path = path;
    GsfInfile* asStorage = GSF_IS_INFILE(child.get()) ? GSF_INFILE(child.get()) : nullptr;
    if (asStorage && gsf_infile_num_children(asStorage) >= 0) {
      entry.IsStorage = true;
      gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(asStorage), entry.ClassId.data());
      entries.push_back(std::move(entry));
      ReadStorage(asStorage, path, entries);
    } else {
      const gsf_off_t size = gsf_input_size(child.get());
      entry.Data.resize(static_cast<std::size_t>(size));
      if (size > 0 && !gsf_input_read(child.get(), entry.Data.size(),
                                      reinterpret_cast<guint8*>(entry.Data.data())))
        throw ECompoundFileError("stream " + path.back() + " cannot be read");
      entries.push_back(std::move(entry));
    }
    path.pop_back();
  }
}

// Entry names compare as the format compares them: ASCII letters in either case.
bool IsTopLevel(const RCompoundEntry& e, const std::string& name) {
  return e.Path.size() == 1 && e.Path.front().size() == name.size() &&
         std::equal(name.begin(), name.end(), e.Path.front().begin(), [](char a, char b) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(a) == lower(b);
         });
}

}  // namespace

TCompoundFile TCompoundFile::Read(const std::string& bytes) {
  EnsureGsf();
  GPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                            static_cast<gsf_off_t>(bytes.size()), FALSE));
  GError* error = nullptr;
  GPtr<GsfInfile> root(gsf_infile_msole_new(input.get(), &error));
  if (!root) throw ECompoundFileError(ErrorText(error, "not a compound file"));
  TCompoundFile file;
  gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(root.get()), file.RootClassId.data());
  std::vector<std::string> path;
  ReadStorage(root.get(), path, file.Entries);
  return file;
}

std::string TCompoundFile::Write() const {
  EnsureGsf();
  GPtr<GsfOutput> sink(gsf_output_memory_new());
  GPtr<GsfOutfile> root(gsf_outfile_msole_new(sink.get()));
  if (!root) throw ECompoundFileError("the compound file cannot be written");
  gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(root.get()), RootClassId.data());
  // Open storages by depth; an entry's parent is the last storage opened one level up.
  std::vector<GPtr<GsfOutfile>> open;
  auto closeTo = [&open](std::size_t depth) {
    while (open.size() > depth) {
      gsf_output_close(GSF_OUTPUT(open.back().get()));
      open.pop_back();
    }
  };
  for (const RCompoundEntry& entry : Entries) {
    if (entry.Path.empty() || entry.Path.size() > open.size() + 1)
      throw ECompoundFileError("the compound file's tree is not in order");
    closeTo(entry.Path.size() - 1);
    GsfOutfile* parent = open.empty() ? root.get() : open.back().get();
    GPtr<GsfOutput> child(
        gsf_outfile_new_child(parent, entry.Path.back().c_str(), entry.IsStorage ? TRUE : FALSE));
    if (!child) throw ECompoundFileError("entry " + entry.Path.back() + " cannot be written");
    if (entry.IsStorage) {
      gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(child.get()), entry.ClassId.data());
      open.emplace_back(GSF_OUTFILE(child.release()));
      continue;
    }
    if (!entry.Data.empty() &&
        !gsf_output_write(child.get(), entry.Data.size(),
                          reinterpret_cast<const guint8*>(entry.Data.data())))
      throw ECompoundFileError("stream " + entry.Path.back() + " cannot be written");
    gsf_output_close(child.get());
  }
  closeTo(0);
  if (!gsf_output_close(GSF_OUTPUT(root.get())))
    throw ECompoundFileError("the compound file cannot be written");
  const auto* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
  const gsf_off_t size = gsf_output_size(sink.get());
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::string* TCompoundFile::Stream(const std::string& name) {
  auto it = std::find_if(Entries.begin(), Entries.end(), [&name](const RCompoundEntry& e) {
    return !e.IsStorage && IsTopLevel(e, name);
  });
  return it == Entries.end() ? nullptr : &it->Data;
}

const std::string* TCompoundFile::Stream(const std::string& name) const {
  return const_cast<TCompoundFile*>(this)->Stream(name);
}

bool TCompoundFile::HasTopLevel(const std::string& name) const {
  return std::any_of(Entries.begin(), Entries.end(),
                     [&name](const RCompoundEntry& e) { return IsTopLevel(e, name); });
}

}  // namespace stampwell::legacy
