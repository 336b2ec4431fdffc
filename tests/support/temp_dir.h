#pragma once

#include <string>
#include <vector>

namespace tesselane::testing {

// A fresh directory under the system's temporary folder, removed with its contents when
// the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

  private:
    std::string path_;
};

// The bytes of a file, or an empty string when it cannot be read.
std::string readFile(const std::string& path);
// Writes bytes to path; false on failure.
bool writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
// Names of the entries of a directory, without "." and "..", sorted.
std::vector<std::string> listDirectory(const std::string& path);

}  // namespace tesselane::testing
