#pragma once
// XML generator of the fiscal documents: appends a document element by element to a text buffer,
// formatting each value by its kind, cleaning and escaping text, optionally indenting, and
// recording validation alerts (which never stop the document).

#include "support/DataHora.h"
#include "support/Valor.h"

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orv {

// Value kinds of the generator and the reader.
enum class TTipoCampo {
    tcStr, tcInt, tcDat, tcDatHor, tcEsp, tcDe2, tcDe3, tcDe4, tcDe5, tcDe6, tcDe7, tcDe8, tcDe10,
    tcHor, tcDatCFe, tcHorCFe, tcDatVcto, tcDatHorCFe, tcBoolStr, tcStrOrig, tcNumStr, tcInt64,
    tcDe1, tcDatBol
};
using enum TTipoCampo;

// A loosely typed value as the generator takes it and the reader returns it: null, text,
// integer, real (also date-times), amount or Boolean. Conversions never throw.
class TVariante {
public:
    TVariante() = default;
    TVariante(const char* s) : fV(std::string(s ? s : "")) {}
    TVariante(std::string s) : fV(std::move(s)) {}
    TVariante(std::string_view s) : fV(std::string(s)) {}
    template <std::integral I>
        requires(!std::same_as<I, bool> && !std::same_as<I, char>)
    TVariante(I v) : fV(static_cast<long long>(v)) {}
    TVariante(double v) : fV(v) {}
    TVariante(float v) : fV(static_cast<double>(v)) {}
    TVariante(Currency v) : fV(v) {}
    TVariante(bool v) : fV(v) {}

    bool ehNulo() const { return std::holds_alternative<std::monostate>(fV); }
    bool ehTexto() const { return std::holds_alternative<std::string>(fV); }

    // Text form: integers in decimal, reals in their shortest form with a point, amounts with
    // their significant decimals, Booleans "True"/"False", null "".
    std::string paraTexto() const;
    // Integer value; `ok` false (and 0) when the value does not convert. Reals are rounded to
    // the nearest integer, ties to even; text must be an optionally signed run of digits.
    long long paraInt64(bool* ok = nullptr) const;
    // As paraInt64, but also false when the value does not fit in 32 bits.
    int paraInt(bool* ok = nullptr) const;
    // Real value; text is read with a point as the separator; `ok` false (and 0) otherwise.
    double paraDouble(bool* ok = nullptr) const;
    // Amount: exact for amounts and integers; reals are rounded to four decimals.
    Currency paraCurrency() const;
    TDateTime paraDataHora() const { return paraDouble(); }
    bool paraBool() const;

    friend bool operator==(const TVariante&, const TVariante&) = default;

private:
    std::variant<std::monostate, std::string, long long, double, Currency, bool> fV;
};

// Options of one generator.
class TGeradorOpcoes {
public:
    bool SomenteValidar = false;          // format and validate elements, write only groups
    bool RetirarEspacos = true;           // collapse runs of spaces in text values
    bool RetirarAcentos = true;           // fold accented and other non-ASCII letters
    bool IdentarXML = false;              // indent and break lines (CR LF)
    int TamanhoIdentacao = 3;             // spaces per level
    bool SuprimirDecimais = false;        // a whole decimal value is written as an integer
    bool TagVaziaNoFormatoResumido = true;  // "<tag/>" for a required empty element
    std::string FormatoAlerta = "TAG:%TAGNIVEL% ID:%ID%/%TAG%(%DESCRICAO%) - %MSG%.";
    char DecimalChar = '.';
    std::string QuebraLinha;              // what a line break inside a value becomes
    int NivelIdentacao = 0;
};

// Alert messages.
inline constexpr const char* ERR_MSG_VAZIO = "Nenhum valor informado";
inline constexpr const char* ERR_MSG_MENOR = "Tamanho menor que o mínimo permitido";
inline constexpr const char* ERR_MSG_MAIOR = "Tamanho maior que o máximo permitido";
inline constexpr const char* ERR_MSG_INVALIDO = "Conteúdo inválido";
inline constexpr const char* ERR_MSG_MAX_OCORRENCIAS = "Número de ocorrências maior que o máximo permitido - Máximo ";

class TGerador {
public:
    std::string ArquivoFormatoXML;        // the document so far (UTF-8)
    std::vector<std::string> ListaDeAlertas;
    TGeradorOpcoes Opcoes;
    std::string Prefixo;                  // namespace prefix put before every tag name
    std::string IDNivel;                  // identifier of the last group, upper case
    std::string TagNivel;                 // chain of the open groups, used in alerts
    std::string IgnorarTagNivel;          // "|"-separated group beginnings kept out of TagNivel
    std::string IgnorarTagIdentacao;      // "|"-separated group beginnings written a level less deep
    // Flat-text rendition: kept for the writers that clear it; never filled here.
    std::string ArquivoFormatoTXT;
    std::vector<std::string> LayoutArquivoTXT;

    // Start tag, or end tag when TAG begins with "/". TAG may carry attributes after a space.
    void wGrupo(std::string_view TAG, std::string_view ID = "", bool Identar = true);
    // One element. ocorrencias: 0 optional, 1 required, negative skips the element.
    void wCampo(TTipoCampo Tipo, std::string_view ID, std::string_view TAG, int min, int max,
                int ocorrencias, const TVariante& valor, std::string_view Descricao = "",
                bool ParseTextoXML = true, std::string_view Atributo = "");
    // A CNPJ (more than 11 or no digits) or CPF (1 to 11 digits) element from one number.
    void wCampoCNPJCPF(std::string_view ID1, std::string_view ID2, std::string_view CNPJCPF,
                       bool obrigatorio = true, bool PreencheZeros = true);
    void wAlerta(std::string_view ID, std::string_view TAG, std::string_view Descricao,
                 std::string_view Alerta);
    void wTexto(std::string_view Texto) { ArquivoFormatoXML += Texto; }

    // The text preparation applied to element content (folding, code page, escaping, spaces,
    // line breaks, trimming) with this generator's options.
    std::string PrepararTexto(std::string_view texto) const;

private:
    void identar(int nivel);
};

// Text helpers of the generator, usable on their own.
// Folds Windows-1252 bytes to ASCII as the generator does (accented letters lose the accent,
// every other byte outside 32..126, BS, LF, CR becomes a space).
std::string dobrarAnsi(std::string_view ansi);
// Digits 0-9 of a text, in order.
std::string somenteNumeros(std::string_view s);
bool validarCPF(std::string_view cpf);    // 11 digits with valid check digits
bool validarCNPJ(std::string_view cnpj);  // 14 digits with valid check digits
// Decimal text of `valor` with `decimais` decimals: the exact double rounded to 18 significant
// digits, then half away from zero. Locale-free; `separador` between the parts.
std::string formatarDecimal(double valor, int decimais, char separador = '.');
// Text with & < > " (and ' when `apostrofo`) escaped as entities, everything else kept as it is
// (no trimming, no folding): safe as element content and inside a double-quoted attribute.
std::string escaparXML(std::string_view texto, bool apostrofo = false);

} // namespace orv
