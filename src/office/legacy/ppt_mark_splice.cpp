// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/legacy/ppt_mark_splice.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "office/legacy/compound_file.h"
#include "office/legacy/ppt_deck.h"
#include "office/office_shapes.h"

namespace stampwell::legacy {
namespace {

using namespace ppt;

// A mark of LibreOffice's copy and where it lies: after `before` of the page's other shapes.
struct Mark {
  std::size_t before = 0;
  RPptRecord shape;
};

std::vector<Mark> MarksOf(RPptRecord& container, const std::string& text) {
  std::vector<Mark> marks;
  RPptRecord* group = TopGroup(container);
  if (!group) return marks;
  std::size_t others = 0;
  for (std::size_t i = 1; i < group->Children.size(); ++i) {
    if (IsWordArtOf(group->Children[i], text))
      marks.push_back({others, group->Children[i]});
    else
      ++others;
  }
  return marks;
}

// The persist directory of ids and their offsets, in runs of consecutive ids.
std::string DirectoryRecord(const std::map<std::uint32_t, std::uint32_t>& offsets) {
  std::string directory;
  for (auto it = offsets.begin(); it != offsets.end();) {
    auto run = it;
    std::vector<std::uint32_t> found;
    for (std::uint32_t next = it->first; run != offsets.end() && run->first == next; ++run, ++next)
      found.push_back(run->second);
    AppendU32(directory, it->first | static_cast<std::uint32_t>(found.size()) << 20);
    for (std::uint32_t o : found) AppendU32(directory, o);
    it = run;
  }
  RPptRecord dir;
  dir.Type = kPersistDirectoryAtom;
  dir.Atom = directory;
  return dir.Bytes();
}

// The edit record that closes stream: the source's current one, pointing at the directory
// at directoryAt and back at lastEdit (0: none).
std::uint32_t AppendEdit(std::string& stream, TPptDeck& s, std::uint32_t lastEdit,
                         std::uint32_t directoryAt) {
  std::string edit = s.CurrentEditRecord();
  WriteU32(edit, 8 + 8, lastEdit);
  WriteU32(edit, 8 + 12, directoryAt);
  const auto at = static_cast<std::uint32_t>(stream.size());
  stream += edit;
  if (stream.size() > 0xFFFFFFFFull) throw EPptUnsupported("the document grows past 4 GB");
  return at;
}

// The stream saved whole, as PowerPoint does a full save: the source's current objects in
// their order, each as it was or in its new version, then one directory and one edit; the
// versions and edit records that later edits replaced, and bytes between records, are left
// behind. A restamp so never grows the file. Throws EPptFormatError where objects overlap.
std::string Rewritten(TPptDeck& s, const std::map<std::uint32_t, RPptRecord>& changed,
                      std::uint32_t& editAt) {
  std::map<std::uint32_t, std::uint32_t> idAt;  // by offset in the source
  for (const auto& [id, offset] : s.Persist())
    if (!idAt.emplace(offset, id).second) throw EPptFormatError("two objects share a place");
  const std::string_view doc(s.DocumentStream());
  std::string stream;
  std::map<std::uint32_t, std::uint32_t> offsets;
  std::size_t done = 0;  // where the last object ended
  for (const auto& [pos, id] : idAt) {
    if (pos < done) throw EPptFormatError("an object lies inside another");
    if (doc.size() - pos < 8) throw EPptFormatError("an object lies past the stream");
    const std::uint32_t length = ReadU32(doc, pos + 4);
    if (length > doc.size() - pos - 8) throw EPptFormatError("an object runs past the stream");
    done = pos + 8 + static_cast<std::size_t>(length);
    offsets[id] = static_cast<std::uint32_t>(stream.size());
    if (auto c = changed.find(id); c != changed.end())
      stream += c->second.Bytes();
    else
      stream.append(doc.substr(pos, done - pos));
  }
  const auto directoryAt = static_cast<std::uint32_t>(stream.size());
  stream += DirectoryRecord(offsets);
  editAt = AppendEdit(stream, s, 0, directoryAt);
  return stream;
}

// The source's stream as it is, the new versions after it, then their directory and an edit
// that points back at the source's own last edit (PowerPoint's fast save).
std::string Appended(TPptDeck& s, const std::map<std::uint32_t, RPptRecord>& changed,
                     std::uint32_t& editAt) {
  std::string stream = s.DocumentStream();
  std::map<std::uint32_t, std::uint32_t> offsets;
  for (const auto& [id, record] : changed) {
    offsets[id] = static_cast<std::uint32_t>(stream.size());
    stream += record.Bytes();
  }
  const auto directoryAt = static_cast<std::uint32_t>(stream.size());
  stream += DirectoryRecord(offsets);
  editAt = AppendEdit(stream, s, s.CurrentEditOffset(), directoryAt);
  return stream;
}

RSpliced Splice(const std::string& source, const std::string& stamped,
                const std::string& markText) {
  TCompoundFile src = TCompoundFile::Read(source);
  if (const std::string refusal = SpliceRefusal(src); !refusal.empty())
    throw EPptUnsupported(refusal);
  TPptDeck s(src);
  TCompoundFile out = TCompoundFile::Read(stamped);
  TPptDeck t(out);
  if (s.Slides().size() != t.Slides().size()) throw EPptUnsupported("the slides do not correspond");

  // Where LibreOffice's marks go in the source: slide by slide, and each master of the copy
  // to the masters its slides use in the source.
  std::map<std::uint32_t, std::vector<Mark>> targets;  // by source persist id
  std::size_t found = 0;
  auto masterEntry = [](const TPptDeck& d, std::uint32_t slideId) -> const TPptDeck::REntry* {
    for (const auto& m : d.Masters())
      if (m.SlideId == slideId) return &m;
    return nullptr;
  };
  std::vector<std::uint32_t> sourceMasterOfSlide, copyMasterOfSlide;
  for (std::size_t i = 0; i < s.Slides().size(); ++i) {
    RPptRecord sc = s.Container(s.Slides()[i].PersistId);
    RPptRecord tc = t.Container(t.Slides()[i].PersistId);
    sourceMasterOfSlide.push_back(MasterIdOf(sc));
    copyMasterOfSlide.push_back(MasterIdOf(tc));
    auto marks = MarksOf(tc, markText);
    found += marks.size();
    if (!marks.empty()) targets[s.Slides()[i].PersistId] = std::move(marks);
  }
  std::set<std::uint32_t> mastersTaken;
  for (std::size_t m = 0; m < t.Masters().size(); ++m) {
    RPptRecord tc = t.Container(t.Masters()[m].PersistId);
    const auto marks = MarksOf(tc, markText);
    if (marks.empty()) continue;
    found += marks.size();
    std::set<std::uint32_t> to;
    for (std::size_t i = 0; i < t.Slides().size(); ++i) {
      if (copyMasterOfSlide[i] != t.Masters()[m].SlideId) continue;
      if (const auto* e = masterEntry(s, sourceMasterOfSlide[i])) to.insert(e->PersistId);
    }
    if (to.empty()) {
      if (s.Masters().size() != t.Masters().size())
        throw EPptUnsupported("the masters do not correspond");
      to.insert(s.Masters()[m].PersistId);
    }
    for (std::uint32_t id : to)
      if (mastersTaken.insert(id).second) targets[id] = marks;
  }
  if (found == 0) throw EPptUnsupported("no mark in LibreOffice's copy");

  RPptRecord document = s.DocumentRecord();
  RPptRecord* drawingGroup = document.Child(kDrawingGroup);
  RPptRecord* dgg = drawingGroup ? drawingGroup->Child(kDggContainer) : nullptr;
  RPptRecord* fdgg = dgg ? dgg->Child(kFdgg) : nullptr;
  if (!fdgg) throw EPptFormatError("the drawing group is missing");
  TShapeIds ids(*fdgg);
  std::map<std::uint32_t, RPptRecord> changed;
  std::vector<TPptDeck::REntry> pages = s.Slides();
  pages.insert(pages.end(), s.Masters().begin(), s.Masters().end());
  for (const auto& page : pages) {
    RPptRecord container = s.Container(page.PersistId);
    if (container.Type != kSlideContainer && container.Type != kMainMasterContainer) continue;
    RPptRecord* group = TopGroup(container);
    auto target = targets.find(page.PersistId);
    if (!group) {
      if (target != targets.end()) throw EPptUnsupported("a page to mark has no drawing");
      continue;
    }
    auto& shapes = group->Children;
    for (std::size_t i = 1; i < shapes.size(); ++i)
      if (IsWordArtOf(shapes[i], markText) && !IsOurNamedMark(shapes[i]))
        throw EPptUnsupported("a WordArt of the mark's text that is not the program's own");
    const auto before = shapes.size();
    shapes.erase(std::remove_if(shapes.begin() + 1, shapes.end(), IsOurNamedMark), shapes.end());
    const auto removed = static_cast<std::uint32_t>(before - shapes.size());
    std::uint32_t added = 0;
    RPptRecord* fdg = container.Child(kDrawing)->Child(kDgContainer)->Child(kFdg);
    if (!fdg || fdg->Atom.size() < 8) throw EPptFormatError("a drawing has no shape count");
    if (target != targets.end()) {
      std::set<std::uint32_t> used;
      CollectShapeIds(container, used);
      std::size_t inserted = 0;
      for (const Mark& mark : target->second) {
        RPptRecord shape = mark.shape;
        RPptRecord* fsp = shape.Child(kFsp);
        if (!fsp || fsp->Atom.size() < 8) throw EPptFormatError("the mark has no shape record");
        const std::uint32_t spid = ids.Allocate(fdg->Instance(), used);
        used.insert(spid);
        WriteU32(fsp->Atom, 0, spid);
        WriteU32(fdg->Atom, 4, std::max(ReadU32(fdg->Atom, 4), spid));
        KeepOurName(shape);
        const std::size_t at = std::min(1 + mark.before + inserted, shapes.size());
        shapes.insert(shapes.begin() + static_cast<std::ptrdiff_t>(at), std::move(shape));
        ++inserted;
        ++added;
      }
    }
    if (removed == 0 && added == 0) continue;
    ids.Removed(removed);
    const std::uint32_t csp = ReadU32(fdg->Atom, 0) + added;
    WriteU32(fdg->Atom, 0, csp > removed ? csp - removed : 0);
    changed[page.PersistId] = std::move(container);
  }
  changed[s.DocumentPersistId()] = std::move(document);

  std::string stream;
  std::uint32_t editAt = 0;
  try {
    stream = Rewritten(s, changed, editAt);
  } catch (const EPptFormatError&) {
    stream = Appended(s, changed, editAt);
  }
  s.DocumentStream() = std::move(stream);
  WriteU32(s.CurrentUserStream(), 16, editAt);

  RSpliced result;
  result.Done = true;
  result.Bytes = src.Write();
  // The file written reads back whole, with the copy's marks where they went and no others.
  TCompoundFile written = TCompoundFile::Read(result.Bytes);
  const TPptDeck back(written);
  std::vector<TPptDeck::REntry> all = back.Slides();
  all.insert(all.end(), back.Masters().begin(), back.Masters().end());
  for (const auto& page : all) {
    RPptRecord container = back.Container(page.PersistId);
    const RPptRecord* group = TopGroup(container);
    const auto target = targets.find(page.PersistId);
    const std::size_t want = target == targets.end() ? 0 : target->second.size();
    const std::size_t have =
        group ? std::count_if(group->Children.begin(), group->Children.end(), IsOurNamedMark) : 0;
    if (have != want)
      throw EPptFormatError("the spliced presentation does not read back as written");
  }
  return result;
}

}  // namespace

RSpliced SplicePptMarks(const std::string& source, const std::string& stamped,
                        const std::string& markText) {
  try {
    return Splice(source, stamped, markText);
  } catch (const std::exception& e) {  // EPptUnsupported and every format or file error
    return {false, {}, e.what()};
  }
}

}  // namespace stampwell::legacy
