#pragma once
// Date-time values as the system keeps them: a double of days since 1899-12-30, the time of day
// as the fraction. 0 means "no date".

#include <string>
#include <string_view>

namespace orv {

using TDateTime = double;

struct PartesData {
    int ano = 0, mes = 0, dia = 0;
    int hora = 0, minuto = 0, segundo = 0, milissegundo = 0;
};

bool dataValida(int ano, int mes, int dia);
// Throws std::invalid_argument for an impossible date or time.
TDateTime codificarData(int ano, int mes, int dia);
TDateTime codificarHora(int hora, int minuto, int segundo, int milissegundo = 0);
TDateTime codificarDataHora(int ano, int mes, int dia, int hora, int minuto, int segundo,
                            int milissegundo = 0);
TDateTime codificarDataHora(const PartesData& p);
// Splits a value; times are taken to the nearest millisecond.
PartesData decodificarDataHora(TDateTime dt);
// The date part (whole days) and the time part (fraction).
TDateTime somenteData(TDateTime dt);
TDateTime somenteHora(TDateTime dt);
// Seconds since midnight (0..86399) of the value's time.
int segundoDoDia(TDateTime dt);

// The local clock.
TDateTime agora();
TDateTime hoje();
// Converts from and to seconds since the Unix epoch (UTC values, no zone applied).
TDateTime deUnix(double segundos);
double paraUnix(TDateTime dt);

// Formats with the platform's date pattern letters, case-insensitive:
//   d dd (day), m mm (month; minutes right after an h/hh), yy yyyy (year),
//   h hh (hour), n nn (minutes), s ss (seconds), z zzz (milliseconds);
//   text in "..." or '...' is copied; every other character is copied as it is.
// Examples: "dd.mm.yy", "hh:mm:ss", "YY-MM-DD", "YYMMDD", "YYYYMMDD", "dd/mm/yyyy",
// "yyyy/mm/dd", "yyyy-mm-dd hh:nn:ss".
std::string formatarDataHora(std::string_view padrao, TDateTime dt);

} // namespace orv
