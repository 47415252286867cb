#include "TempDataDir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

std::string BytesOf(const std::array<std::u16string, 8>& lines)
{
    std::string s;
    for (const auto& l : lines)
        s += std::string(l.begin(), l.end()) + "\r\n";
    return s;
}

TempDataDir::TempDataDir()
{
    std::random_device seed;
    for (int tries = 0; tries < 100; ++tries) {
        const fs::path candidate =
            fs::temp_directory_path() / ("quorvelo-settings-" + std::to_string(seed()) + std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            root_ = candidate;
            fs::create_directory(Dados());
            return;
        }
    }
    throw std::runtime_error("no temporary directory");
}

TempDataDir::~TempDataDir()
{
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void TempDataDir::Write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(Dados() / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + name);
}

std::string TempDataDir::Read(const std::string& name) const
{
    std::ifstream in(Dados() / name, std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> TempDataDir::Names() const
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dados()))
        names.insert(entry.path().filename().string());
    return names;
}

TwoSaves MakeTwoSaves(const std::array<std::u16string, 8>& base)
{
    TwoSaves saves{base, base, {}, {}};
    saves.b[1] = std::u16string(50'000, u'b');
    saves.bytesA = BytesOf(saves.a);
    saves.bytesB = BytesOf(saves.b);
    return saves;
}
