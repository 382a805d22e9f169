#include "db/SqlTexto.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "db/Numeros.h"
#include "support/DataHora.h"
#include "support/Texto.h"

namespace orv {

namespace {

using numeros::digitos;

[[noreturn]] void valorInvalido(std::string_view tipo, std::string_view motivo) {
    throw std::invalid_argument("Valor inválido para o tipo " + std::string(tipo) +
                                " em sqlVarToStr(): " + std::string(motivo));
}

bool lerDoubleTexto(std::string_view texto, double& v) {
    return numeros::lerDouble(substituirTudo(trim(texto), ",", "."), v);
}

// Date and time texts that callers may hand over: yyyy-mm-dd, yyyy/mm/dd, dd/mm/yyyy, each
// optionally followed by a blank and hh:mm[:ss]; or a time alone.
bool lerDataHoraTexto(std::string_view texto, TDateTime& dt) {
    std::string t = trim(texto);
    std::string_view s(t);
    int a = -1, m = -1, d = -1;
    std::size_t pos = 0;
    if (s.size() >= 10 && (s[4] == '-' || s[4] == '/') && s[7] == s[4]) {
        a = digitos(s, 0, 4), m = digitos(s, 5, 2), d = digitos(s, 8, 2);
        pos = 10;
    } else if (s.size() >= 10 && s[2] == '/' && s[5] == '/') {
        d = digitos(s, 0, 2), m = digitos(s, 3, 2), a = digitos(s, 6, 4);
        pos = 10;
    }
    TDateTime data = 0;
    if (pos) {
        if (a < 0 || m < 0 || d < 0 || !dataValida(a, m, d)) return false;
        data = codificarData(a, m, d);
        if (pos == s.size()) {
            dt = data;
            return true;
        }
        if (s[pos] != ' ' && s[pos] != 'T') return false;
        ++pos;
    }
    int h = digitos(s, pos, 2), mi = digitos(s, pos + 3, 2), se = 0;
    if (h < 0 || mi < 0 || s[pos + 2] != ':') return false;
    std::size_t fim = pos + 5;
    if (fim < s.size()) {
        if (s[fim] != ':' || (se = digitos(s, fim + 1, 2)) < 0 || fim + 3 != s.size()) return false;
    }
    try {
        dt = data + codificarHora(h, mi, se);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

TDateTime paraDataHora(const TVariante& v, std::string_view tipo) {
    if (auto i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto c = std::get_if<Currency>(&v)) return c->paraDouble();
    if (auto s = std::get_if<std::string>(&v)) {
        TDateTime dt = 0;
        if (!lerDataHoraTexto(*s, dt)) valorInvalido(tipo, "\"" + *s + "\" não é data nem hora");
        return dt;
    }
    valorInvalido(tipo, "valor nulo");
}

double paraDouble(const TVariante& v, std::string_view tipo) {
    if (auto i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto c = std::get_if<Currency>(&v)) return c->paraDouble();
    if (auto s = std::get_if<std::string>(&v)) {
        double d = 0;
        if (!lerDoubleTexto(*s, d)) valorInvalido(tipo, "\"" + *s + "\" não é um número");
        return d;
    }
    valorInvalido(tipo, "valor nulo");
}

std::int64_t arredondarInteiro(double d, std::string_view tipo) {
    // Half to even, as the platform's conversion of a number to an integer does.
    double r = std::nearbyint(d);
    if (!std::isfinite(r) || r < -9.223372036854775e18 || r >= 9.223372036854775e18)
        valorInvalido(tipo, "número fora do alcance de um inteiro");
    return static_cast<std::int64_t>(r);
}

std::int64_t paraInteiro(const TVariante& v, std::string_view tipo) {
    if (auto i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto s = std::get_if<std::string>(&v)) {
        std::string t = trim(*s);
        std::string_view sv(t);
        if (!sv.empty() && sv.front() == '+') sv.remove_prefix(1);
        std::int64_t i = 0;
        if (numeros::lerInteiro(sv, i)) return i;
    }
    if (auto c = std::get_if<Currency>(&v)) {
        std::int64_t q = c->raw() / 10000, r = c->raw() % 10000;
        if (r > 5000 || (r == 5000 && (q % 2) != 0))
            ++q;
        else if (r < -5000 || (r == -5000 && (q % 2) != 0))
            --q;
        return q;
    }
    return arredondarInteiro(paraDouble(v, tipo), tipo);
}

} // namespace

std::string formatarNumeroGeral(double valor) {
    if (std::isnan(valor)) return "NAN";
    if (std::isinf(valor)) return valor < 0 ? "-INF" : "INF";
    if (valor == 0) return "0";
    // 15 significant digits, correctly rounded, independent of the locale.
    char buf[64];
    auto [fim, ec] = std::to_chars(buf, buf + sizeof buf, valor, std::chars_format::scientific, 14);
    std::string_view s(buf, fim - buf);
    bool negativo = s.front() == '-';
    if (negativo) s.remove_prefix(1);
    std::size_t e = s.find('e');
    std::string digitos;
    for (char c : s.substr(0, e))
        if (c != '.') digitos += c;
    int expoente = std::atoi(std::string(s.substr(e + 1)).c_str());
    while (digitos.size() > 1 && digitos.back() == '0')
        digitos.pop_back();

    std::string r = negativo ? "-" : "";
    // Fixed notation from 0.0001 up to 15 integer digits; the exponent form elsewhere.
    if (expoente < -4 || expoente >= 15) {
        r += digitos[0];
        if (digitos.size() > 1) r += "." + digitos.substr(1);
        r += "E" + std::to_string(expoente);
    } else if (expoente < 0) {
        r += "0." + std::string(static_cast<std::size_t>(-expoente - 1), '0') + digitos;
    } else {
        std::size_t inteiros = static_cast<std::size_t>(expoente) + 1;
        if (digitos.size() <= inteiros) {
            r += digitos + std::string(inteiros - digitos.size(), '0');
        } else {
            r += digitos.substr(0, inteiros) + "." + digitos.substr(inteiros);
        }
    }
    return r;
}

std::string sqlTexto(std::string_view texto) {
    if (texto.find('\\') == std::string_view::npos)
        return "'" + substituirTudo(texto, "'", "''") + "'";
    // An escape string reads the same with standard_conforming_strings on or off.
    std::string r = "E'";
    for (char c : texto) {
        if (c == '\\' || c == '\'') r += c;
        r += c;
    }
    return r + "'";
}

std::string sqlVarToStr(const TVariante& valor, std::string_view tipo) {
    if (tipo == "C") {
        if (ehNulo(valor)) return "''";
        if (auto s = std::get_if<std::string>(&valor)) return sqlTexto(*s);
        if (auto i = std::get_if<std::int64_t>(&valor)) return sqlTexto(std::to_string(*i));
        if (auto d = std::get_if<double>(&valor)) return sqlTexto(formatarNumeroGeral(*d));
        return sqlTexto(formatarNumeroGeral(std::get<Currency>(valor).paraDouble()));
    }
    if (tipo == "N") return substituirTudo(formatarNumeroGeral(paraDouble(valor, tipo)), ",", ".");
    if (tipo == "I") return std::to_string(paraInteiro(valor, tipo));
    if (tipo == "D") return "'" + formatarDataHora("yyyy/mm/dd", paraDataHora(valor, tipo)) + "'";
    if (tipo == "H") return "'" + formatarDataHora("hh:mm:ss", paraDataHora(valor, tipo)) + "'";
    throw ESqlParametro("Erro na definição do parâmetro em sqlVarToStr().");
}

} // namespace orv
