#pragma once
// Character substitutions on UTF-8 text: the quote replacements for XML and messages kept in the
// database, accent removal, the company-name scrambling of the POS, and the unknown-error text.
// All of them work on characters, never on single bytes of a character.

#include <string>
#include <string_view>

namespace orv {

// Mode 0 (storing): "`" -> "¨", "'" -> "½", '"' -> "¾", so no quote reaches SQL text.
// Mode 1 (reading): "¢" and "½" -> "'", "¨" -> "`", "¥" and "¾" -> '"', the doubly encoded
// "ÃƒÂ¡"/"ÃƒÂ£" -> "á"/"ã", then every "Â" removed. Any other mode leaves the text as it is.
std::string trocarEspeciais(std::string_view texto, int modo);

// Accented Portuguese letters (À Á Â Ã Ç É Ê Í Ó Ô Õ Ú and lower case) become plain ones; every
// other character (È, Ü, ñ...) stays.
std::string removerAcentos(std::string_view texto);

// The text with every line ended by CR LF (the last one too), as UTF-8 bytes: the form an XML
// text is given in when its first load failed.
std::string textoParaUtf8(std::string_view texto);

// The sixty two-digit multipliers of the company-name scrambling, a permutation of 01..60.
inline constexpr std::string_view kMultiplicadoresCodificacao =
    "555950401706534716414805101529252127342460570746180439"
    "223243023709365451303311132338191428490331453508201256265242015844";

inline constexpr int kCodificar = 1;
inline constexpr int kDecodificar = 2;

// Mode 2 (decoding): for each group i of four digits g, the character of code
// (g + 7) / multiplier i (rounded down); a group that is not four digits, or the end of the text,
// stops quietly with the characters decoded so far (236 digits decode 59 characters). At most
// 60 groups are read. Mode 1 (encoding) writes four digits per character for the first 60
// characters, so that decoding gives the text back. Four digits hold codes up to
// (9999 + 7) / multiplier: an accented letter too large for its place is written without its
// accent, any other character that does not fit (or a control character) as "?". Any other mode
// gives the text unchanged.
std::string codificarTexto(std::string_view texto, int modo);

// A blank error text becomes "Erro desconhecido: " + contexto; any other stays.
void erroDesconhecido(std::string& cError, std::string_view contexto);

} // namespace orv
