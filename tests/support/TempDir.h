#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <string>

namespace orlim::testing {

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

// Writes `bytes` to `path`, replacing it; fails the test on error.
void writeFile(const std::string& path, const std::string& bytes);
// The whole file, or an empty string when it cannot be read.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

} // namespace orlim::testing
