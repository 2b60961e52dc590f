// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/uno_bootstrap.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include <cppuhelper/bootstrap.hxx>
#include <osl/file.hxx>
#include <rtl/ustring.hxx>

#include "office/automation/ole_variant.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell {

std::string LibreOfficeProgramDir() { return STAMPWELL_LO_PROGRAM_DIR; }

std::string UnoBootstrapIni(const std::string& programDir) {
  const std::string base = "file://" + programDir + "/";
  return "[Bootstrap]\n"
         "UNO_TYPES=" +
         base + "types.rdb " + base +
         "types/offapi.rdb\n"
         "UNO_SERVICES=" +
         base + "services.rdb\n";
}

namespace {

css::uno::Reference<css::uno::XComponentContext> Bootstrap() {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path dir = fs::temp_directory_path(ec);
  if (ec) dir = "/tmp";
  // One file per program run: written once, read once by the bootstrap, then removed. Made
  // new under a name no one can take first (never a file or link someone else put there),
  // readable by this user alone.
  std::string templ = (dir / "stampwell-uno-XXXXXX.ini").string();
  const int fd = ::mkstemps(templ.data(), 4);
  if (fd < 0)
    throw EOleError("Cannot write the UNO bootstrap file in " + dir.string() + ": " +
                    std::strerror(errno));
  const fs::path ini = templ;
  const std::string text = UnoBootstrapIni(LibreOfficeProgramDir());
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (!written) {
    fs::remove(ini, ec);
    throw EOleError("Cannot write the UNO bootstrap file " + ini.string());
  }
  OUString url;
  osl::FileBase::getFileURLFromSystemPath(uno::ToOU(ini.string()), url);
  try {
    auto ctx = cppu::defaultBootstrap_InitialComponentContext(url);
    fs::remove(ini, ec);
    return ctx;
  } catch (const css::uno::Exception& e) {
    fs::remove(ini, ec);
    throw EOleError("Cannot start UNO: " + uno::ToStd(e.Message));
  }
}

}  // namespace

css::uno::Reference<css::uno::XComponentContext> LocalUnoContext() {
  static std::mutex mutex;
  static css::uno::Reference<css::uno::XComponentContext> context;
  std::lock_guard<std::mutex> lock(mutex);
  if (!context.is()) {
    // The bridge writes to the office's pipe; when that process dies, the write must fail
    // with an error, not end this program with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    context = Bootstrap();
  }
  return context;
}

}  // namespace stampwell
