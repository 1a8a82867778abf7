#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace test_support {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Writes a file below the folder (creating folders on the way).
  std::filesystem::path write(const std::string& relative, const std::string& contents) const;

 private:
  std::filesystem::path path_;
};

// Sets (or, with nullopt, unsets) an environment variable for the object's life.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, std::optional<std::string> value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

std::string readFile(const std::filesystem::path& path);

// All that can still be read from the descriptor (a pipe's end, say), up to
// its end or a failure.
std::string readToEnd(int descriptor);

// What is at the path, enough to tell whether it changed: its type and mode,
// its size, and where it leads when it is a symbolic link (which is not
// followed); "absent" when nothing is there.
std::string shapeOf(const std::filesystem::path& path);

}  // namespace test_support
