// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <vector>

namespace stampwell {

// One resource of a web archive, its body already decoded.
struct TMhtmlPart {
  QByteArray contentType;  // lower case, without parameters ("text/html")
  QByteArray charset;      // lower case; empty when not given
  QUrl location;           // Content-Location, resolved against the enclosing base (or,
                           // lacking one, against the start document's location)
  QByteArray contentId;    // Content-ID without its angle brackets
  QByteArray body;
};

// Reader for web archives (MIME HTML: multipart/related with boundaries, quoted-printable,
// base64, 7bit, 8bit and binary bodies, nested multiparts). A damaged archive yields what can
// be read: a missing closing boundary ends the last part at the end of the data, bad escape
// and base64 characters are skipped, a document that is not multipart at all is taken as one
// part, and so is a multipart nested more than kMaxNesting levels deep. Parts are found by
// Content-Location (absolute or relative, resolved against the enclosing Content-Location or
// Content-Base) and Content-ID.
class TMhtmlArchive {
 public:
  // Parses data; never throws.
  static TMhtmlArchive Parse(const QByteArray& data);
  // Reads and parses the file; false when it cannot be read.
  bool Load(const QString& path);

  const std::vector<TMhtmlPart>& Parts() const { return parts_; }
  // The document to show first: the part named by the "start" parameter, else the first
  // HTML part, else the first part; nullptr for an empty archive.
  const TMhtmlPart* Root() const;
  // The part a reference from a document at base points to: "cid:" references by Content-ID,
  // others by Content-Location after resolving against base (fragments ignored).
  const TMhtmlPart* Find(const QUrl& reference, const QUrl& base = QUrl()) const;
  // The part's body as text, decoded with its charset (UTF-8 when missing or unknown).
  static QString Text(const TMhtmlPart& part);

  static QByteArray DecodeQuotedPrintable(const QByteArray& data);
  static QByteArray DecodeBase64(const QByteArray& data);

 private:
  // Multiparts nested deeper than this are not opened: the one at the limit is kept as a
  // single part, so that hostile input cannot exhaust the stack (one frame per level).
  static constexpr int kMaxNesting = 64;

  void ParseEntity(const QByteArray& entity, const QUrl& base, int depth = 0);

  std::vector<TMhtmlPart> parts_;
  QByteArray startId_;
};

}  // namespace stampwell
