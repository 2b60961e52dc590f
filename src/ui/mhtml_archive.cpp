// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mhtml_archive.h"

#include <QFile>
#include <QStringDecoder>

#include <map>

namespace stampwell {
namespace {

struct Headers {
  std::map<QByteArray, QByteArray> fields;  // lower-case names, unfolded values
  QByteArray Get(const char* name) const {
    auto it = fields.find(QByteArray(name));
    return it == fields.end() ? QByteArray() : it->second;
  }
};

// Position just after the line ending at or after pos (LF or CRLF), or size.
qsizetype NextLine(const QByteArray& data, qsizetype pos) {
  const qsizetype lf = data.indexOf('\n', pos);
  return lf < 0 ? data.size() : lf + 1;
}

// Splits an entity into its headers and the offset of its body (after the empty line).
Headers ParseHeaders(const QByteArray& entity, qsizetype* bodyStart) {
  Headers headers;
  qsizetype pos = 0;
  QByteArray lastName;
  while (pos < entity.size()) {
    const qsizetype next = NextLine(entity, pos);
    QByteArray line = entity.mid(pos, next - pos);
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    pos = next;
    if (line.isEmpty()) break;
    if ((line.startsWith(' ') || line.startsWith('\t')) && !lastName.isEmpty()) {
      headers.fields[lastName] += ' ' + line.trimmed();
      continue;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) continue;  // not a header line: skipped
    lastName = line.left(colon).trimmed().toLower();
    headers.fields[lastName] = line.mid(colon + 1).trimmed();
  }
  *bodyStart = pos;
  return headers;
}

// The value before the first ";" (lower case) and the parameters after it.
QByteArray MainValue(const QByteArray& header) {
  const qsizetype semi = header.indexOf(';');
  return (semi < 0 ? header : header.left(semi)).trimmed().toLower();
}

QByteArray Parameter(const QByteArray& header, const char* wanted) {
  qsizetype pos = header.indexOf(';');
  while (pos >= 0 && pos < header.size()) {
    ++pos;
    while (pos < header.size() && (header[pos] == ' ' || header[pos] == '\t')) ++pos;
    const qsizetype eq = header.indexOf('=', pos);
    if (eq < 0) break;
    const QByteArray name = header.mid(pos, eq - pos).trimmed().toLower();
    QByteArray value;
    pos = eq + 1;
    while (pos < header.size() && header[pos] == ' ') ++pos;
    if (pos < header.size() && header[pos] == '"') {
      ++pos;
      while (pos < header.size() && header[pos] != '"') {
        if (header[pos] == '\\' && pos + 1 < header.size()) ++pos;
        value += header[pos++];
      }
      pos = header.indexOf(';', pos);
    } else {
      const qsizetype semi = header.indexOf(';', pos);
      value = header.mid(pos, semi < 0 ? -1 : semi - pos).trimmed();
      pos = semi;
    }
    if (name == wanted) return value;
  }
  return QByteArray();
}

QByteArray StripAngles(QByteArray id) {
  id = id.trimmed();
  if (id.startsWith('<') && id.endsWith('>')) id = id.mid(1, id.size() - 2);
  return id;
}

QUrl WithoutFragment(QUrl url) {
  url.setFragment(QString());
  return url;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

QByteArray TMhtmlArchive::DecodeQuotedPrintable(const QByteArray& data) {
  QByteArray out;
  out.reserve(data.size());
  for (qsizetype i = 0; i < data.size(); ++i) {
    const char c = data[i];
    if (c != '=') {
      out += c;
      continue;
    }
    // Soft line break: "=" followed by optional blanks and the line end.
    qsizetype j = i + 1;
    while (j < data.size() && (data[j] == ' ' || data[j] == '\t')) ++j;
    if (j < data.size() && (data[j] == '\r' || data[j] == '\n')) {
      if (data[j] == '\r' && j + 1 < data.size() && data[j + 1] == '\n') ++j;
      i = j;
      continue;
    }
    if (j >= data.size()) {
      i = j;  // "=" at the very end: a soft break without line end
      continue;
    }
    if (i + 2 < data.size() && HexValue(data[i + 1]) >= 0 && HexValue(data[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(data[i + 1]) * 16 + HexValue(data[i + 2]));
      i += 2;
      continue;
    }
    out += c;  // a malformed escape stays as written
  }
  return out;
}

QByteArray TMhtmlArchive::DecodeBase64(const QByteArray& data) {
  QByteArray out;
  out.reserve(data.size() * 3 / 4);
  unsigned buffer = 0;
  int bits = 0;
  for (char c : data) {
    int v;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+' || c == '-')
      v = 62;
    else if (c == '/' || c == '_')
      v = 63;
    else if (c == '=')
      break;
    else
      continue;  // line ends and stray characters
    buffer = (buffer << 6) | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return out;
}

TMhtmlArchive TMhtmlArchive::Parse(const QByteArray& data) {
  TMhtmlArchive archive;
  archive.ParseEntity(data, QUrl());
  // Parts whose relative location had no base of their own sit beside the start document:
  // read them relative to its location, so that references between pages resolve.
  if (const TMhtmlPart* root = archive.Root(); root && !root->location.isRelative()) {
    const QUrl base = root->location;
    for (TMhtmlPart& part : archive.parts_) {
      if (!part.location.isEmpty() && part.location.isRelative()) {
        part.location = base.resolved(part.location);
      }
    }
  }
  return archive;
}

bool TMhtmlArchive::Load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  *this = Parse(file.readAll());
  return true;
}

void TMhtmlArchive::ParseEntity(const QByteArray& entity, const QUrl& base, int depth) {
  qsizetype bodyStart = 0;
  const Headers headers = ParseHeaders(entity, &bodyStart);
  const QByteArray contentType = headers.Get("content-type");
  const QByteArray type = MainValue(contentType);

  QUrl location;
  if (const QByteArray loc = headers.Get("content-location"); !loc.isEmpty()) {
    const QUrl url = QUrl(QString::fromUtf8(loc));
    location = base.isEmpty() ? url : base.resolved(url);
  }
  QUrl innerBase = location.isEmpty() ? base : location;
  if (const QByteArray contentBase = headers.Get("content-base"); !contentBase.isEmpty()) {
    const QUrl url = QUrl(QString::fromUtf8(contentBase));
    innerBase = base.isEmpty() ? url : base.resolved(url);
  }

  if (type.startsWith("multipart/") && depth < kMaxNesting) {
    const QByteArray boundary = Parameter(contentType, "boundary");
    if (parts_.empty() && startId_.isEmpty())
      startId_ = StripAngles(Parameter(contentType, "start"));
    if (!boundary.isEmpty()) {
      const QByteArray delimiter = "--" + boundary;
      // Walk the lines; a part runs from after one delimiter line to before the next.
      qsizetype pos = bodyStart;
      qsizetype partStart = -1;
      while (pos < entity.size()) {
        const qsizetype next = NextLine(entity, pos);
        const bool isDelimiter = entity.mid(pos, delimiter.size()) == delimiter;
        if (isDelimiter) {
          if (partStart >= 0) {
            // The line end before the delimiter belongs to the delimiter.
            qsizetype end = pos;
            if (end > partStart && entity[end - 1] == '\n') --end;
            if (end > partStart && entity[end - 1] == '\r') --end;
            ParseEntity(entity.mid(partStart, end - partStart), innerBase, depth + 1);
          }
          const bool closing = entity.mid(pos + delimiter.size(), 2) == "--";
          if (closing) return;
          partStart = next;
        }
        pos = next;
      }
      // No closing delimiter: the last part runs to the end of the data.
      if (partStart >= 0 && partStart < entity.size()) {
        ParseEntity(entity.mid(partStart), innerBase, depth + 1);
      }
      return;
    }
  }

  TMhtmlPart part;
  part.contentType = type.isEmpty() ? QByteArray("text/plain") : type;
  part.charset = Parameter(contentType, "charset").toLower();
  part.location = location;
  part.contentId = StripAngles(headers.Get("content-id"));
  const QByteArray encoding = MainValue(headers.Get("content-transfer-encoding"));
  const QByteArray raw = entity.mid(bodyStart);
  if (encoding == "quoted-printable") {
    part.body = DecodeQuotedPrintable(raw);
  } else if (encoding == "base64") {
    part.body = DecodeBase64(raw);
  } else {
    part.body = raw;
  }
  parts_.push_back(std::move(part));
}

const TMhtmlPart* TMhtmlArchive::Root() const {
  if (parts_.empty()) return nullptr;
  if (!startId_.isEmpty()) {
    for (const TMhtmlPart& p : parts_) {
      if (p.contentId == startId_) return &p;
    }
  }
  for (const TMhtmlPart& p : parts_) {
    if (p.contentType == "text/html") return &p;
  }
  return &parts_.front();
}

const TMhtmlPart* TMhtmlArchive::Find(const QUrl& reference, const QUrl& base) const {
  if (reference.scheme().compare(QLatin1String("cid"), Qt::CaseInsensitive) == 0) {
    const QByteArray id =
        QByteArray::fromPercentEncoding(reference.path(QUrl::FullyEncoded).toUtf8());
    for (const TMhtmlPart& p : parts_) {
      if (p.contentId == id) return &p;
    }
    return nullptr;
  }
  const QUrl wanted = WithoutFragment(base.isEmpty() ? reference : base.resolved(reference));
  for (const TMhtmlPart& p : parts_) {
    if (!p.location.isEmpty() && WithoutFragment(p.location) == wanted) return &p;
  }
  // A relative Content-Location without a base of its own matches the reference as written,
  // or, read relative to the referring document, the resolved reference.
  const QUrl plain = WithoutFragment(reference);
  for (const TMhtmlPart& p : parts_) {
    if (p.location.isEmpty() || !p.location.isRelative()) continue;
    if (WithoutFragment(p.location) == plain) return &p;
    if (!base.isEmpty() && WithoutFragment(base.resolved(p.location)) == wanted) return &p;
  }
  return nullptr;
}

QString TMhtmlArchive::Text(const TMhtmlPart& part) {
  if (!part.charset.isEmpty()) {
    QStringDecoder decoder(part.charset.constData());
    if (decoder.isValid()) return decoder.decode(part.body);
  }
  return QString::fromUtf8(part.body);
}

}  // namespace stampwell
