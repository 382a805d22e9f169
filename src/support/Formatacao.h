#pragma once
// Fixed-width number texts and the small text cuts the fiscal code uses. Decimal text never
// depends on the locale: the separator is always a point.

#include <string>
#include <string_view>

namespace orv {

// Width 0: the value truncated to a whole number. Otherwise the value with `decimais` decimals
// (cut, not rounded, from its eight-decimal form; 0: no point) padded with blanks on the left to
// `largura`; a longer text is not cut. formatarNumero(7.83456, 10, 3) == "     7.834".
std::string formatarNumero(double valor, int largura, int decimais = 0);
// The same text padded with zeros (also for width 0): formatarNumeroZeros(7, 3) == "007". The
// zeros go after a minus sign ("-007"), never before it.
std::string formatarNumeroZeros(double valor, int largura, int decimais = 0);
// Trimmed, then leading zeros dropped while more than one character remains; a `tamanho` above 0
// stops as soon as the text has that many characters: ("000123", 4) == "0123", ("000123", 0) ==
// "123", ("0", 0) == "0".
std::string removerZerosEsquerda(std::string_view texto, int tamanho = 0);
// Characters from the 1-based position `inicio`; `quantidade` -1 (or any negative): to the end.
std::string copiarDesde(std::string_view texto, int inicio, int quantidade = -1);

} // namespace orv
