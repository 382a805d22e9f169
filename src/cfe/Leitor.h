#pragma once
// XML reader of the fiscal documents: extracts groups, element contents and attribute values by
// string search. Lenient: missing groups and elements give empty or zero values; only malformed
// dates and times and unsupported kinds raise errors.

#include "cfe/Gerador.h"

#include <array>
#include <string>
#include <string_view>

namespace orv {

class TLeitor {
public:
    static constexpr int MaxNivel = 10;

    std::string Arquivo;   // the whole text being read (UTF-8)
    std::string Grupo;     // current group: the last text extracted by rExtrai (empty on failure)
    bool FloatIsIntString = false;  // decimal elements hold a count of the smallest unit

    // Level 0 is Arquivo; level n the group last extracted at level n.
    const std::string& Nivel(int n) const;

    // Extracts the `item`-th group (1-based) that starts with "<TagInicio" and ends with
    // "</TagFim>" (TagFim empty: TagInicio) from the text of level nivel - 1 (1..10); stores it
    // as level `nivel` and as Grupo, and returns it (empty when absent).
    std::string rExtrai(int nivel, std::string_view TagInicio, std::string_view TagFim = "",
                        int item = 1);
    // Content of the element TAG of Grupo converted by kind: text for tcStr/tcEsp, integer for
    // tcInt/tcInt64, real for decimals, date-time (real) for dates and times. The tag is
    // matched ignoring case; with TAGparada the element is only read when it comes before
    // "<TAGparada>". Throws std::runtime_error naming the tag and content for a malformed date
    // or time and for a kind that cannot be read.
    TVariante rCampo(TTipoCampo Tipo, std::string_view TAG, std::string_view TAGparada = "") const;
    // CNPJ, or CPF when CNPJ is blank.
    std::string rCampoCNPJCPF(std::string_view TAGparada = "") const;
    // Value of an attribute in Grupo (quoted with " or '), entity-decoded; empty when absent.
    // A name ending in "=" is searched as given. With Tag, the search restarts at the first Tag
    // after the first match.
    TVariante rAtributo(std::string_view Atributo, std::string_view Tag = "") const;
    // 1-based position of the last occurrence of SubStr in S; 0 when absent.
    static int PosLast(std::string_view SubStr, std::string_view S);

private:
    std::array<std::string, MaxNivel + 1> fNivel;  // [0] unused: level 0 is Arquivo
};

// Entity decoding of the reader: CDATA markers removed when present, otherwise the five named
// entities and "&#x..;" references (bytes of the ANSI code page); the result trimmed.
std::string decodificarEntidades(std::string_view s);
// Lenient decimal number: "." and "," both separators, all but the last dropped
// ("1.234,56" and "1,234.56" give 1234.56). `ok` false and 0 when it does not parse.
double lerDecimal(std::string_view s, bool* ok = nullptr);

} // namespace orv
