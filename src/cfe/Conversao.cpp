#include "cfe/Conversao.h"

#include "support/Texto.h"

#include <array>
#include <span>
#include <utility>

namespace orv {
namespace {

template <typename E>
using Tabela = std::span<const std::pair<E, const char*>>;

template <typename E>
std::string textoDe(Tabela<E> tabela, E v) {
    std::string r;
    for (const auto& [membro, texto] : tabela)
        if (membro == v) r = texto;
    return r;
}

template <typename E>
E membroDe(Tabela<E> tabela, std::string_view texto, bool& ok) {
    E r = tabela.front().first;
    ok = false;
    for (const auto& [membro, t] : tabela)
        if (iguaisSemCaixa(texto, t)) {
            r = membro;
            ok = true;
        }
    return r;
}

using enum TTipoAmbiente;
constexpr std::pair<TTipoAmbiente, const char*> tTipoAmbiente[] = {
    {taProducao, "1"}, {taHomologacao, "2"}};

// "0" and "3" both read as the normal regime; "3" is what is written.
constexpr std::pair<TRegTrib, const char*> tRegTrib[] = {
    {TRegTrib::RTRegimeNormal, "0"},
    {TRegTrib::RTSimplesNacional, "1"},
    {TRegTrib::RTRegimeNormal, "3"}};

using enum TRegTribISSQN;
constexpr std::pair<TRegTribISSQN, const char*> tRegTribISSQN[] = {
    {RTISSNenhum, "0"},      {RTISSMicroempresaMunicipal, "1"}, {RTISSEstimativa, "2"},
    {RTISSSociedadeProfissionais, "3"}, {RTISSCooperativa, "4"}, {RTISSMEI, "5"},
    {RTISSMEEPP, "6"}};

constexpr std::pair<TindRatISSQN, const char*> tIndRatISSQN[] = {
    {TindRatISSQN::irSim, "S"}, {TindRatISSQN::irNao, "N"}};

constexpr std::pair<TindRegra, const char*> tIndRegra[] = {
    {TindRegra::irArredondamento, "A"}, {TindRegra::irTruncamento, "T"}};

constexpr std::pair<TindIncentivo, const char*> tIndIncentivo[] = {
    {TindIncentivo::iiSim, "1"}, {TindIncentivo::iiNao, "2"}};

using enum TOrigemMercadoria;
constexpr std::pair<TOrigemMercadoria, const char*> tOrigem[] = {
    {oeNacional, "0"},
    {oeEstrangeiraImportacaoDireta, "1"},
    {oeEstrangeiraAdquiridaBrasil, "2"},
    {oeNacionalConteudoImportacaoSuperior40, "3"},
    {oeNacionalProcessosBasicos, "4"},
    {oeNacionalConteudoImportacaoInferiorIgual40, "5"},
    {oeEstrangeiraImportacaoDiretaSemSimilar, "6"},
    {oeEstrangeiraAdquiridaBrasilSemSimilar, "7"},
    {oeNacionalConteudoImportacaoSuperior70, "8"},
    {oeReservadoParaUsoFuturo, "9"},
    {oeVazio, ""}};

// ICMS CST: writing and reading use different tables. The special members write as their plain
// code and read only from their own marked text ("91", "10part", ...). The codes 01, 12, 13,
// 14, 21, 72, 73 and 74 are routed to ICMS00 by the writer, so they carry their two digits both
// ways: an empty CST element would make an invalid document.
using enum TCSTIcms;
constexpr std::pair<TCSTIcms, const char*> tCstIcmsEscrita[] = {
    {cstVazio, ""},       {cst00, "00"},          {cst10, "10"},      {cst20, "20"},
    {cst30, "30"},        {cst40, "40"},          {cst41, "41"},      {cst45, "45"},
    {cst50, "50"},        {cst51, "51"},          {cst60, "60"},      {cst70, "70"},
    {cst80, "80"},        {cst81, "81"},          {cst90, "90"},      {cstICMSOutraUF, "90"},
    {cstICMSSN, "SN"},    {cstPart10, "10"},      {cstPart90, "90"},  {cstRep41, "41"},
    {cstRep60, "60"},     {cst02, "02"},          {cst15, "15"},      {cst53, "53"},
    {cst61, "61"},        {cst01, "01"},          {cst12, "12"},      {cst13, "13"},
    {cst14, "14"},        {cst21, "21"},          {cst72, "72"},      {cst73, "73"},
    {cst74, "74"}};
constexpr std::pair<TCSTIcms, const char*> tCstIcmsLeitura[] = {
    {cstVazio, ""},        {cst00, "00"},         {cst10, "10"},       {cst20, "20"},
    {cst30, "30"},         {cst40, "40"},         {cst41, "41"},       {cst45, "45"},
    {cst50, "50"},         {cst51, "51"},         {cst60, "60"},       {cst70, "70"},
    {cst80, "80"},         {cst81, "81"},         {cst90, "90"},       {cstICMSOutraUF, "91"},
    {cstICMSSN, "SN"},     {cstPart10, "10part"}, {cstPart90, "90part"}, {cstRep41, "41rep"},
    {cstRep60, "60rep"},   {cst02, "02"},         {cst15, "15"},       {cst53, "53"},
    {cst61, "61"},         {cst01, "01"},         {cst12, "12"},       {cst13, "13"},
    {cst14, "14"},         {cst21, "21"},         {cst72, "72"},       {cst73, "73"},
    {cst74, "74"}};

using enum TCSOSNIcms;
constexpr std::pair<TCSOSNIcms, const char*> tCsosn[] = {
    {csosnVazio, ""},   {csosn101, "101"}, {csosn102, "102"}, {csosn103, "103"},
    {csosn201, "201"},  {csosn202, "202"}, {csosn203, "203"}, {csosn300, "300"},
    {csosn400, "400"},  {csosn500, "500"}, {csosn900, "900"}};

// PIS and COFINS share their 33 codes, in member order.
constexpr const char* codigosPisCofins[] = {
    "01", "02", "03", "04", "05", "06", "07", "08", "09", "49", "50",
    "51", "52", "53", "54", "55", "56", "60", "61", "62", "63", "64",
    "65", "66", "67", "70", "71", "72", "73", "74", "75", "98", "99"};
constexpr std::size_t nPisCofins = std::size(codigosPisCofins);

template <typename E>
constexpr auto tabelaPisCofins() {
    std::array<std::pair<E, const char*>, nPisCofins> t{};
    for (std::size_t i = 0; i < nPisCofins; ++i) t[i] = {static_cast<E>(i), codigosPisCofins[i]};
    return t;
}
constexpr auto tCstPis = tabelaPisCofins<TCstPis>();
constexpr auto tCstCofins = tabelaPisCofins<TCstCofins>();

using enum TCodigoMP;
constexpr std::pair<TCodigoMP, const char*> tCodigoMP[] = {
    {mpDinheiro, "01"},          {mpCheque, "02"},
    {mpCartaodeCredito, "03"},   {mpCartaodeDebito, "04"},
    {mpCreditoLoja, "05"},       {mpValeAlimentacao, "10"},
    {mpValeRefeicao, "11"},      {mpValePresente, "12"},
    {mpValeCombustivel, "13"},   {mpBoletoBancario, "15"},
    {mpDepositoBancario, "16"},  {mpPagamentoInstantaneo, "17"},
    {mpTransfBancario, "18"},    {mpProgramaFidelidade, "19"},
    {mpSemPagamento, "90"},      {mpOutros, "99"}};

} // namespace

#define ORV_CONVERSAO(E, TAB_ESCRITA, TAB_LEITURA)                                             \
    std::string paraTexto(E v) { return textoDe<E>(TAB_ESCRITA, v); }                          \
    template <>                                                                                \
    E deTexto<E>(std::string_view texto, bool& ok) {                                           \
        return membroDe<E>(TAB_LEITURA, texto, ok);                                            \
    }

ORV_CONVERSAO(TTipoAmbiente, tTipoAmbiente, tTipoAmbiente)
ORV_CONVERSAO(TRegTrib, tRegTrib, tRegTrib)
ORV_CONVERSAO(TRegTribISSQN, tRegTribISSQN, tRegTribISSQN)
ORV_CONVERSAO(TindRatISSQN, tIndRatISSQN, tIndRatISSQN)
ORV_CONVERSAO(TindRegra, tIndRegra, tIndRegra)
ORV_CONVERSAO(TindIncentivo, tIndIncentivo, tIndIncentivo)
ORV_CONVERSAO(TOrigemMercadoria, tOrigem, tOrigem)
ORV_CONVERSAO(TCSTIcms, tCstIcmsEscrita, tCstIcmsLeitura)
ORV_CONVERSAO(TCSOSNIcms, tCsosn, tCsosn)
ORV_CONVERSAO(TCstPis, tCstPis, tCstPis)
ORV_CONVERSAO(TCstCofins, tCstCofins, tCstCofins)
ORV_CONVERSAO(TCodigoMP, tCodigoMP, tCodigoMP)

#undef ORV_CONVERSAO

} // namespace orv
