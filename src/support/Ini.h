#pragma once
// INI files read and written with the Windows private-profile rules: section and key names match
// without regard to case, a missing file, section or key gives the default, the first
// occurrence of a key wins, values are trimmed and read up to 2047 characters, one pair of
// matching surrounding quotes (double, or single as the platform also does) is removed, files
// in Windows-1252 or UTF-8 are read (values come out as UTF-8). Writing a key rewrites only that
// key and keeps the rest of the file as it was.
// Serves Orvane.ini, ZVCFGCFI.INI and the sale INI files.

#include <string>
#include <string_view>
#include <vector>

namespace orv {

class TIniFile {
public:
    // Reads the file once; a missing or unreadable file reads as empty.
    explicit TIniFile(std::string caminho);
    // An INI held in memory (the sale INI text of a queue row); WriteString changes the text only.
    static TIniFile deTexto(std::string_view texto);

    const std::string& caminho() const { return fCaminho; }

    std::string ReadString(std::string_view secao, std::string_view chave,
                           std::string_view padrao = {}) const;
    // The value as an integer (decimal, or hexadecimal with "0x"/"$"); the default when the
    // value is missing or not a number.
    int ReadInteger(std::string_view secao, std::string_view chave, int padrao = 0) const;
    // "1"/"0" as the platform writes them (any other integer: true); "true"/"sim"/"s"/"yes" and
    // "false"/"nao"/"não"/"n"/"no" without regard to case; any other text: the default.
    bool ReadBool(std::string_view secao, std::string_view chave, bool padrao = false) const;
    // A decimal with point or comma; the default when missing or not a number.
    double ReadFloat(std::string_view secao, std::string_view chave, double padrao = 0) const;

    bool SectionExists(std::string_view secao) const;
    bool ValueExists(std::string_view secao, std::string_view chave) const;
    // Section names in file order; key names of one section in file order (first occurrences).
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(std::string_view secao) const;

    // Writes (creating file, section or key as needed) and keeps the file's code page: a file
    // read as Windows-1252 stays Windows-1252. Returns false when the file cannot be written.
    bool WriteString(std::string_view secao, std::string_view chave, std::string_view valor);
    bool WriteInteger(std::string_view secao, std::string_view chave, int valor);
    bool WriteBool(std::string_view secao, std::string_view chave, bool valor);

    // The whole text (UTF-8).
    std::string texto() const;

private:
    TIniFile() = default;
    struct Linha {
        std::string bruta;    // the line as it stands in the file (UTF-8)
        std::string secao;    // for section lines: the name; else empty
        std::string chave;    // for key lines: the name (trimmed); else empty
        std::string valor;    // for key lines: the value as read (trimmed, unquoted, capped)
        bool ehSecao = false;
        bool ehChave = false;
    };
    void carregar(std::string_view conteudo);
    static Linha analisar(std::string bruta);
    // Index of the first line of the key in the first matching section(s); -1 when missing.
    long indiceChave(std::string_view secao, std::string_view chave) const;
    const Linha* achar(std::string_view secao, std::string_view chave) const;
    bool salvar() const;

    std::string fCaminho;
    std::vector<Linha> fLinhas;
    bool fUtf8 = false;      // the file was UTF-8 (kept on writing)
    bool fBom = false;       // it started with a byte-order mark
    bool fEmMemoria = false;
    bool fCrLf = true;       // lines end in CR LF (kept on writing; new files get CR LF)
    bool fQuebraFinal = true; // the last line ends with a line break
};

} // namespace orv
