#pragma once
// Enumerations of the CF-e documents and their texts in the XML.
//
// Each enumeration has one table of (member, text) rows. To text: the text of the last row of
// the member (a member without a row gives the empty text). From text: compares with every row
// ignoring case, the last matching row wins; when nothing matches, the member of the first row
// is returned and `ok` becomes false (the readers ignore the flag).

#include <string>
#include <string_view>

namespace orv {

enum class TTipoAmbiente { taProducao, taHomologacao };

enum class TRegTrib { RTSimplesNacional, RTRegimeNormal };

enum class TRegTribISSQN {
    RTISSNenhum,
    RTISSMicroempresaMunicipal,
    RTISSEstimativa,
    RTISSSociedadeProfissionais,
    RTISSCooperativa,
    RTISSMEI,
    RTISSMEEPP
};

enum class TindRatISSQN { irSim, irNao };

enum class TindRegra { irArredondamento, irTruncamento };

enum class TindIncentivo { iiSim, iiNao };

enum class TOrigemMercadoria {
    oeNacional,
    oeEstrangeiraImportacaoDireta,
    oeEstrangeiraAdquiridaBrasil,
    oeNacionalConteudoImportacaoSuperior40,
    oeNacionalProcessosBasicos,
    oeNacionalConteudoImportacaoInferiorIgual40,
    oeEstrangeiraImportacaoDiretaSemSimilar,
    oeEstrangeiraAdquiridaBrasilSemSimilar,
    oeNacionalConteudoImportacaoSuperior70,
    oeReservadoParaUsoFuturo,
    oeVazio
};

enum class TCSTIcms {
    cst00, cst10, cst20, cst30, cst40, cst41, cst45, cst50, cst51, cst60, cst70, cst80, cst81,
    cst90, cstPart10, cstPart90, cstRep41, cstVazio, cstICMSOutraUF, cstICMSSN, cstRep60,
    cst02, cst15, cst53, cst61, cst01, cst12, cst13, cst14, cst21, cst72, cst73, cst74
};

enum class TCSOSNIcms {
    csosnVazio, csosn101, csosn102, csosn103, csosn201, csosn202, csosn203, csosn300, csosn400,
    csosn500, csosn900
};

enum class TCstPis {
    pis01, pis02, pis03, pis04, pis05, pis06, pis07, pis08, pis09, pis49, pis50, pis51, pis52,
    pis53, pis54, pis55, pis56, pis60, pis61, pis62, pis63, pis64, pis65, pis66, pis67, pis70,
    pis71, pis72, pis73, pis74, pis75, pis98, pis99
};

enum class TCstCofins {
    cof01, cof02, cof03, cof04, cof05, cof06, cof07, cof08, cof09, cof49, cof50, cof51, cof52,
    cof53, cof54, cof55, cof56, cof60, cof61, cof62, cof63, cof64, cof65, cof66, cof67, cof70,
    cof71, cof72, cof73, cof74, cof75, cof98, cof99
};

enum class TCodigoMP {
    mpDinheiro, mpCheque, mpCartaodeCredito, mpCartaodeDebito, mpCreditoLoja,
    mpValeAlimentacao, mpValeRefeicao, mpValePresente, mpValeCombustivel, mpBoletoBancario,
    mpDepositoBancario, mpPagamentoInstantaneo, mpTransfBancario, mpProgramaFidelidade,
    mpSemPagamento, mpOutros
};

// Writer option: when the signature block is written. Has no text.
enum class TTagAssinatura { taSempre, taNunca, taSomenteSeAssinada, taSomenteParaNaoAssinada };

// To text.
std::string paraTexto(TTipoAmbiente v);
std::string paraTexto(TRegTrib v);
std::string paraTexto(TRegTribISSQN v);
std::string paraTexto(TindRatISSQN v);
std::string paraTexto(TindRegra v);
std::string paraTexto(TindIncentivo v);
std::string paraTexto(TOrigemMercadoria v);
std::string paraTexto(TCSTIcms v);
std::string paraTexto(TCSOSNIcms v);
std::string paraTexto(TCstPis v);
std::string paraTexto(TCstCofins v);
std::string paraTexto(TCodigoMP v);

// From text: deTexto<TCodigoMP>("01", ok).
template <typename E>
E deTexto(std::string_view texto, bool& ok);

template <>
TTipoAmbiente deTexto<TTipoAmbiente>(std::string_view texto, bool& ok);
template <>
TRegTrib deTexto<TRegTrib>(std::string_view texto, bool& ok);
template <>
TRegTribISSQN deTexto<TRegTribISSQN>(std::string_view texto, bool& ok);
template <>
TindRatISSQN deTexto<TindRatISSQN>(std::string_view texto, bool& ok);
template <>
TindRegra deTexto<TindRegra>(std::string_view texto, bool& ok);
template <>
TindIncentivo deTexto<TindIncentivo>(std::string_view texto, bool& ok);
template <>
TOrigemMercadoria deTexto<TOrigemMercadoria>(std::string_view texto, bool& ok);
template <>
TCSTIcms deTexto<TCSTIcms>(std::string_view texto, bool& ok);
template <>
TCSOSNIcms deTexto<TCSOSNIcms>(std::string_view texto, bool& ok);
template <>
TCstPis deTexto<TCstPis>(std::string_view texto, bool& ok);
template <>
TCstCofins deTexto<TCstCofins>(std::string_view texto, bool& ok);
template <>
TCodigoMP deTexto<TCodigoMP>(std::string_view texto, bool& ok);

template <typename E>
E deTexto(std::string_view texto) {
    bool ok = true;
    return deTexto<E>(texto, ok);
}

} // namespace orv
