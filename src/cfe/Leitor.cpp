#include "cfe/Leitor.h"

#include "support/DataHora.h"
#include "support/Texto.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace orv {

namespace {

char maiuscula(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Position of `agulha` (already upper case) in `texto` ignoring ASCII case; npos when absent.
// Tags are short, so this stays linear in the text.
std::size_t acharSemCaixa(std::string_view texto, std::string_view agulha, std::size_t de = 0) {
    if (agulha.empty()) return de <= texto.size() ? de : std::string_view::npos;
    if (texto.size() < agulha.size()) return std::string_view::npos;
    const std::size_t ultimo = texto.size() - agulha.size();
    const char primeiro = agulha[0];
    const bool semCaixa = primeiro < 'A' || primeiro > 'Z';  // "<", "/": jump with memchr
    for (std::size_t i = de; i <= ultimo; ++i) {
        if (semCaixa) {
            const void* p = std::memchr(texto.data() + i, primeiro, ultimo - i + 1);
            if (!p) return std::string_view::npos;
            i = static_cast<std::size_t>(static_cast<const char*>(p) - texto.data());
        } else if (maiuscula(texto[i]) != primeiro) {
            continue;
        }
        std::size_t k = 1;
        while (k < agulha.size() && maiuscula(texto[i + k]) == agulha[k]) ++k;
        if (k == agulha.size()) return i;
    }
    return std::string_view::npos;
}

bool ehHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int valorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

[[noreturn]] void dataInvalida(std::string_view tag, std::string_view conteudo) {
    throw std::runtime_error("Data/hora inválida na tag <" + std::string(tag) + ">: \"" +
                             std::string(conteudo) + "\"");
}

// A date or time part: the characters [inicio, inicio + n) of `s`, digits only.
int parte(std::string_view s, std::size_t inicio, std::size_t n, std::string_view tag,
          std::string_view conteudo) {
    if (inicio + n > s.size()) dataInvalida(tag, conteudo);
    int v = 0;
    for (std::size_t i = inicio; i < inicio + n; ++i) {
        char c = s[i];
        if (c < '0' || c > '9') dataInvalida(tag, conteudo);
        v = v * 10 + (c - '0');
    }
    return v;
}

TDateTime montar(int a, int m, int d, int h, int n, int s, bool comData, std::string_view tag,
                 std::string_view conteudo) {
    try {
        TDateTime r = 0;
        if (comData) r = codificarData(a, m, d);
        return r + codificarHora(h, n, s);
    } catch (const std::exception&) {
        dataInvalida(tag, conteudo);
    }
}

// hh:nn[:ss] starting at `i`; an empty rest is midnight.
void lerHora(std::string_view s, std::size_t i, int& h, int& n, int& seg, std::string_view tag,
             std::string_view conteudo) {
    h = n = seg = 0;
    if (i >= s.size()) return;
    h = parte(s, i, 2, tag, conteudo);
    if (i + 2 >= s.size() || s[i + 2] != ':') dataInvalida(tag, conteudo);
    n = parte(s, i + 3, 2, tag, conteudo);
    if (i + 5 < s.size()) {
        if (s[i + 5] != ':') dataInvalida(tag, conteudo);
        seg = parte(s, i + 6, 2, tag, conteudo);
        if (i + 8 != s.size()) dataInvalida(tag, conteudo);
    }
}

TDateTime lerData(TTipoCampo tipo, std::string_view c, std::string_view tag) {
    auto P = [&](std::size_t i, std::size_t n) { return parte(c, i, n, tag, c); };
    auto exato = [&](std::size_t n) {
        if (c.size() != n) dataInvalida(tag, c);
    };
    int a = 0, m = 0, d = 0, h = 0, n = 0, s = 0;
    switch (tipo) {
    case tcDat:
        exato(10);
        a = P(0, 4), m = P(5, 2), d = P(8, 2);
        return montar(a, m, d, 0, 0, 0, true, tag, c);
    case tcDatCFe:
        exato(8);
        return montar(P(0, 4), P(4, 2), P(6, 2), 0, 0, 0, true, tag, c);
    case tcDatVcto:
        exato(10);
        d = P(0, 2), m = P(3, 2), a = P(6, 4);
        return montar(a, m, d, 0, 0, 0, true, tag, c);
    case tcDatBol:
        exato(8);
        d = P(0, 2), m = P(2, 2), a = P(4, 4);
        return montar(a, m, d, 0, 0, 0, true, tag, c);
    case tcDatHorCFe:
        exato(14);
        a = P(0, 4), m = P(4, 2), d = P(6, 2), h = P(8, 2), n = P(10, 2), s = P(12, 2);
        return montar(a, m, d, h, n, s, true, tag, c);
    case tcHor:
        lerHora(c, 0, h, n, s, tag, c);
        return montar(0, 0, 0, h, n, s, false, tag, c);
    case tcHorCFe:
        exato(6);
        return montar(0, 0, 0, P(0, 2), P(2, 2), P(4, 2), false, tag, c);
    case tcDatHor:
        if (c.find('/') != std::string_view::npos) {
            d = P(0, 2), m = P(3, 2), a = P(6, 4);
            std::size_t t = (c.size() > 10 && (c[10] == ' ' || c[10] == 'T')) ? 11 : 10;
            lerHora(c, t, h, n, s, tag, c);
        } else {
            a = P(0, 4), m = P(5, 2), d = P(8, 2);
            if (c.size() > 10 && c[10] != 'T') dataInvalida(tag, c);
            lerHora(c, 11, h, n, s, tag, c);
        }
        return montar(a, m, d, h, n, s, true, tag, c);
    default:
        return 0;
    }
}

} // namespace

std::string decodificarEntidades(std::string_view s) {
    std::string r(s);
    std::size_t cd = r.find("<![CDATA[");
    if (cd != std::string::npos) {
        r.erase(cd, 9);
        std::size_t f = r.find("]]>");
        if (f != std::string::npos) r.erase(f, 3);
        return std::string(aparar(r));
    }
    if (r.find('&') != std::string::npos) {
        r = substituirTudo(r, "&amp;", "&");
        r = substituirTudo(r, "&lt;", "<");
        r = substituirTudo(r, "&gt;", ">");
        r = substituirTudo(r, "&quot;", "\"");
        r = substituirTudo(r, "&#39;", "'");
        if (r.find("&#x") != std::string::npos) {
            std::string t;
            t.reserve(r.size());
            std::size_t i = 0;
            while (i < r.size()) {
                std::size_t a = r.find("&#x", i);
                std::size_t f = a == std::string::npos ? a : r.find(';', a + 3);
                if (a == std::string::npos || f == std::string::npos) {
                    t.append(r, i, std::string::npos);
                    break;
                }
                t.append(r, i, a - i);
                std::string_view dig(r.data() + a + 3, f - a - 3);
                bool hex = !dig.empty();
                for (char c : dig) hex = hex && ehHex(c);
                if (hex) {
                    std::string bytes;
                    for (std::size_t k = 0; k < dig.size(); k += 2) {
                        int v = valorHex(dig[k]);
                        if (k + 1 < dig.size()) v = v * 16 + valorHex(dig[k + 1]);
                        bytes += static_cast<char>(v);
                    }
                    t += ansiParaUtf8(bytes);
                } else {
                    t += dig;
                }
                i = f + 1;
            }
            r.swap(t);
        }
    }
    return std::string(aparar(r));
}

double lerDecimal(std::string_view s, bool* ok) {
    std::string_view t = aparar(s);
    std::size_t ultimo = t.find_last_of(".,");
    std::string n;
    n.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c == '.' || c == ',') {
            if (i == ultimo) n += '.';
        } else {
            n += c;
        }
    }
    std::string_view v = n;
    if (!v.empty() && v[0] == '+') v.remove_prefix(1);
    double r = 0;
    auto res = std::from_chars(v.data(), v.data() + v.size(), r);
    bool certo = !v.empty() && res.ec == std::errc() && res.ptr == v.data() + v.size() && std::isfinite(r);
    if (!certo) r = 0;
    if (ok) *ok = certo;
    return r;
}

