#pragma once
// Building SQL text. Statements are plain text put together by concatenation; every value goes
// through sqlVarToStr, which turns it into a literal by a type letter.

#include "db/Variante.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace orv {

// Put before statements to Vendara's database.
inline constexpr std::string_view PREFIXO_WIN1252 = "SET CLIENT_ENCODING='WIN1252';";

// Raised for a type letter sqlVarToStr does not know.
class ESqlParametro : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The value as an SQL literal:
//   "C" text, quoted: 'O''Brien'. A text holding a backslash is written as an escape string
//       (E'a\\b', backslash and apostrophe doubled), which the server reads the same way
//       whatever standard_conforming_strings says, so no text can end the literal early.
//   "N" a number in general format (at most 15 significant digits, exponent only for very
//       large or small values), always with a point; not quoted.
//   "I" a 64-bit integer; not quoted.
//   "D" a date 'yyyy/mm/dd'.   "H" a time 'hh:mm:ss'.
// Any other letter raises ESqlParametro "Erro na definição do parâmetro em sqlVarToStr().".
// A value that cannot become the type asked (text that is no number, a null number) raises
// std::invalid_argument with the reason.
std::string sqlVarToStr(const TVariante& valor, std::string_view tipo);

// The text quoted as "C" does it.
std::string sqlTexto(std::string_view texto);
// A double in the "N" form: 1234.5, 0.0001, 1E-5, 1.5E20.
std::string formatarNumeroGeral(double valor);

} // namespace orv
