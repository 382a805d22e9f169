#pragma once
// Paths and small file writes. Paths are UTF-8 text; files written for the shops' other tools
// hold 8-bit Windows-1252 text with CR LF line ends.

#include "support/Texto.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orv {

#ifdef _WIN32
inline constexpr char PathDelim = '\\';
#else
inline constexpr char PathDelim = '/';
#endif

// A filesystem path from UTF-8 text (wide on Windows, bytes elsewhere).
std::filesystem::path caminhoFs(std::string_view utf8);
// The path as UTF-8 text.
std::string textoDeCaminho(const std::filesystem::path& p);

// Trimmed; empty stays empty, otherwise ends with PathDelim.
std::string incluirBarra(std::string_view caminho);
// Folder of the running program with a trailing delimiter (the base folder); empty if unknown.
std::string pastaExecutavel();

// Appends the line and CR LF as Windows-1252 text, creating the file and any missing folders.
// False on any failure; never throws.
bool gravarLinhaArquivo(std::string_view caminho, std::string_view linha);
// Writes the text as lines, each ending in CR LF, in the code page `pagina` (the lines are split
// at CR LF, LF or CR). True when the file exists afterwards; never throws.
bool salvarTexto(std::string_view caminho, std::string_view texto, int pagina = CP_ANSI);
// True at once for a missing file; otherwise up to five deletions in a row, true once it is gone.
bool apagarArquivo(std::string_view caminho);

} // namespace orv