const std::string& TLeitor::Nivel(int n) const {
    if (n < 0 || n > MaxNivel) throw std::out_of_range("Nível de leitura inválido: " + std::to_string(n));
    return n == 0 ? Arquivo : fNivel[static_cast<std::size_t>(n)];
}

std::string TLeitor::rExtrai(int nivel, std::string_view TagInicio, std::string_view TagFim, int item) {
    if (nivel < 1 || nivel > MaxNivel)
        throw std::out_of_range("Nível de leitura inválido: " + std::to_string(nivel));
    std::string S(aparar(TagInicio));
    std::string E(aparar(TagFim).empty() ? aparar(TagInicio) : aparar(TagFim));
    const std::string fim = "</" + E + ">", fimPrefixo = "</" + E + ":";

    Grupo.clear();
    fNivel[static_cast<std::size_t>(nivel)].clear();
    std::string_view texto = Nivel(nivel - 1);

    auto acharFim = [&](std::string_view t, std::size_t& tam) {
        std::size_t p = t.find(fim);
        tam = fim.size();
        if (p == std::string_view::npos) {
            p = t.find(fimPrefixo);
            tam = fimPrefixo.size();
        }
        return p;
    };

    std::size_t tam = 0;
    for (int i = 1; i < item; ++i) {
        std::size_t p = acharFim(texto, tam);
        if (p == std::string_view::npos) return {};
        texto.remove_prefix(p + tam);
    }
    std::size_t p = acharFim(texto, tam);
    if (p == std::string_view::npos) return {};
    texto = texto.substr(0, p + tam);

    std::size_t inicio = texto.find("<" + S + ">");
    if (inicio == std::string_view::npos) inicio = texto.find("<" + S + " ");
    if (inicio == std::string_view::npos) inicio = texto.find("<" + S + ":");
    if (inicio == std::string_view::npos) return {};
    texto.remove_prefix(inicio);
    p = acharFim(texto, tam);
    std::string_view grupo = texto.substr(0, p + tam);
    while (!grupo.empty() && static_cast<unsigned char>(grupo.back()) <= ' ') grupo.remove_suffix(1);
    Grupo.assign(grupo);
    fNivel[static_cast<std::size_t>(nivel)] = Grupo;
    return Grupo;
}

