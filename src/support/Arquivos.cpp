#include "support/Arquivos.h"

#include <fstream>
#include <system_error>

namespace orv {

namespace fs = std::filesystem;

fs::path caminhoFs(std::string_view utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string textoDeCaminho(const fs::path& p) {
    const std::u8string u = p.u8string();
    return std::string(reinterpret_cast<const char*>(u.data()), u.size());
}

std::string incluirBarra(std::string_view caminho) {
    std::string s = trim(caminho);
    if (!s.empty() && s.back() != PathDelim) s += PathDelim;
    return s;
}

namespace {

bool acrescentar(std::string_view caminho, const std::string& bytes, bool truncar) {
    try {
        const fs::path p = caminhoFs(caminho);
        std::error_code ec;
        if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
        std::ofstream f(p, std::ios::binary | (truncar ? std::ios::trunc : std::ios::app));
        if (!f) return false;
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        return !f.fail();
    } catch (...) {
        return false;
    }
}

} // namespace

bool gravarLinhaArquivo(std::string_view caminho, std::string_view linha) {
    try {
        return acrescentar(caminho, utf8ParaAnsi(linha) + "\r\n", false);
    } catch (...) {
        return false;
    }
}

bool salvarTexto(std::string_view caminho, std::string_view texto, int pagina) {
    try {
        std::string linhas;
        std::size_t i = 0;
        while (i < texto.size()) {
            std::size_t fim = texto.find_first_of("\r\n", i);
            if (fim == std::string_view::npos) fim = texto.size();
            linhas.append(texto.substr(i, fim - i));
            linhas += "\r\n";
            if (fim < texto.size() && texto[fim] == '\r' && fim + 1 < texto.size() &&
                texto[fim + 1] == '\n')
                ++fim;
            i = fim + 1;
        }
        std::string bytes = utf8ParaPagina(linhas, pagina);
        const fs::path p = caminhoFs(caminho);
        std::ofstream f(p, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        std::error_code ec;
        return !f.fail() && fs::exists(p, ec);
    } catch (...) {
        return false;
    }
}

bool apagarArquivo(std::string_view caminho) {
    try {
        const fs::path p = caminhoFs(caminho);
        std::error_code ec;
        if (!fs::exists(p, ec) && !ec) return true;
        for (int tentativa = 0; tentativa < 5; ++tentativa) {
            fs::remove(p, ec);
            if (!fs::exists(p, ec) && !ec) return true;
        }
        return false;
    } catch (...) {
        return false;
    }
}

} // namespace orv
