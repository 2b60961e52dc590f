// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "office/libreoffice/libreoffice_servers.h"
#include "platform/thread.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/open_sources.h"
#include "ui/program_windows.h"
#include "ui/qt_message_sink.h"
#include "ui/qt_ui_dispatcher.h"
#include "ui/translations.h"

// The desktop entry's and the icon's name, set by the build.
#ifndef STAMPWELL_APP_ID
#define STAMPWELL_APP_ID "stampwell"
#endif
#ifndef STAMPWELL_VERSION
#define STAMPWELL_VERSION "0.0.0"
#endif

namespace {

// Whether a display can be reached, checked before Qt would abort on a missing one. A Qt
// platform chosen explicitly (offscreen, say) is taken as it is. An X display on this machine
// (":0", "unix:1.0") must have its socket.
bool DisplayAvailable(std::string& why) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland && *wayland) return true;
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    why = "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)";
    return false;
  }
  std::string d = display;
  std::string host = d.substr(0, d.find(':'));
  if (d.find(':') != std::string::npos && (host.empty() || host == "unix")) {
    std::string number = d.substr(d.find(':') + 1);
    number = number.substr(0, number.find('.'));
    const std::string socket = "/tmp/.X11-unix/X" + number;
    struct stat st {};
    if (::stat(socket.c_str(), &st) != 0) {
      why = "the display " + d + " is not running (no " + socket + ")";
      return false;
    }
  }
  return true;
}

constexpr const char* kUsage =
    "Usage: stampwell [FOLDER | FILE]...\n"
    "Starts the Stampwell desktop program. Folders and .doc, .docx, .xls, .xlsx, .ppt,\n"
    ".pptx or .pdf files (and the OpenDocument formats) given to it open the new-job\n"
    "wizard with them as the job's sources.\n\n"
    "  --help     print this text\n"
    "  --version  print the version\n\n"
    "Saved jobs run without a desktop through stampwell-cli (see stampwell-cli --help).\n";

// Answers --help and --version before any window or display: 0 when answered, -1 to go on.
int AnswerWithoutWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) break;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::printf("stampwell %s\n", STAMPWELL_VERSION);
      return 0;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace stampwell;
  if (const int answered = AnswerWithoutWindow(argc, argv); answered >= 0) return answered;
  std::string why;
  if (!DisplayAvailable(why)) {
    std::fprintf(stderr,
                 "Stampwell is a desktop program and needs a graphical display, but %s.\n"
                 "Start it from a desktop session, or on a machine without a screen under a\n"
                 "virtual one: xvfb-run -a %s\n",
                 why.c_str(), argc > 0 ? argv[0] : "stampwell");
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Stampwell"));
  QApplication::setApplicationVersion(QStringLiteral(STAMPWELL_VERSION));
  InstallTranslations(app);

  // What is left of the command line once Qt took its own options: folders and documents.
  std::vector<std::string> paths;
  {
    QStringList args = QApplication::arguments();
    args.removeFirst();
    bool optionsEnd = false;
    for (const QString& arg : args) {
      if (!optionsEnd && arg == QLatin1String("--")) {
        optionsEnd = true;
      } else if (!optionsEnd && arg.startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "stampwell: unknown option %s\n%s", qPrintable(arg), kUsage);
        return 2;
      } else {
        paths.push_back(arg.toStdString());
      }
    }
  }
  const RHandedSources handed = JobItemsForSources(paths);
  const std::vector<RJobItem>& sources = handed.Items;
  for (const std::string& path : handed.Refused)
    std::fprintf(stderr,
                 "stampwell: %s is neither a folder nor a document Stampwell handles; left out\n",
                 path.c_str());
  // Ties the windows to the installed desktop entry (the shell shows its name and icon), and
  // gives windows without an icon of their own the installed program icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(STAMPWELL_APP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(STAMPWELL_APP_ID)));

  // The runner's progress reports and end handler, and message boxes raised on the runner's
  // thread, reach the UI thread through these two.
  TQtUiDispatcher dispatcher;
  SetMainDispatcher(&dispatcher);
  TQtMessageSink messages;

  RegisterLibreOfficeServers();
  const QString platform = QGuiApplication::platformName();
  SetOfficeHasDisplay(platform != QLatin1String("offscreen") &&
                      platform != QLatin1String("minimal"));

  int result = 0;
  {
    TfrmMain frmMain;
    frmMain.show();
    TfrmAbout frmAbout(&frmMain);
    TProgramWindows::SetAboutWindow(&frmAbout);
    TfrmHelp frmHelp(&frmMain);
    TProgramWindows::SetHelpWindow(&frmHelp);
    // Once the main window is up, the wizard starts a job on what the program was handed.
    if (!sources.empty())
      QTimer::singleShot(0, &frmMain, [&frmMain, &sources] { frmMain.NewJobFrom(sources); });
    result = QApplication::exec();
  }
  SetMainDispatcher(nullptr);
  return result;
}