TVariante TLeitor::rCampo(TTipoCampo Tipo, std::string_view TAG, std::string_view TAGparada) const {
    std::string_view tag = aparar(TAG);
    const std::string T = maiusculas(tag);
    const std::string abre = "<" + T + ">", fecha = "</" + T + ">";
    std::string_view g = Grupo;

    std::size_t p = acharSemCaixa(g, abre);
    std::size_t q;
    if (!aparar(TAGparada).empty()) {
        q = acharSemCaixa(g, "<" + maiusculas(aparar(TAGparada)) + ">");
        if (q == std::string_view::npos) q = p;
    } else {
        q = acharSemCaixa(g, fecha);
    }
    // Positions counted from 1, 0 for "absent", as the rules are written.
    auto pos1 = [](std::size_t x) { return x == std::string_view::npos ? std::size_t{0} : x + 1; };
    std::size_t P = pos1(p), Q = pos1(q);

    std::string_view conteudo;
    if (Q >= P) {
        std::size_t inicio = std::string_view::npos;
        if (P > 0) {
            inicio = p + abre.size();
        } else if (Q > 1) {
            // A start tag with attributes: the content begins after the last ">" before q.
            std::size_t gt = g.rfind('>', q - 1);
            if (gt != std::string_view::npos) inicio = gt + 1;
        }
        if (inicio != std::string_view::npos) {
            std::size_t f = acharSemCaixa(g, fecha);
            if (f != std::string_view::npos && f >= inicio) conteudo = aparar(g.substr(inicio, f - inicio));
        }
    }

    switch (Tipo) {
    case tcStr:
        return decodificarEntidades(conteudo);
    case tcEsp:
        return std::string(conteudo);
    case tcInt:
    case tcInt64: {
        long long v = 0;
        bool algum = false;
        for (char c : conteudo) {
            if (c < '0' || c > '9') continue;
            algum = true;
            if (v > (9223372036854775807LL - 9) / 10) return 0LL;  // does not fit: read as 0
            v = v * 10 + (c - '0');
        }
        return algum ? v : 0LL;
    }
    case tcDat:
    case tcDatHor:
    case tcHor:
    case tcDatCFe:
    case tcHorCFe:
    case tcDatVcto:
    case tcDatHorCFe:
    case tcDatBol:
        if (conteudo.empty()) return 0.0;
        return lerData(Tipo, conteudo, tag);
    case tcDe1:
    case tcDe2:
    case tcDe3:
    case tcDe4:
    case tcDe5:
    case tcDe6:
    case tcDe7:
    case tcDe8:
    case tcDe10: {
        double v = lerDecimal(conteudo);
        if (FloatIsIntString) {
            int casas = Tipo == tcDe1 ? 1 : Tipo == tcDe2 ? 2 : Tipo == tcDe3 ? 3 : Tipo == tcDe4 ? 4
                      : Tipo == tcDe5 ? 5 : Tipo == tcDe6 ? 6 : Tipo == tcDe7 ? 7 : Tipo == tcDe8 ? 8 : 10;
            v /= std::pow(10.0, casas);
        }
        return v;
    }
    default:
        throw std::runtime_error("Tag <" + T + "> com conteúdo inválido. " + std::string(conteudo));
    }
}

