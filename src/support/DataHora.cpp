#include "support/DataHora.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace orv {

namespace {

constexpr double kMsPorDia = 86400000.0;

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
long long diasDesdeEpoca(int a, int m, int d) {
    a -= m <= 2;
    const long long era = (a >= 0 ? a : a - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(a - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilDeDias(long long z, int& a, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    a = static_cast<int>(y + (m <= 2));
}

// Days between 1899-12-30 and 1970-01-01.
constexpr long long kDelta = 25569;

} // namespace

bool dataValida(int a, int m, int d) {
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (a < 1 || a > 9999 || m < 1 || m > 12 || d < 1) return false;
    bool bissexto = (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
    return d <= dias[m - 1] + (m == 2 && bissexto ? 1 : 0);
}

TDateTime codificarData(int a, int m, int d) {
    if (!dataValida(a, m, d)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Data inválida: %04d-%02d-%02d", a, m, d);
        throw std::invalid_argument(buf);
    }
    return static_cast<double>(diasDesdeEpoca(a, m, d) + kDelta);
}

TDateTime codificarHora(int h, int mi, int s, int ms) {
    if (h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 || ms < 0 || ms > 999) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Hora inválida: %02d:%02d:%02d", h, mi, s);
        throw std::invalid_argument(buf);
    }
    return ((h * 3600.0 + mi * 60.0 + s) * 1000.0 + ms) / kMsPorDia;
}

TDateTime codificarDataHora(int a, int m, int d, int h, int mi, int s, int ms) {
    return codificarData(a, m, d) + codificarHora(h, mi, s, ms);
}

TDateTime codificarDataHora(const PartesData& p) {
    return codificarDataHora(p.ano, p.mes, p.dia, p.hora, p.minuto, p.segundo, p.milissegundo);
}

PartesData decodificarDataHora(TDateTime dt) {
    PartesData p;
    // Work in whole milliseconds so that 0.999999 of a day rounds into the right second.
    long long ms = std::llround(dt * kMsPorDia);
    long long dias = ms / 86400000LL;
    long long resto = ms % 86400000LL;
    if (resto < 0) { // negative values: the time part counts away from the date, as the platform does
        resto = -resto;
    }
    civilDeDias(dias - kDelta, p.ano, p.mes, p.dia);
    p.hora = static_cast<int>(resto / 3600000);
    p.minuto = static_cast<int>(resto / 60000 % 60);
    p.segundo = static_cast<int>(resto / 1000 % 60);
    p.milissegundo = static_cast<int>(resto % 1000);
    return p;
}

TDateTime somenteData(TDateTime dt) { return std::trunc(dt); }
TDateTime somenteHora(TDateTime dt) { return std::fabs(dt - std::trunc(dt)); }

int segundoDoDia(TDateTime dt) {
    PartesData p = decodificarDataHora(dt);
    return p.hora * 3600 + p.minuto * 60 + p.segundo;
}

TDateTime agora() {
    using namespace std::chrono;
    auto t = system_clock::now();
    std::time_t tt = system_clock::to_time_t(t);
    std::tm local{};
    localtime_r(&tt, &local);
    int ms = static_cast<int>(duration_cast<milliseconds>(t.time_since_epoch()).count() % 1000);
    return codificarDataHora(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, ms);
}

TDateTime hoje() { return somenteData(agora()); }

TDateTime deUnix(double segundos) { return segundos / 86400.0 + static_cast<double>(kDelta); }
double paraUnix(TDateTime dt) { return (dt - static_cast<double>(kDelta)) * 86400.0; }

std::string formatarDataHora(std::string_view padrao, TDateTime dt) {
    const PartesData p = decodificarDataHora(dt);
    std::string r;
    auto num = [&r](int v, int largura) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", largura, v);
        r += buf;
    };
    auto low = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    bool ultimoFoiHora = false;
    std::size_t i = 0;
    while (i < padrao.size()) {
        char c = low(padrao[i]);
        std::size_t n = 1;
        while (i + n < padrao.size() && low(padrao[i + n]) == c) ++n;
        switch (c) {
        case 'd':
            num(p.dia, n >= 2 ? 2 : 1);
            ultimoFoiHora = false;
            break;
        case 'm':
            if (ultimoFoiHora) num(p.minuto, n >= 2 ? 2 : 1);
            else num(p.mes, n >= 2 ? 2 : 1);
            ultimoFoiHora = false;
            break;
        case 'y':
            if (n <= 2) num(p.ano % 100, 2);
            else num(p.ano, 4);
            ultimoFoiHora = false;
            break;
        case 'h':
            num(p.hora, n >= 2 ? 2 : 1);
            ultimoFoiHora = true;
            break;
        case 'n':
            num(p.minuto, n >= 2 ? 2 : 1);
            ultimoFoiHora = false;
            break;
        case 's':
            num(p.segundo, n >= 2 ? 2 : 1);
            break;
        case 'z':
            num(p.milissegundo, n >= 3 ? 3 : 1);
            break;
        case '"':
        case '\'': {
            std::size_t fim = padrao.find(padrao[i], i + 1);
            if (fim == std::string_view::npos) fim = padrao.size();
            r.append(padrao.substr(i + 1, fim - i - 1));
            i = fim + 1;
            continue;
        }
        default:
            r.append(padrao.substr(i, n));
            break;
        }
        i += n;
    }
    return r;
}

} // namespace orv
