// SPDX-License-Identifier: GPL-3.0-or-later
// Packs the help sources into one web archive (MIME HTML, multipart/related):
//   stampwell_mht_pack <output.mht> <base-url> <file>|<content-type>|<relative-location>|<encoding>
//   ...
// The first file is the start document; text parts are declared UTF-8. Encodings: quoted-printable
// or base64. Every part carries an absolute Content-Location (base-url + relative location), so
// that the document's relative references find them. The archive is written to a temporary file
// next to the output and renamed over it.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kBoundary = "----=_NextPart_000_Stampwell_Help";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Lines of at most 76 characters, soft breaks ("=" + CRLF) inside long lines, every "=",
// control and non-ASCII byte and every blank before a line end escaped.
std::string QuotedPrintable(const std::string& data) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  int column = 0;
  auto put = [&](const std::string& piece) {
    if (column + static_cast<int>(piece.size()) > 75) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += static_cast<int>(piece.size());
  };
  for (std::size_t i = 0; i < data.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') continue;
    if (c == '\n') {
      out += "\r\n";
      column = 0;
      continue;
    }
    const bool lineEnd = i + 1 == data.size() || data[i + 1] == '\n' || data[i + 1] == '\r';
    const bool plain = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnd);
    if (plain) {
      put(std::string(1, static_cast<char>(c)));
    } else {
      put(std::string{'=', hex[c >> 4], hex[c & 15]});
    }
  }
  return out;
}

std::string Base64(const std::string& data) {
  static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  int column = 0;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    unsigned n = static_cast<unsigned char>(data[i]) << 16;
    if (i + 1 < data.size()) n |= static_cast<unsigned char>(data[i + 1]) << 8;
    if (i + 2 < data.size()) n |= static_cast<unsigned char>(data[i + 2]);
    out += table[(n >> 18) & 63];
    out += table[(n >> 12) & 63];
    out += i + 1 < data.size() ? table[(n >> 6) & 63] : '=';
    out += i + 2 < data.size() ? table[n & 63] : '=';
    column += 4;
    if (column >= 76) {
      out += "\r\n";
      column = 0;
    }
  }
  if (column > 0) out += "\r\n";
  return out;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(current);
  return parts;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: stampwell_mht_pack <output.mht> <base-url> "
                 "<file>|<type>|<location>|<encoding> ...\n";
    return 2;
  }
  try {
    const std::string output = argv[1];
    const std::string base = argv[2];
    std::string archive =
        "From: <Saved by Stampwell>\r\n"
        "Subject: Stampwell Help\r\n"
        "MIME-Version: 1.0\r\n"
        "Content-Type: multipart/related;\r\n"
        "\ttype=\"text/html\";\r\n"
        "\tboundary=\"" +
        std::string(kBoundary) +
        "\"\r\n"
        "\r\n"
        "This is a multi-part message in MIME format.\r\n";
    for (int i = 3; i < argc; ++i) {
      const std::vector<std::string> fields = Split(argv[i], '|');
      if (fields.size() != 4) throw std::runtime_error(std::string("bad part: ") + argv[i]);
      const std::string body = ReadAll(fields[0]);
      archive += "\r\n--" + std::string(kBoundary) + "\r\n";
      // The sources are UTF-8 text.
      const bool text = fields[1].rfind("text/", 0) == 0;
      archive += "Content-Type: " + fields[1] + (text ? "; charset=\"utf-8\"" : "") + "\r\n";
      archive += "Content-Transfer-Encoding: " + fields[3] + "\r\n";
      archive += "Content-Location: " + base + fields[2] + "\r\n\r\n";
      if (fields[3] == "base64") {
        archive += Base64(body);
      } else if (fields[3] == "quoted-printable") {
        archive += QuotedPrintable(body) + "\r\n";
      } else {
        throw std::runtime_error("unknown encoding " + fields[3]);
      }
    }
    archive += "\r\n--" + std::string(kBoundary) + "--\r\n";

    const std::string temp = output + ".tmp";
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      out << archive;
      if (!out.flush()) throw std::runtime_error("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), output.c_str()) != 0) {
      std::remove(temp.c_str());
      throw std::runtime_error("cannot rename " + temp + " to " + output);
    }
  } catch (const std::exception& e) {
    std::cerr << "stampwell_mht_pack: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