std::string TLeitor::rCampoCNPJCPF(std::string_view TAGparada) const {
    std::string r = rCampo(tcStr, "CNPJ", TAGparada).paraTexto();
    if (aparar(r).empty()) r = rCampo(tcStr, "CPF", TAGparada).paraTexto();
    return r;
}

TVariante TLeitor::rAtributo(std::string_view Atributo, std::string_view Tag) const {
    std::string nome(aparar(Atributo));
    if (nome.empty()) return std::string();
    std::string_view g = Grupo;
    auto achar = [&](std::size_t de, std::size_t& tam) {
        if (nome.back() == '=') {
            tam = nome.size();
            return g.find(nome, de);
        }
        tam = nome.size() + 1;
        std::size_t p = g.find(nome + "=", de);
        if (p == std::string_view::npos) p = g.find(nome + " ", de);
        return p;
    };
    std::size_t tam = 0;
    std::size_t p = achar(0, tam);
    if (p == std::string_view::npos) return std::string();
    if (!Tag.empty()) {
        std::size_t t = g.find(Tag, p + 1);
        if (t != std::string_view::npos) {
            p = achar(t, tam);
            if (p == std::string_view::npos) return std::string();
        }
    }
    std::string_view resto = g.substr(p + tam);
    std::size_t a = resto.find_first_of("\"'");
    if (a == std::string_view::npos) return std::string();
    char aspas = resto[a];
    std::size_t f = resto.find(aspas, a + 1);
    if (f == std::string_view::npos) return std::string();
    std::string_view valor = resto.substr(a + 1, f - a - 1);
    while (!valor.empty() && static_cast<unsigned char>(valor.front()) <= ' ') valor.remove_prefix(1);
    if (valor.empty()) return std::string();
    return decodificarEntidades(valor);
}

int TLeitor::PosLast(std::string_view SubStr, std::string_view S) {
    if (SubStr.empty()) return 0;
    std::size_t p = S.rfind(SubStr);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

} // namespace orv
