#include "support/Texto.h"

#include <cerrno>
#include <iconv.h>
#include <memory>
#include <stdexcept>

namespace orv {

namespace {

struct Iconv {
    iconv_t cd;
    Iconv(const std::string& para, const std::string& de) : cd(iconv_open(para.c_str(), de.c_str())) {
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("Conversão de " + de + " para " + para + " não disponível");
    }
    ~Iconv() { iconv_close(cd); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
};

// Converts one unit (a character) at a time so that an unconvertible one can be replaced by "?"
// without losing the rest; falls back to the whole-text call for speed when it succeeds.
std::string converter(std::string_view entrada, const std::string& de, const std::string& para,
                      bool entradaUtf8) {
    Iconv ic(para, de);
    std::string saida;
    saida.reserve(entrada.size() + 8);
    char buf[64];
    std::size_t i = 0;
    while (i < entrada.size()) {
        // Length of the next input unit.
        std::size_t n = 1;
        if (entradaUtf8) {
            auto c = static_cast<unsigned char>(entrada[i]);
            std::size_t esperado = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3
                                 : (c >> 3) == 30 ? 4 : 0;
            bool ok = esperado != 0 && i + esperado <= entrada.size();
            for (std::size_t k = 1; ok && k < esperado; ++k)
                ok = (static_cast<unsigned char>(entrada[i + k]) & 0xC0) == 0x80;
            if (!ok) {
                saida += '?';
                ++i;
                continue;
            }
            n = esperado;
        }
        char* in = const_cast<char*>(entrada.data() + i);
        std::size_t inLeft = n;
        char* out = buf;
        std::size_t outLeft = sizeof buf;
        iconv(ic.cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(ic.cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
            saida += '?';
        } else {
            saida.append(buf, static_cast<std::size_t>(out - buf));
        }
        i += n;
    }
    return saida;
}

bool ehUtf8(int pagina) { return pagina == CP_UTF8; }

} // namespace

std::string nomeIconv(int pagina) {
    switch (pagina) {
    case CP_ANSI:
    case CP_WIN1252:
        return "WINDOWS-1252";
    case CP_UTF8:
        return "UTF-8";
    case CP_LATIN1:
        return "ISO-8859-1";
    case 28605:
        return "ISO-8859-15";
    case 20127:
        return "ASCII";
    case 1200:
        return "UTF-16LE";
    default:
        if (pagina >= 1250 && pagina <= 1258) return "WINDOWS-" + std::to_string(pagina);
        if (pagina >= 28591 && pagina <= 28599) return "ISO-8859-" + std::to_string(pagina - 28590);
        return "CP" + std::to_string(pagina);
    }
}

std::string utf8ParaPagina(std::string_view utf8, int pagina) {
    if (ehUtf8(pagina)) return ehUtf8Valido(utf8) ? std::string(utf8) : converter(utf8, "UTF-8", "UTF-8", true);
    if (ehAscii(utf8)) return std::string(utf8);
    return converter(utf8, "UTF-8", nomeIconv(pagina), true);
}

std::string paginaParaUtf8(std::string_view bytes, int pagina) {
    if (ehUtf8(pagina)) return ehUtf8Valido(bytes) ? std::string(bytes) : converter(bytes, "UTF-8", "UTF-8", true);
    if (ehAscii(bytes)) return std::string(bytes);
    return converter(bytes, nomeIconv(pagina), "UTF-8", false);
}

bool ehAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

bool ehUtf8Valido(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t n;
        char32_t cp;
        if (c < 0x80) { ++i; continue; }
        if (c >= 0xC2 && c <= 0xDF) { n = 2; cp = c & 0x1F; }
        else if ((c >> 4) == 0xE) { n = 3; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; }
        else return false;
        if (i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += n;
    }
    return true;
}

std::string paraUtf8(std::string_view s) {
    return ehUtf8Valido(s) ? std::string(s) : paginaParaUtf8(s, CP_WIN1252);
}

std::u32string paraCodepoints(std::string_view s) {
    std::u32string r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = n != 0 && i + n <= s.size();
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; ok && k < n; ++k) {
            auto d = static_cast<unsigned char>(s[i + k]);
            ok = (d & 0xC0) == 0x80;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!ok) { r.push_back(c); ++i; continue; }
        r.push_back(cp);
        i += n;
    }
    return r;
}

std::string deCodepoints(std::u32string_view cps) {
    std::string r;
    r.reserve(cps.size());
    for (char32_t cp : cps) {
        if (cp < 0x80) r += static_cast<char>(cp);
        else if (cp < 0x800) {
            r += static_cast<char>(0xC0 | (cp >> 6));
            r += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            r += static_cast<char>(0xE0 | (cp >> 12));
            r += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            r += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            r += static_cast<char>(0xF0 | (cp >> 18));
            r += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            r += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            r += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return r;
}

namespace {
// Start of the next character after byte position i (stray bytes are one character).
std::size_t proximo(std::string_view s, std::size_t i) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + n > s.size()) return i + 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return i + 1;
    return i + n;
}
} // namespace

std::size_t contarCaracteres(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i = proximo(s, i)) ++n;
    return n;
}

std::string copiarCaracteres(std::string_view s, std::size_t inicio, std::size_t quantidade) {
    std::size_t i = 0, k = 0;
    while (i < s.size() && k < inicio) { i = proximo(s, i); ++k; }
    std::size_t fim = i;
    k = 0;
    while (fim < s.size() && k < quantidade) { fim = proximo(s, fim); ++k; }
    return std::string(s.substr(i, fim - i));
}

std::string trimEsquerda(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    return std::string(s.substr(i));
}

std::string trimDireita(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return std::string(s.substr(0, n));
}

std::string_view aparar(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
    return s.substr(a, b - a);
}

std::string trim(std::string_view s) { return trimEsquerda(trimDireita(s)); }

std::string maiusculas(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string minusculas(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool iguaisSemCaixa(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool comecaCom(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool terminaCom(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

std::string substituirTudo(std::string_view s, std::string_view de, std::string_view para) {
    if (de.empty()) return std::string(s);
    std::string r;
    r.reserve(s.size());
    std::size_t i = 0;
    for (;;) {
        std::size_t p = s.find(de, i);
        if (p == std::string_view::npos) break;
        r.append(s.substr(i, p - i));
        r.append(para);
        i = p + de.size();
    }
    r.append(s.substr(i));
    return r;
}

std::vector<std::string> dividir(std::string_view s, char sep) {
    std::vector<std::string> r;
    std::size_t i = 0;
    for (;;) {
        std::size_t p = s.find(sep, i);
        if (p == std::string_view::npos) {
            r.emplace_back(s.substr(i));
            return r;
        }
        r.emplace_back(s.substr(i, p - i));
        i = p + 1;
    }
}

} // namespace orv
