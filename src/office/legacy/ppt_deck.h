// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "office/legacy/compound_file.h"
#include "office/legacy/office_art.h"
#include "office/legacy/ppt_records.h"

// A PowerPoint 97-2003 file as it reads now: the newest version of each of its objects, found
// through its edits (every save of PowerPoint may append one), its slides and masters, and the
// shapes of their drawings.
namespace stampwell::legacy {

// Record types of the document stream and of its drawings.
namespace ppt {
using namespace art;  // the drawings inside
inline constexpr std::uint16_t kDocumentContainer = 0x03E8;
inline constexpr std::uint16_t kSlideContainer = 0x03EE;
inline constexpr std::uint16_t kSlideAtom = 0x03EF;
inline constexpr std::uint16_t kMainMasterContainer = 0x03F8;
inline constexpr std::uint16_t kSlidePersistAtom = 0x03F3;
inline constexpr std::uint16_t kDrawingGroup = 0x040B;
inline constexpr std::uint16_t kDrawing = 0x040C;
inline constexpr std::uint16_t kSlideListWithText = 0x0FF0;
inline constexpr std::uint16_t kUserEditAtom = 0x0FF5;
inline constexpr std::uint16_t kCurrentUserAtom = 0x0FF6;
inline constexpr std::uint16_t kPersistDirectoryAtom = 0x1772;
inline constexpr char kDocumentStream[] = "PowerPoint Document";
inline constexpr char kCurrentUserStream[] = "Current User";
}  // namespace ppt

class TPptDeck {
 public:
  struct REntry {
    std::uint32_t PersistId = 0;
    std::uint32_t SlideId = 0;
  };

  // Reads the two streams of file, which must outlive the deck and is changed through
  // Document()/CurrentUser(). EPptUnsupported for another format or an encrypted file,
  // EPptFormatError for one whose records do not hold together.
  explicit TPptDeck(TCompoundFile& file);

  const std::vector<REntry>& Slides() const { return slides_; }
  const std::vector<REntry>& Masters() const { return masters_; }  // title masters too
  // The newest version of an object, parsed; its bytes read back as they stand.
  RPptRecord Container(std::uint32_t persistId) const;
  // The document record (its lists and its drawing group) and its persist id.
  const RPptRecord& DocumentRecord() const { return document_; }
  std::uint32_t DocumentPersistId() const { return documentPersistId_; }
  // Object ids and where their newest version lies in the document stream.
  const std::map<std::uint32_t, std::uint32_t>& Persist() const { return persist_; }
  std::uint32_t CurrentEditOffset() const { return editOffset_; }
  const std::string& CurrentEditRecord() const { return editRecord_; }
  std::string& DocumentStream() { return *document_stream_; }
  std::string& CurrentUserStream() { return *currentUser_; }

 private:
  std::string* document_stream_ = nullptr;
  std::string* currentUser_ = nullptr;
  std::uint32_t editOffset_ = 0;
  std::string editRecord_;
  std::map<std::uint32_t, std::uint32_t> persist_;
  RPptRecord document_;
  std::uint32_t documentPersistId_ = 0;
  std::vector<REntry> slides_, masters_;
};

// The master a slide (or title master) follows, by its slide id; 0 without one.
std::uint32_t MasterIdOf(const RPptRecord& container);
// The group that holds a slide's or master's shapes (its first record is the group's own
// shape), or nullptr for a page without a drawing.
RPptRecord* TopGroup(RPptRecord& container);

}  // namespace stampwell::legacy
