#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace orvelin::testing {

// The path of a UTF-8 path string, on every OS.
std::filesystem::path Utf8Path(const std::string& path);

// A fresh folder in the system's temporary folder (TMPDIR, or /tmp), removed
// with all it holds. Its path uses "/" on every OS.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, ending in "/".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
// The file's bytes, or "<missing>".
std::string ReadBytes(const std::string& path);
// Sets when the file or folder at path last changed, in seconds since 1970 (UTC).
void SetLastChange(const std::string& path, std::int64_t seconds);
// Makes the file or folder at path look last changed two hours ago.
void MakeOld(const std::string& path);

}  // namespace orvelin::testing
