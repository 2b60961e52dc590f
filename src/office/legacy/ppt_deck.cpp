// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/ppt_deck.h"

#include <set>
#include <string_view>

namespace stampwell::legacy {
namespace {

constexpr std::uint32_t kPlainHeaderToken = 0xE391C05F;

}  // namespace

std::uint32_t MasterIdOf(const RPptRecord& container) {
  const RPptRecord* atom = container.Child(ppt::kSlideAtom);
  return atom ? ReadU32(atom->Atom, 12) : 0;
}

RPptRecord* TopGroup(RPptRecord& container) {
  RPptRecord* drawing = container.Child(ppt::kDrawing);
  RPptRecord* dg = drawing ? drawing->Child(ppt::kDgContainer) : nullptr;
  RPptRecord* group = dg ? dg->Child(ppt::kSpgrContainer) : nullptr;
  if (group && group->Children.empty()) throw EPptFormatError("a drawing has no group shape");
  return group;
}

TPptDeck::TPptDeck(TCompoundFile& file) {
  document_stream_ = file.Stream(ppt::kDocumentStream);
  currentUser_ = file.Stream(ppt::kCurrentUserStream);
  if (!document_stream_ || !currentUser_) throw EPptUnsupported("not a PowerPoint 97-2003 file");
  const std::string& cu = *currentUser_;
  if (cu.size() < 20 || ReadU16(cu, 2) != ppt::kCurrentUserAtom)
    throw EPptUnsupported("not a PowerPoint 97-2003 file");
  if (ReadU32(cu, 12) != kPlainHeaderToken) throw EPptUnsupported("encrypted");
  editOffset_ = ReadU32(cu, 16);
  const std::string_view doc(*document_stream_);
  std::set<std::uint32_t> seen;
  std::uint32_t edit = editOffset_;
  for (bool first = true;; first = false) {
    if (!seen.insert(edit).second) throw EPptFormatError("the document's edits run in a circle");
    std::size_t at = edit;
    const RPptRecord user = RPptRecord::Parse(doc, at);
    if (user.Type != ppt::kUserEditAtom || user.Atom.size() < 28)
      throw EPptFormatError("an edit record is not where the file says");
    if (first) {
      editRecord_ = std::string(doc.substr(edit, at - edit));
      documentPersistId_ = ReadU32(user.Atom, 16);
      if (user.Atom.size() >= 32 && ReadU32(user.Atom, 28) != 0) throw EPptUnsupported("encrypted");
    }
    std::size_t dirAt = ReadU32(user.Atom, 12);
    const RPptRecord dir = RPptRecord::Parse(doc, dirAt);
    if (dir.Type != ppt::kPersistDirectoryAtom)
      throw EPptFormatError("a persist directory is missing");
    for (std::size_t p = 0; p < dir.Atom.size();) {
      const std::uint32_t head = ReadU32(dir.Atom, p);
      p += 4;
      const std::uint32_t id = head & 0xFFFFF, count = head >> 20;
      for (std::uint32_t k = 0; k < count; ++k, p += 4)
        persist_.emplace(id + k, ReadU32(dir.Atom, p));  // the newest edit came first
    }
    const std::uint32_t last = ReadU32(user.Atom, 8);
    if (last == 0) break;
    edit = last;
  }
  document_ = Container(documentPersistId_);
  if (document_.Type != ppt::kDocumentContainer)
    throw EPptFormatError("the document record is not where the file says");
  for (const RPptRecord& list : document_.Children) {
    if (list.Type != ppt::kSlideListWithText || list.Instance() > 1) continue;
    auto& entries = list.Instance() == 0 ? slides_ : masters_;
    for (const RPptRecord& atom : list.Children) {
      if (atom.Type != ppt::kSlidePersistAtom) continue;
      entries.push_back({ReadU32(atom.Atom, 0), ReadU32(atom.Atom, 12)});
    }
  }
}

RPptRecord TPptDeck::Container(std::uint32_t persistId) const {
  auto it = persist_.find(persistId);
  if (it == persist_.end()) throw EPptFormatError("a slide is missing from the document");
  std::size_t at = it->second;
  const std::size_t start = at;
  RPptRecord record = RPptRecord::Parse(*document_stream_, at);
  if (record.Bytes() != std::string_view(*document_stream_).substr(start, at - start))
    throw EPptFormatError("a slide's records do not read back as they are");
  return record;
}

}  // namespace stampwell::legacy
