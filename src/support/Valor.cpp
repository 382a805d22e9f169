#include "support/Valor.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace orv {

namespace {

// Rounds n / d to the nearest integer, ties to even (d > 0).
std::int64_t dividirParEven(__int128 n, __int128 d) {
    __int128 q = n / d;
    __int128 r = n % d;
    if (r < 0) {
        r = -r;
    }
    __int128 dobro = r * 2;
    if (dobro > d || (dobro == d && (q % 2 != 0))) {
        q += n < 0 ? -1 : 1;
    }
    return static_cast<std::int64_t>(q);
}

} // namespace

Currency Currency::deDouble(double v) {
    if (!std::isfinite(v) || std::fabs(v) >= 922337203685477.0)
        throw std::out_of_range("Valor fora da faixa de Currency");
    // Scale exactly in long double first; then round ties to even on the exact scaled value.
    long double escalado = static_cast<long double>(v) * 10000.0L;
    long double inteiro = std::floor(escalado);
    long double fracao = escalado - inteiro;
    auto base = static_cast<std::int64_t>(inteiro);
    if (fracao > 0.5L || (fracao == 0.5L && (base % 2 != 0))) ++base;
    return deRaw(base);
}

Currency Currency::deTexto(const std::string& texto) {
    std::size_t i = 0;
    while (i < texto.size() && texto[i] == ' ') ++i;
    bool negativo = false;
    if (i < texto.size() && (texto[i] == '-' || texto[i] == '+')) negativo = texto[i++] == '-';
    __int128 num = 0, den = 1;
    bool digitos = false, ponto = false;
    for (; i < texto.size(); ++i) {
        char c = texto[i];
        if (c >= '0' && c <= '9') {
            digitos = true;
            if (num < static_cast<__int128>(1) << 100) {
                num = num * 10 + (c - '0');
                if (ponto) den *= 10;
            }
        } else if (c == '.' && !ponto) {
            ponto = true;
        } else if (c == ' ') {
            break;
        } else {
            throw std::invalid_argument("'" + texto + "' não é um valor válido");
        }
    }
    for (; i < texto.size(); ++i)
        if (texto[i] != ' ') throw std::invalid_argument("'" + texto + "' não é um valor válido");
    if (!digitos) throw std::invalid_argument("'" + texto + "' não é um valor válido");
    std::int64_t raw = dividirParEven(num * 10000, den);
    return deRaw(negativo ? -raw : raw);
}

std::string Currency::paraTexto(int decimais) const {
    if (decimais < 0) decimais = 0;
    if (decimais > 4) decimais = 4;
    std::int64_t passo = 1;
    for (int k = decimais; k < 4; ++k) passo *= 10;
    std::int64_t a = fRaw < 0 ? -fRaw : fRaw;
    std::int64_t q = a / passo, r = a % passo;
    if (r * 2 >= passo) ++q;
    std::int64_t escala = 1;
    for (int k = 0; k < decimais; ++k) escala *= 10;
    char buf[48];
    if (decimais == 0)
        std::snprintf(buf, sizeof buf, "%s%lld", fRaw < 0 && q ? "-" : "", static_cast<long long>(q));
    else
        std::snprintf(buf, sizeof buf, "%s%lld.%0*lld", fRaw < 0 && q ? "-" : "",
                      static_cast<long long>(q / escala), decimais, static_cast<long long>(q % escala));
    return buf;
}

Currency operator*(Currency a, Currency b) {
    return Currency::deRaw(dividirParEven(static_cast<__int128>(a.fRaw) * b.fRaw, 10000));
}

Currency operator/(Currency a, Currency b) {
    if (b.fRaw == 0) throw std::domain_error("Divisão por zero");
    __int128 n = static_cast<__int128>(a.fRaw) * 10000;
    __int128 d = b.fRaw;
    if (d < 0) { n = -n; d = -d; }
    return Currency::deRaw(dividirParEven(n, d));
}

} // namespace orv
