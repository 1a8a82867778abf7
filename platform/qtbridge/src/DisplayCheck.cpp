#include "qtbridge/DisplayCheck.hpp"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QStringList>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform::qtbridge {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The platform names Qt would try, in order, without their ":options".
std::vector<std::string> platformCandidates(int argc, char** argv) {
  std::string chosen;
  for (int i = 1; i + 1 < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "-platform" || argument == "--platform") chosen = argv[i + 1];
  }
  if (chosen.empty()) chosen = environment("QT_QPA_PLATFORM");
  if (chosen.empty())
    chosen = !environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb"
                                                                                                       : "xcb";
  std::vector<std::string> names;
  for (const QString& entry : QString::fromStdString(chosen).split(';', Qt::SkipEmptyParts))
    names.push_back(entry.section(':', 0, 0).trimmed().toStdString());
  return names;
}

// Where Qt looks for its platform plugins.
QStringList platformPluginFolders() {
  QStringList folders{QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms"};
  for (const QString& path : QString::fromStdString(environment("QT_PLUGIN_PATH")).split(':', Qt::SkipEmptyParts))
    folders << path + "/platforms";
  if (auto extra = environment("QT_QPA_PLATFORM_PLUGIN_PATH"); !extra.empty()) folders << QString::fromStdString(extra);
  return folders;
}

// Whether a platform plugin answers to the name, as Qt picks one: by the keys
// in its metadata, whatever its case. Reading the metadata loads nothing.
bool platformPluginInstalled(const std::string& platform) {
  const QString name = QString::fromStdString(platform);
  for (const QString& folder : platformPluginFolders()) {
    QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files)) {
      const QJsonArray keys =
          QPluginLoader(dir.filePath(file)).metaData().value("MetaData").toObject().value("Keys").toArray();
      for (const auto& key : keys)
        if (key.toString().compare(name, Qt::CaseInsensitive) == 0) return true;
    }
  }
  return false;
}

bool waylandPluginInstalled() {
  for (const QString& folder : platformPluginFolders())
    if (!QDir(folder).entryList({"libqwayland*.so"}, QDir::Files).isEmpty()) return true;
  return false;
}

// The compositor's socket: WAYLAND_DISPLAY (default "wayland-0"), relative
// to XDG_RUNTIME_DIR unless it is a path.
bool waylandCompositorAnswers() {
  std::string name = environment("WAYLAND_DISPLAY");
  if (name.empty()) name = "wayland-0";
  std::string path = name.front() == '/' ? name : environment("XDG_RUNTIME_DIR") + "/" + name;
  if (name.front() != '/' && environment("XDG_RUNTIME_DIR").empty()) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int socketHandle = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socketHandle < 0) return false;
  bool connected = connect(socketHandle, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(socketHandle);
  return connected;
}

// Why the plugin cannot start, or nothing when it can; the X server's
// connection is handed to `probe` when it answered.
std::optional<std::string> problemOf(const std::string& platform, xcb_connection_t*& probe) {
  if (platform == "xcb") {
    std::string display = environment("DISPLAY");
    if (display.empty()) return "DISPLAY is not set";
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection) != 0) {
      xcb_disconnect(connection);
      return "no X server answers at DISPLAY " + display;
    }
    probe = connection;
    return std::nullopt;
  }
  if (platform.starts_with("wayland")) {
    if (!waylandPluginInstalled()) return "Qt's Wayland platform plugin is not installed";
    if (!waylandCompositorAnswers()) return "no Wayland compositor answers at WAYLAND_DISPLAY";
    return std::nullopt;
  }
  // Qt ends the process for a name that no plugin has (a typing slip in
  // QT_QPA_PLATFORM, say) as it does for a missing display.
  if (!platformPluginInstalled(platform)) return "Qt has no platform plugin named " + platform;
  return std::nullopt;
}

}  // namespace

DisplayCheck::DisplayCheck(int argc, char** argv) {
  std::string reasons;
  for (const auto& platform : platformCandidates(argc, argv)) {
    auto problem = problemOf(platform, probe_);
    if (!problem) return;
    reasons += (reasons.empty() ? "" : "; ") + *problem;
  }
  missingDisplay_ =
      "no display was found: " + (reasons.empty() ? std::string("no Qt platform plugin is named") : reasons);
}

DisplayCheck::~DisplayCheck() {
  if (probe_) xcb_disconnect(probe_);
}

}  // namespace platform::qtbridge
