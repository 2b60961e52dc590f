// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "office/legacy/splice_result.h"

// A .ppt stamped by LibreOffice comes back written anew by LibreOffice's export, which keeps
// less than the source held (date fields of masters, notes headers, ...). SplicePptMarks takes
// the marks out of that copy and adds them to the source itself: the slides and masters that
// gain or lose a mark, and the document record with its list of shape ids, take their new
// versions; the document stream is saved whole, as PowerPoint saves a file (each current object
// once, in the source's order, byte for byte where it did not change), or, where its objects
// overlap, the new versions are appended as an edit, as PowerPoint's fast save does. Every
// other stream stays the source's own.
namespace stampwell::legacy {

// source: the file as it was before stamping; stamped: LibreOffice's stamped copy of it;
// markText: the job's watermark text (LibreOffice's copy shows its marks as plain-text WordArt
// of that text, and nothing else identifies them there). A mark this function placed before
// carries its name (the program's watermark prefix) and is replaced. Not Done, with a reason,
// for what it does not take on: a file that is not PowerPoint 97-2003, encrypted or signed,
// a source LibreOffice already wrote for an earlier stamp, slides that do not correspond, a
// WordArt of the mark's text that is not named as ours.
RSpliced SplicePptMarks(const std::string& source, const std::string& stamped,
                        const std::string& markText);

}  // namespace stampwell::legacy
