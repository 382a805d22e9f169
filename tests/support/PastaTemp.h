#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace orv::teste {

class PastaTemp {
public:
    PastaTemp() {
        std::random_device rd;
        fPasta = std::filesystem::temp_directory_path() /
                 ("orvane-teste-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(fPasta);
    }
    ~PastaTemp() {
        std::error_code ec;
        std::filesystem::permissions(fPasta, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(fPasta, ec);
    }
    PastaTemp(const PastaTemp&) = delete;
    PastaTemp& operator=(const PastaTemp&) = delete;

    const std::filesystem::path& pasta() const { return fPasta; }
    // The folder with a trailing separator, as the program's base folder is kept.
    std::string base() const { return fPasta.string() + "/"; }
    std::string operator/(const std::string& nome) const { return (fPasta / nome).string(); }

private:
    std::filesystem::path fPasta;
};

inline std::string lerBytes(const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline void gravarBytes(const std::string& caminho, const std::string& bytes) {
    std::ofstream f(caminho, std::ios::binary | std::ios::trunc);
    f << bytes;
}

} // namespace orv::teste
