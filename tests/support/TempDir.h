// A fresh temporary folder per test, removed at the end; points CINEVARO_INI at a file inside it.
#pragma once

#include <filesystem>
#include <string>

namespace cinevaro::testing {

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Path of a file inside the folder, as a native string.
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    // Writes bytes to a file inside the folder and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path m_path;
};

// Reads a whole file as bytes ("" when missing).
std::string readFile(const std::string& path);
// Path of a fixture under tests/data.
std::string dataFile(const std::string& name);

} // namespace cinevaro::testing
