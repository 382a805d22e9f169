#include "support/Substituicoes.h"

#include "support/Texto.h"

#include <algorithm>

namespace orv {

std::string trocarEspeciais(std::string_view texto, int modo) {
    std::string s(texto);
    if (modo == 0) {
        s = substituirTudo(s, "`", "¨");
        s = substituirTudo(s, "'", "½");
        s = substituirTudo(s, "\"", "¾");
    } else if (modo == 1) {
        s = substituirTudo(s, "¢", "'");
        s = substituirTudo(s, "¨", "`");
        s = substituirTudo(s, "½", "'");
        s = substituirTudo(s, "¥", "\"");
        s = substituirTudo(s, "¾", "\"");
        s = substituirTudo(s, "ÃƒÂ¡", "á");
        s = substituirTudo(s, "ÃƒÂ£", "ã");
        s = substituirTudo(s, "Â", "");
    }
    return s;
}

namespace {

struct Acento {
    std::u32string_view de;
    char32_t para;
};
constexpr Acento kAcentos[] = {
    {U"ÀÁÂÃ", U'A'}, {U"Ç", U'C'}, {U"ÉÊ", U'E'}, {U"Í", U'I'}, {U"ÓÔÕ", U'O'}, {U"Ú", U'U'},
    {U"àáâã", U'a'}, {U"ç", U'c'}, {U"éê", U'e'}, {U"í", U'i'}, {U"óôõ", U'o'}, {U"ú", U'u'},
};

} // namespace

std::string removerAcentos(std::string_view texto) {
    std::u32string cps = paraCodepoints(texto);
    for (char32_t& c : cps)
        for (const Acento& a : kAcentos)
            if (a.de.find(c) != std::u32string_view::npos) c = a.para;
    return deCodepoints(cps);
}

std::string textoParaUtf8(std::string_view texto) {
    std::string r;
    r.reserve(texto.size() + 2);
    std::size_t i = 0;
    while (i < texto.size()) {
        std::size_t fim = texto.find_first_of("\r\n", i);
        if (fim == std::string_view::npos) fim = texto.size();
        r.append(texto.substr(i, fim - i));
        r += "\r\n";
        if (fim + 1 < texto.size() && texto[fim] == '\r' && texto[fim + 1] == '\n') ++fim;
        i = fim + 1;
    }
    return r;
}

namespace {

constexpr int kGrupos = 60;
constexpr int kMaxGrupo = 9999;

int multiplicador(int i) {
    return (kMultiplicadoresCodificacao[2 * i] - '0') * 10 +
           (kMultiplicadoresCodificacao[2 * i + 1] - '0');
}

std::string decodificar(std::string_view texto) {
    std::u32string r;
    for (int i = 0; i < kGrupos; ++i) {
        const std::size_t ini = static_cast<std::size_t>(4 * i);
        if (ini + 4 > texto.size()) break;
        int g = 0;
        bool numero = true;
        for (std::size_t k = ini; k < ini + 4; ++k) {
            numero = numero && texto[k] >= '0' && texto[k] <= '9';
            g = g * 10 + (texto[k] - '0');
        }
        if (!numero) break;
        r += static_cast<char32_t>((g + 7) / multiplicador(i));
    }
    return deCodepoints(r);
}

std::string codificar(std::string_view texto) {
    const std::u32string cps = paraCodepoints(texto);
    std::string r;
    for (std::size_t i = 0; i < cps.size() && i < kGrupos; ++i) {
        const int m = multiplicador(static_cast<int>(i));
        long long c = static_cast<long long>(cps[i]);
        // Four digits carry codes up to (9999 + 7) / m: a letter too large for its place goes
        // without its accent, anything else that does not fit as "?".
        if (c * m - 7 > kMaxGrupo)
            c = static_cast<long long>(
                paraCodepoints(removerAcentos(deCodepoints(cps.substr(i, 1))))[0]);
        if (c < 32 || c * m - 7 > kMaxGrupo) c = '?';
        // Any g in [c*m - 7, c*m - 7 + m - 1] decodes to c; the spread only varies the digits.
        long long g = c * m - 7 + static_cast<long long>((c + static_cast<long long>(i)) % m);
        if (g > kMaxGrupo) g = kMaxGrupo;
        // g is at least 32 - 7 here, so this is always four digits with leading zeros.
        const std::string digitos = std::to_string(g);
        r.append(4 - std::min<std::size_t>(digitos.size(), 4), '0');
        r += digitos;
    }
    return r;
}

} // namespace

std::string codificarTexto(std::string_view texto, int modo) {
    if (modo == kDecodificar) return decodificar(texto);
    if (modo == kCodificar) return codificar(texto);
    return std::string(texto);
}

void erroDesconhecido(std::string& cError, std::string_view contexto) {
    if (trim(cError).empty()) cError = "Erro desconhecido: " + std::string(contexto);
}

} // namespace orv
