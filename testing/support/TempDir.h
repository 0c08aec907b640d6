#pragma once

#include <string>

namespace vexar::testing {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when
// the object goes out of scope. Paths end without a slash.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Whole-file helpers for tests.
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

}  // namespace vexar::testing
