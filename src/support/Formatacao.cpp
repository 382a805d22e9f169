#include "support/Formatacao.h"

#include "support/Texto.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace orv {

namespace {

// The value in the "#0.00000000" form, cut to `decimais` decimals.
std::string comDecimais(double valor, int decimais) {
    if (std::isnan(valor) || std::isinf(valor))
        return std::isnan(valor) ? "NAN" : (valor > 0 ? "INF" : "-INF");
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.8f", valor == 0 ? 0.0 : valor);
    std::string s = buf;
    const std::size_t ponto = s.find('.');
    if (decimais <= 0) return s.substr(0, ponto);
    return s.substr(0, ponto + 1 + static_cast<std::size_t>(decimais < 8 ? decimais : 8));
}

std::string preencher(std::string s, int largura, char com) {
    if (largura <= 0 || s.size() >= static_cast<std::size_t>(largura)) return s;
    const std::size_t falta = static_cast<std::size_t>(largura) - s.size();
    const std::size_t pos = (com == '0' && !s.empty() && s[0] == '-') ? 1 : 0;
    s.insert(pos, falta, com);
    return s;
}

} // namespace

std::string formatarNumero(double valor, int largura, int decimais) {
    if (largura == 0) {
        // Out-of-range values are clamped rather than left to an undefined conversion.
        const double t = std::trunc(valor);
        if (std::isnan(t)) return "0";
        if (t >= 9223372036854775807.0)
            return std::to_string(std::numeric_limits<std::int64_t>::max());
        if (t <= -9223372036854775808.0)
            return std::to_string(std::numeric_limits<std::int64_t>::min());
        return std::to_string(static_cast<std::int64_t>(t));
    }
    return preencher(comDecimais(valor, decimais), largura, ' ');
}

std::string formatarNumeroZeros(double valor, int largura, int decimais) {
    return preencher(comDecimais(valor, decimais), largura, '0');
}

std::string removerZerosEsquerda(std::string_view texto, int tamanho) {
    std::string s = trim(texto);
    std::size_t corte = 0;
    std::size_t resto = contarCaracteres(s);
    while (corte < s.size() && s[corte] == '0' && resto > 1) {
        if (tamanho > 0 && resto == static_cast<std::size_t>(tamanho)) break;
        ++corte;
        --resto;
    }
    return s.substr(corte);
}

std::string copiarDesde(std::string_view texto, int inicio, int quantidade) {
    const std::size_t de = inicio > 1 ? static_cast<std::size_t>(inicio - 1) : 0;
    return copiarCaracteres(
        texto, de, quantidade < 0 ? std::string_view::npos : static_cast<std::size_t>(quantidade));
}

} // namespace orv
