#include <sys/stat.h>
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "office/libreoffice/libreoffice_servers.h"
#include "platform/thread.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/program_windows.h"
#include "ui/qt_message_sink.h"
#include "ui/qt_ui_dispatcher.h"

// The desktop entry's and the icon's name, set by the build.
#ifndef STAMPWELL_APP_ID
#define STAMPWELL_APP_ID "stampwell"
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

}  // namespace

int main(int argc, char** argv) {
  using namespace stampwell;
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
    result = QApplication::exec();
  }
  SetMainDispatcher(nullptr);
  return result;
}
