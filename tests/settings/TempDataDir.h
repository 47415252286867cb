#pragma once

#include <array>
#include <filesystem>
#include <set>
#include <string>

// A throw-away data root holding an empty "Dados" folder, so that no test
// touches the real one.
// The bytes a save of these ASCII lines writes: each line, then CR LF.
std::string BytesOf(const std::array<std::u16string, 8>& lines);

// Two saves that follow each other: `base`, and `base` with a line 2 long
// enough for a reader or a kill to catch it half-written.
struct TwoSaves
{
    std::array<std::u16string, 8> a, b;
    std::string bytesA, bytesB;
};
TwoSaves MakeTwoSaves(const std::array<std::u16string, 8>& base);

class TempDataDir
{
public:
    TempDataDir();
    ~TempDataDir();
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Dados() const { return root_ / "Dados"; }

    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    // Names of everything in "Dados".
    std::set<std::string> Names() const;

private:
    std::filesystem::path root_;
};
