#include "cfe/ArquivoXML.h"

#include "support/Texto.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orv {

bool declaraUtf8(std::string_view texto) {
    // Taken as 8-bit text, each byte is one character.
    const std::string inicio = minusculas(texto.substr(0, 50));
    const auto p = inicio.find("encoding");
    return p != std::string::npos && inicio.find("utf-8", p) != std::string::npos;
}

std::string xmlParaTexto(std::string_view bytes, bool removerDeclaracao) {
    if (!declaraUtf8(bytes)) return ansiParaUtf8(bytes);
    std::string texto = ehUtf8Valido(bytes) && !bytes.empty() ? std::string(bytes)
                                                              : ansiParaUtf8(bytes);
    if (removerDeclaracao) {
        const auto i = texto.find("<?");
        if (i != std::string::npos) {
            const auto f = texto.find("?>", i + 2);
            if (f != std::string::npos) texto.erase(i, f + 2 - i);
        }
    }
    return texto;
}

namespace {

// UTF-16 code units to UTF-8.
std::string utf16ParaUtf8(std::string_view b, bool bigEndian) {
    std::u32string cps;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        auto unidade = [&](std::size_t k) -> char32_t {
            const auto a = static_cast<unsigned char>(b[k]), c = static_cast<unsigned char>(b[k + 1]);
            return bigEndian ? (a << 8 | c) : (c << 8 | a);
        };
        char32_t u = unidade(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            const char32_t v = unidade(i + 2);
            if (v >= 0xDC00 && v < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                i += 2;
            }
        }
        cps.push_back(u);
    }
    return deCodepoints(cps);
}

} // namespace

std::string lerArquivoXML(const std::string& caminho) {
    std::ifstream arq(caminho, std::ios::binary);
    if (!arq) throw std::runtime_error("Não foi possível abrir o arquivo \"" + caminho + "\"");
    std::string bytes((std::istreambuf_iterator<char>(arq)), std::istreambuf_iterator<char>());
    if (arq.bad()) throw std::runtime_error("Erro ao ler o arquivo \"" + caminho + "\"");

    std::string texto;
    if (comecaCom(bytes, "\xEF\xBB\xBF"))
        texto = utf8ParaAnsi(std::string_view(bytes).substr(3));
    else if (comecaCom(bytes, "\xFF\xFE"))
        texto = utf8ParaAnsi(utf16ParaUtf8(std::string_view(bytes).substr(2), false));
    else if (comecaCom(bytes, "\xFE\xFF"))
        texto = utf8ParaAnsi(utf16ParaUtf8(std::string_view(bytes).substr(2), true));
    else
        texto = std::move(bytes);

    // Lines end at CR LF, LF or CR; each line is given back with CR LF.
    std::string r;
    r.reserve(texto.size() + texto.size() / 32 + 2);
    std::size_t i = 0;
    while (i < texto.size()) {
        const auto f = texto.find_first_of("\r\n", i);
        if (f == std::string::npos) {
            r.append(texto, i, std::string::npos);
            r += "\r\n";
            break;
        }
        r.append(texto, i, f - i);
        r += "\r\n";
        i = f + 1;
        if (texto[f] == '\r' && i < texto.size() && texto[i] == '\n') ++i;
    }
    return r;
}

void gravarArquivoXML(const std::string& caminho, std::string_view bytes) {
    if (bytes.empty()) {
        std::ifstream existe(caminho, std::ios::binary);
        if (existe) return;
    }
    std::ofstream arq(caminho, std::ios::binary | std::ios::trunc);
    if (!arq) throw std::runtime_error("Não foi possível criar o arquivo \"" + caminho + "\"");
    arq.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    arq.flush();
    if (!arq) throw std::runtime_error("Erro ao gravar o arquivo \"" + caminho + "\"");
}

} // namespace orv
