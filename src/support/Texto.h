#pragma once
// Text helpers. The program's text is UTF-8 in std::string; "8-bit text" is a std::string of
// bytes in some Windows code page. Rules that count characters count UTF-8 code points.

#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Windows code-page numbers as the settings give them.
inline constexpr int CP_ANSI = 0;      // the shops' "system ANSI code page": Windows-1252
inline constexpr int CP_WIN1252 = 1252;
inline constexpr int CP_LATIN1 = 28591;
inline constexpr int CP_UTF8 = 65001;

// Converts UTF-8 text to 8-bit text in `pagina` (0 = ANSI). A character the target cannot hold
// becomes "?"; invalid UTF-8 input bytes become "?" as well.
std::string utf8ParaPagina(std::string_view utf8, int pagina);
// Converts 8-bit text in `pagina` to UTF-8. Bytes without a meaning in the page become "?".
std::string paginaParaUtf8(std::string_view bytes, int pagina);
inline std::string utf8ParaAnsi(std::string_view s) { return utf8ParaPagina(s, CP_ANSI); }
inline std::string ansiParaUtf8(std::string_view s) { return paginaParaUtf8(s, CP_ANSI); }
// The iconv name of a Windows code page ("WINDOWS-1252", "CP850", "UTF-8"...).
std::string nomeIconv(int pagina);

// True when every byte is below 0x80 (the empty text too).
bool ehAscii(std::string_view s);
bool ehUtf8Valido(std::string_view s);
// Text that may be UTF-8 or Windows-1252 (INI files, old rows): UTF-8 when valid, else 1252.
std::string paraUtf8(std::string_view s);

// Number of characters (code points) of UTF-8 text; stray bytes count one each.
std::size_t contarCaracteres(std::string_view utf8);
// Characters [inicio, inicio + quantidade) counted from 0; npos quantity: to the end.
std::string copiarCaracteres(std::string_view utf8, std::size_t inicio,
                             std::size_t quantidade = std::string_view::npos);
// The first `quantidade` characters.
inline std::string cortarCaracteres(std::string_view utf8, std::size_t quantidade) {
    return copiarCaracteres(utf8, 0, quantidade);
}
// Decodes UTF-8 into code points (a stray byte gives its own value) and back.
std::u32string paraCodepoints(std::string_view utf8);
std::string deCodepoints(std::u32string_view cps);

// Blanks and control characters (<= ' ') removed from the ends, as the platform's Trim does.
std::string trim(std::string_view s);
// As trim, but a view into `s` (which must outlive it).
std::string_view aparar(std::string_view s);
std::string trimEsquerda(std::string_view s);
std::string trimDireita(std::string_view s);
// ASCII-only case changes (names, tags, keys).
std::string maiusculas(std::string_view s);
std::string minusculas(std::string_view s);
bool iguaisSemCaixa(std::string_view a, std::string_view b);
bool comecaCom(std::string_view s, std::string_view prefixo);
bool terminaCom(std::string_view s, std::string_view sufixo);
// Every occurrence of `de` replaced by `para` (left to right, no rescanning).
std::string substituirTudo(std::string_view s, std::string_view de, std::string_view para);
// Splits at every separator; an empty text gives one empty field.
std::vector<std::string> dividir(std::string_view s, char separador);

} // namespace orv
