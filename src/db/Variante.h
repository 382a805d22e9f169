#pragma once
// The loosely typed value that the database routines pass around: what a column held (null,
// an integer, a floating-point number, text, an amount) or what a caller wants turned into an
// SQL literal. Dates and times travel as TDateTime doubles.

#include "support/Valor.h"

#include <cstdint>
#include <string>
#include <variant>

namespace orv {

using TVariante = std::variant<std::monostate, std::int64_t, double, std::string, Currency>;

inline bool ehNulo(const TVariante& v) {
    return std::holds_alternative<std::monostate>(v);
}

} // namespace orv
