#pragma once
// Byte-level helpers shared by the fiscal documents: the UTF-8 declaration rule, and reading
// and writing document files.

#include <string>
#include <string_view>

namespace orv {

// True when the first 50 characters of the text, in lower case, hold "encoding" and, after it,
// "utf-8" (the XML declaration announces UTF-8).
bool declaraUtf8(std::string_view texto);

// The program's text (UTF-8) of the bytes of a document: when the bytes declare UTF-8 they are
// taken as UTF-8 (as Windows-1252 when they are not valid UTF-8) and, with `removerDeclaracao`,
// the first processing instruction ("<?" .. "?>") is dropped; otherwise they are Windows-1252.
std::string xmlParaTexto(std::string_view bytes, bool removerDeclaracao);

// Reads a document file as the shops' platform reads text: a byte-order mark selects UTF-8 or
// UTF-16 (the text then comes back as Windows-1252 bytes), otherwise the bytes pass unchanged;
// the lines are joined with CR LF after each line, the last included. Throws
// std::runtime_error when the file cannot be read.
std::string lerArquivoXML(const std::string& caminho);

// Writes the bytes, replacing the file. Empty bytes leave an existing file untouched. Throws
// std::runtime_error when the file cannot be written.
void gravarArquivoXML(const std::string& caminho, std::string_view bytes);

} // namespace orv
