#pragma once
// Writer of the CF-e sale document: renders a TCFe as the entry document that the commercial
// application hands to the SAT device (only the application's elements) or as the complete
// CF-e as the device returns it.

#include "cfe/CFe.h"
#include "cfe/Conversao.h"
#include "cfe/Gerador.h"

#include <string>
#include <string_view>

namespace orv {

namespace escritor {

// Options of the document writers (not the generator's options of the same name).
class TGeradorOpcoes {
public:
    bool AjustarTagNro = true;  // a street number of 1 or 2 digits is padded to 3
    TTagAssinatura GerarTagAssinatura = TTagAssinatura::taSomenteSeAssinada;
    bool ValidarListaServicos = false;
    // Kept for the callers that set them; they change nothing in these documents.
    bool GerarTXTSimultaneamente = false;
    bool GerarTagIPIparaNaoTributado = true;
    bool NormatizarMunicipios = false;
    bool ValidarInscricoes = false;
    std::string PathArquivoMunicipios;
};

// Group beginnings that the writers keep out of the generator's TagNivel.
inline constexpr const char* IGNORAR_TAG_NIVEL =
    "|?xml version|CFe xmlns|infCFe versao|obsCont|obsFisco|";
inline constexpr const char* DECLARACAO_UTF8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// Pieces shared by the sale and the cancellation writers.
// Street number as written: 1 or 2 digits only become 3 digits with leading zeros.
std::string ajustarNro(std::string_view nro, bool ajustar);
// Digits of the state registration, right-padded with spaces to 12 (text preparation trims them
// again, so an IE without digits becomes an element with empty content, never "<IE/>").
std::string ieParaEscrita(std::string_view ie);
// Whether the signature block is written for these values under the option.
bool deveGerarAssinatura(TTagAssinatura opcao, const TSignature& s);
// Appends the signature block rendered by the signature's own generator.
void escreverAssinatura(TGerador& g, TSignature& s, std::string_view idDocumento);
// One "obsFisco xCampo=..." group with its xTexto element, and the xCampo alerts.
void escreverObsFisco(TGerador& g, const TobsFiscoCollectionItem& o, std::string_view idGrupo,
                      std::string_view idTexto);
// Alert when a list has more entries than allowed.
void alertarOcorrencias(TGerador& g, std::string_view id, std::string_view tag, int quantidade,
                        int maximo);
// IBGE codes: state, and municipality with its check digit.
bool ufIbgeValida(int cUF);
bool municipioIbgeValido(int cMun);
bool siglaUfValida(std::string_view uf);

// What the sale and the cancellation writers share: their generator, options and mode.
class TEscritor {
public:
    TGerador Gerador;
    TGeradorOpcoes Opcoes;
    bool ApenasTagsAplicacao = false;

protected:
    TEscritor() { Gerador.IgnorarTagNivel = IGNORAR_TAG_NIVEL; }

    bool completo() const { return !ApenasTagsAplicacao; }
    // Starts a rendering in the mode given: the generator's document becomes `inicio`, with no
    // alerts and at level 0.
    void iniciar(bool apenasTagsAplicacao, std::string_view inicio);
};

} // namespace escritor

class TCFeW : public escritor::TEscritor {
public:
    explicit TCFeW(TCFe& AOwner) : CFe(AOwner) {}

    TCFe& CFe;

    // Renders into Gerador.ArquivoFormatoXML; true when no alert was recorded.
    bool GerarXml(bool ApenasTagsAplicacao);

private:
    void gerarIde();
    void gerarEmit();
    void gerarDest();
    void gerarEntrega();
    void gerarDet(TDetCollectionItem& det);
    void gerarProd(TProd& prod);
    void gerarImposto(const TImposto& imp);
    void gerarICMS(const TICMS& icms);
    void gerarPIS(const TPIS& pis);
    void gerarPISST(const TPISST& st);
    void gerarCOFINS(const TCOFINS& cofins);
    void gerarCOFINSST(const TCOFINSST& st);
    void gerarISSQN(const TISSQN& issqn);
    void gerarTotal();
    void gerarPagto();
    void gerarInfAdic();
    void gerarObsFisco();
};

} // namespace orv
