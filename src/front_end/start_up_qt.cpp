#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/platform.h"
#include "common/version.h"
#include "common/working_folders.h"
#include "front_end/desktop_services_qt.h"
#include "front_end/main_window_qt.h"
#include "front_end/single_instance.h"
#include "front_end/start_up.h"

namespace droplet {
namespace {

// How long a later start waits for the running program to take its files.
constexpr int kHandOverMilliseconds = 10000;

std::string Bytes(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The name the program was started by, for the lines of --help.
std::string ProgramFile(int argc, char** argv) {
  if (argc < 1 || argv[0] == nullptr) return "droplet";
  const char* slash = std::strrchr(argv[0], '/');
  return slash == nullptr ? argv[0] : slash + 1;
}

// Under a Wayland session the window goes through XWayland when there is one: cutting a window
// to a shape, keeping it above the others and placing it are X11's to give, and Wayland gives
// an ordinary program none of them. A platform the user chose (QT_QPA_PLATFORM, -platform)
// stands; without XWayland (no DISPLAY) Qt starts on Wayland itself.
bool UseXWayland(int argc, char** argv) {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
      return false;
    }
  }
  const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                       qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
  return wayland && !qEnvironmentVariableIsEmpty("DISPLAY");
}

// A file named on the command line as the window takes it: a full path, from the folder the
// program was started in (a running instance has another), or the path of a file:// address.
std::string FullPath(const QString& argument) {
  QString path = argument;
  if (argument.startsWith(QLatin1String("file:"))) {
    const QUrl url(argument);
    if (url.isLocalFile()) path = url.toLocalFile();
  }
  return Bytes(QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath())));
}

}  // namespace

int RunProgram(const Deliverable& deliverable, int& argc, char** argv) {
  const std::string programFile = ProgramFile(argc, argv);
  const WorkingFolders folders = ResolveWorkingFolders(ProgramFolder(), deliverable.shortName);
  // --help and --version need no display: they are answered before the toolkit starts.
  const CommandLine early = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (early.help) {
    std::fputs(HelpText(deliverable, programFile, folders).c_str(), stdout);
    return 0;
  }
  if (early.version) {
    std::fputs(VersionText(deliverable).c_str(), stdout);
    return 0;
  }

  std::vector<char*> arguments(argv, argv + argc);
  char platformOption[] = "-platform";
  char xcb[] = "xcb";
  if (UseXWayland(argc, argv)) arguments.insert(arguments.begin() + 1, {platformOption, xcb});
  int qtArgc = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  QApplication application(qtArgc, arguments.data());
  QApplication::setApplicationName(QString::fromStdString(deliverable.shortName));
  QApplication::setApplicationVersion(QString::fromStdString(FormatVersion(deliverable.version)));

  // What is left once Qt has taken its own options.
  std::vector<std::string> left;
  for (int i = 1; i < qtArgc; ++i) left.emplace_back(arguments[static_cast<size_t>(i)]);
  const CommandLine line = ParseCommandLine(left);
  if (!line.unknownOption.empty()) {
    std::fputs(UnknownOptionText(programFile, line.unknownOption).c_str(), stderr);
    return 2;
  }
  std::vector<std::string> files;
  for (const std::string& file : line.files) {
    files.push_back(FullPath(QFile::decodeName(QByteArray::fromStdString(file))));
  }

  QtDesktopServices desktop;
  const std::string problem = PrepareWorkingFolders(folders, deliverable.shortName);
  if (!problem.empty()) {
    desktop.ShowMessageBox(problem, kMbIconExclamation, kApplicationTitle);
    return 1;
  }

  // Every spelling of the working folder names one instance.
  const QString workFolder = QFile::decodeName(QByteArray::fromStdString(folders.work));
  SingleInstance instance(InstanceName(
      deliverable.shortName, Bytes(QFile::encodeName(QFileInfo(workFolder).canonicalFilePath()))));
  if (!instance.IsFirst()) {
    if (instance.HandOver(files, kHandOverMilliseconds)) return 0;
    desktop.ShowMessageBox(HandOverFailedText(deliverable, folders, files), kMbIconExclamation,
                           kApplicationTitle);
    return 1;
  }

  Form1 form1(deliverable, folders);
  MoveToStartPosition(form1);
  form1.show();
  form1.CheckConverterSoon();
  // An unguarded start has said so already.
  if (!instance.Listen(
          [&form1](const std::vector<std::string>& handed) { form1.OpenFiles(handed); }) &&
      !instance.Address().empty()) {
    std::fprintf(stderr, "%s: cannot listen on %s; a later start cannot hand its files over\n",
                 programFile.c_str(), instance.Address().c_str());
  }
  if (!files.empty()) QTimer::singleShot(0, &form1, [&form1, &files] { form1.OpenFiles(files); });
  return QApplication::exec();
}

}  // namespace droplet
