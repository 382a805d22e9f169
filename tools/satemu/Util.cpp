#include "Util.h"

#include <openssl/evp.h>

#include <iconv.h>

#include <cctype>
#include <cerrno>

#include <cstring>

namespace satemu {

std::optional<int64_t> lerDecimal(std::string_view texto, int casas)
{
    if (texto.empty() || texto.size() > 30) return std::nullopt;
    size_t ponto = texto.find('.');
    std::string_view inteira = texto.substr(0, ponto);
    std::string_view fracao = ponto == std::string_view::npos ? std::string_view{} : texto.substr(ponto + 1);
    if (inteira.empty() || !soDigitos(inteira)) return std::nullopt;
    if (ponto != std::string_view::npos && (fracao.empty() || !soDigitos(fracao))) return std::nullopt;
    if (static_cast<int>(fracao.size()) > casas) return std::nullopt;
    if (inteira.size() > 14) return std::nullopt;
    int64_t v = 0;
    for (char c : inteira) v = v * 10 + (c - '0');
    for (int i = 0; i < casas; ++i) v = v * 10 + (i < static_cast<int>(fracao.size()) ? fracao[i] - '0' : 0);
    return v;
}

std::string formatarDecimal(int64_t valor, int casas)
{
    bool negativo = valor < 0;
    uint64_t v = negativo ? static_cast<uint64_t>(-(valor + 1)) + 1 : static_cast<uint64_t>(valor);
    uint64_t escala = 1;
    for (int i = 0; i < casas; ++i) escala *= 10;
    std::string s = std::to_string(v / escala);
    if (casas > 0) {
        std::string f = std::to_string(v % escala);
        s += '.' + std::string(casas - f.size(), '0') + f;
    }
    return negativo ? "-" + s : s;
}

int64_t dividirTruncando(__int128 n, __int128 d) { return static_cast<int64_t>(n / d); }

int64_t dividirPar(__int128 n, __int128 d)
{
    __int128 q = n / d, r = n % d;
    if (2 * r > d || (2 * r == d && (q & 1))) ++q;
    return static_cast<int64_t>(q);
}

bool soDigitos(std::string_view s)
{
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

namespace {
int dvModulo11(std::string_view d, int pesoInicial, int pesoMaximo)
{
    // Weights from the right: pesoInicial.. pesoMaximo, cycling back to pesoInicial.
    int soma = 0, peso = pesoInicial;
    for (size_t i = d.size(); i-- > 0;) {
        soma += (d[i] - '0') * peso;
        peso = peso == pesoMaximo ? pesoInicial : peso + 1;
    }
    int dv = 11 - soma % 11;
    return dv >= 10 ? 0 : dv;
}
}  // namespace

bool cnpjValido(std::string_view c)
{
    if (c.size() != 14 || !soDigitos(c)) return false;
    if (c.find_first_not_of(c[0]) == std::string_view::npos) return false;
    return dvModulo11(c.substr(0, 12), 2, 9) == c[12] - '0' && dvModulo11(c.substr(0, 13), 2, 9) == c[13] - '0';
}

bool cpfValido(std::string_view c)
{
    if (c.size() != 11 || !soDigitos(c)) return false;
    if (c.find_first_not_of(c[0]) == std::string_view::npos) return false;
    return dvModulo11(c.substr(0, 9), 2, 11) == c[9] - '0' && dvModulo11(c.substr(0, 10), 2, 11) == c[10] - '0';
}

bool gtinValido(std::string_view g)
{
    if (!soDigitos(g) || (g.size() != 8 && g.size() != 12 && g.size() != 13 && g.size() != 14)) return false;
    int soma = 0;
    bool tres = true;
    for (size_t i = g.size() - 1; i-- > 0;) {
        soma += (g[i] - '0') * (tres ? 3 : 1);
        tres = !tres;
    }
    return (10 - soma % 10) % 10 == g.back() - '0';
}

int digitoChave(std::string_view chave43) { return dvModulo11(chave43, 2, 9); }

std::time_t agora(long deslocamentoSegundos) { return std::time(nullptr) + deslocamentoSegundos; }

std::string formatarHora(std::time_t t, const char* formato)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    size_t n = std::strftime(buf, sizeof buf, formato, &tm);
    return std::string(buf, n);
}

std::time_t lerCarimbo(const std::string& s)
{
    if (s.size() != 14 || !soDigitos(s)) return -1;
    std::tm tm{};
    tm.tm_year = std::stoi(s.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(s.substr(4, 2)) - 1;
    tm.tm_mday = std::stoi(s.substr(6, 2));
    tm.tm_hour = std::stoi(s.substr(8, 2));
    tm.tm_min = std::stoi(s.substr(10, 2));
    tm.tm_sec = std::stoi(s.substr(12, 2));
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::string base64(const std::string& bytes)
{
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                            reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return out;
}

std::optional<std::string> deBase64(const std::string& texto)
{
    std::string limpo;
    for (char c : texto)
        if (!std::isspace(static_cast<unsigned char>(c))) limpo += c;
    if (limpo.size() % 4 != 0) return std::nullopt;
    std::string out(limpo.size() / 4 * 3 + 1, '\0');
    int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                            reinterpret_cast<const unsigned char*>(limpo.data()), static_cast<int>(limpo.size()));
    if (n < 0) return std::nullopt;
    size_t tamanho = static_cast<size_t>(n);
    if (!limpo.empty() && limpo.back() == '=') --tamanho;
    if (limpo.size() > 1 && limpo[limpo.size() - 2] == '=') --tamanho;
    out.resize(tamanho);
    return out;
}

std::string paraWindows1252(const std::string& utf8)
{
    iconv_t cd = iconv_open("WINDOWS-1252//TRANSLIT", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return utf8;
    std::string out;
    char buf[4096];
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* o = buf;
        size_t oLeft = sizeof buf;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, o - buf);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // Unconvertible or broken sequence: one "?" for the character, then go on.
            out += '?';
            ++in;
            --inLeft;
            while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
                ++in;
                --inLeft;
            }
        }
    }
    iconv_close(cd);
    return out;
}

std::string campoSeguro(std::string texto)
{
    for (char& c : texto)
        if (c == '|' || c == '\n' || c == '\r' || c == '\t') c = ' ';
    return aparar(texto);
}

std::vector<std::string> dividir(const std::string& s, char sep)
{
    std::vector<std::string> partes;
    size_t inicio = 0;
    while (true) {
        size_t p = s.find(sep, inicio);
        partes.push_back(s.substr(inicio, p == std::string::npos ? std::string::npos : p - inicio));
        if (p == std::string::npos) break;
        inicio = p + 1;
    }
    return partes;
}

std::string aparar(std::string s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

}  // namespace satemu
