#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/platform.h"
#include "common/version.h"
#include "front_end/desktop_services_qt.h"
#include "front_end/main_window_qt.h"
#include "front_end/single_instance.h"
#include "front_end/start_up.h"

namespace droplet {
namespace {

std::string Bytes(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString LocalName(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// Under a Wayland session the window goes through XWayland when there is one: cutting a window
// to a shape, keeping it above the others and placing it are X11's to give, and Wayland gives
// an ordinary program none of them. A platform the user chose (QT_QPA_PLATFORM, -platform)
// stands; without XWayland (no DISPLAY) Qt starts on Wayland itself.
bool UseXWayland(const std::vector<std::string>& toolkitArguments) {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return false;
  for (const std::string& argument : toolkitArguments) {
    if (argument == "-platform" || argument == "--platform") return false;
  }
  const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                       qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
  return wayland && !qEnvironmentVariableIsEmpty("DISPLAY");
}

// The program on Qt: the command line of main(), the standard output and error output, and the
// QApplication with the main window.
class QtProgramHost final : public ProgramHost {
 public:
  QtProgramHost(const Deliverable& deliverable, int argc, char** argv) : deliverable_(deliverable) {
    if (argc >= 1 && argv[0] != nullptr) programPath_ = argv[0];
    for (int i = 1; i < argc; ++i) arguments_.emplace_back(argv[i]);
  }

  std::vector<std::string> Arguments() override { return arguments_; }

  std::string ProgramFile() override {
    if (programPath_.empty()) return "droplet";
    return programPath_.substr(programPath_.rfind('/') + 1);
  }

  std::string ProgramFolder() override { return droplet::ProgramFolder(); }

  // Qt 6's own options on X11 and Wayland, as QApplication takes them from the command line.
  ToolkitOptions OptionsOfTheToolkit() override {
    return {.withValue = {"platform", "platformpluginpath", "platformtheme", "plugin",
                          "qwindowgeometry", "geometry", "qwindowtitle", "title", "qwindowicon",
                          "icon", "session", "style", "stylesheet", "display", "name", "visual",
                          "qmljsdebugger"},
            .flags = {"reverse", "testability", "widgetcount", "nograb", "dograb"},
            .joined = {"style", "stylesheet", "qmljsdebugger"}};
  }

  // Also the path of a file:// address, as a file manager may hand one over.
  std::string FullPath(const std::string& file) override {
    QString path = LocalName(file);
    if (path.startsWith(QLatin1String("file:"))) {
      const QUrl url(path);
      if (url.isLocalFile()) path = url.toLocalFile();
    }
    return Bytes(QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath())));
  }

  void Say(const std::string& text, Channel channel) override {
    std::fputs(text.c_str(), channel == Channel::kOutput ? stdout : stderr);
  }

  void StartToolkit(const std::vector<std::string>& toolkitArguments) override {
    toolkitArguments_ = {programPath_};
    if (UseXWayland(toolkitArguments))
      toolkitArguments_.insert(toolkitArguments_.end(), {"-platform", "xcb"});
    toolkitArguments_.insert(toolkitArguments_.end(), toolkitArguments.begin(),
                             toolkitArguments.end());
    for (std::string& argument : toolkitArguments_) argv_.push_back(argument.data());
    argc_ = static_cast<int>(argv_.size());
    argv_.push_back(nullptr);
    application_.emplace(argc_, argv_.data());
    QApplication::setApplicationName(QString::fromStdString(deliverable_.shortName));
    QApplication::setApplicationVersion(
        QString::fromStdString(FormatVersion(deliverable_.version)));
    desktop_.emplace();
  }

  DesktopServices& Desktop() override { return *desktop_; }

  std::string InstanceFolder(const std::string& workFolder) override {
    return Bytes(QFile::encodeName(QFileInfo(LocalName(workFolder)).canonicalFilePath()));
  }

  std::unique_ptr<InstanceClaim> ClaimInstance(const std::string& name) override {
    return std::make_unique<SingleInstance>(name);
  }

  void ShowMainWindow(const Deliverable& deliverable, const WorkingFolders& folders) override {
    window_ = std::make_unique<Form1>(deliverable, folders);
    MoveToStartPosition(*window_);
    window_->show();
  }

  void CheckConverterSoon() override { window_->CheckConverterSoon(); }
  void OpenFiles(const std::vector<std::string>& files) override { window_->OpenFiles(files); }
  int RunEventLoop() override { return QApplication::exec(); }

 private:
  const Deliverable& deliverable_;
  std::string programPath_;
  std::vector<std::string> arguments_;
  // What QApplication is given: it keeps them for its whole life.
  std::vector<std::string> toolkitArguments_;
  std::vector<char*> argv_;
  int argc_ = 0;
  std::optional<QApplication> application_;
  std::optional<QtDesktopServices> desktop_;
  std::unique_ptr<Form1> window_;
};

}  // namespace

int RunProgram(const Deliverable& deliverable, int& argc, char** argv) {
  QtProgramHost host(deliverable, argc, argv);
  return RunProgram(deliverable, host);
}

}  // namespace droplet
