#include "cfe/CFeW.h"

#include "cfe/ArquivoXML.h"
#include "support/Texto.h"

#include <cstdio>

namespace orv {

namespace escritor {

std::string ajustarNro(std::string_view nro, bool ajustar) {
    std::string n = trim(nro);
    if (ajustar && !n.empty() && n.size() <= 2 && somenteNumeros(n).size() == n.size())
        n.insert(0, 3 - n.size(), '0');
    return n;
}

void TEscritor::iniciar(bool apenasTagsAplicacao, std::string_view inicio) {
    ApenasTagsAplicacao = apenasTagsAplicacao;
    Gerador.LayoutArquivoTXT.clear();
    Gerador.ArquivoFormatoXML = inicio;
    Gerador.ArquivoFormatoTXT.clear();
    Gerador.ListaDeAlertas.clear();
    Gerador.Opcoes.NivelIdentacao = 0;
}

std::string ieParaEscrita(std::string_view ie) {
    std::string d = somenteNumeros(ie);
    if (d.size() < 12) d.append(12 - d.size(), ' ');
    return d;
}

bool deveGerarAssinatura(TTagAssinatura opcao, const TSignature& s) {
    bool todos = !s.DigestValue.empty() && !s.SignatureValue.empty() && !s.X509Certificate.empty();
    bool nenhum = s.DigestValue.empty() && s.SignatureValue.empty() && s.X509Certificate.empty();
    switch (opcao) {
    case TTagAssinatura::taSempre: return true;
    case TTagAssinatura::taNunca: return false;
    case TTagAssinatura::taSomenteSeAssinada: return todos;
    case TTagAssinatura::taSomenteParaNaoAssinada: return nenhum;
    }
    return false;
}

void escreverAssinatura(TGerador& g, TSignature& s, std::string_view idDocumento) {
    s.URI = somenteNumeros(idDocumento);
    s.Gerador().Opcoes.IdentarXML = g.Opcoes.IdentarXML;
    g.wTexto(s.GerarXML());
}

void escreverObsFisco(TGerador& g, const TobsFiscoCollectionItem& o, std::string_view idGrupo,
                      std::string_view idTexto) {
    std::string xCampo = trim(o.xCampo);
    if (contarCaracteres(xCampo) > 20)
        g.wAlerta(idGrupo, "xCampo", "Identificação do campo", ERR_MSG_MAIOR);
    if (xCampo.empty()) g.wAlerta(idGrupo, "xCampo", "Identificação do campo", ERR_MSG_VAZIO);
    g.wGrupo("obsFisco xCampo=\"" + escaparXML(xCampo) + "\"", idGrupo);
    g.wCampo(tcStr, idTexto, "xTexto", 1, 60, 1, o.xTexto);
    g.wGrupo("/obsFisco");
}

void alertarOcorrencias(TGerador& g, std::string_view id, std::string_view tag, int quantidade,
                        int maximo) {
    if (quantidade > maximo)
        g.wAlerta(id, tag, "", std::string(ERR_MSG_MAX_OCORRENCIAS) + std::to_string(maximo));
}

bool ufIbgeValida(int cUF) {
    for (int c : {12, 27, 16, 13, 29, 23, 53, 32, 52, 21, 51, 50, 31, 15, 25, 41, 26, 22, 33, 24,
                  43, 11, 14, 42, 35, 28, 17, 90, 91})
        if (c == cUF) return true;
    return false;
}

bool municipioIbgeValido(int cMun) {
    if (cMun == 9999999) return true;
    if (cMun < 1000000 || cMun > 9999999) return false;
    // Codes created after the check-digit rule carry a digit the rule does not give.
    for (int excecao : {2201919, 2202251, 2201988, 2611533, 3117836, 3152131, 4305871, 5203939, 5203962})
        if (cMun / 10 == excecao / 10) return cMun == excecao;
    char d[8];
    std::snprintf(d, sizeof d, "%07d", cMun);
    if (!ufIbgeValida((d[0] - '0') * 10 + (d[1] - '0'))) return false;
    if (d[2] == '0' && d[3] == '0' && d[4] == '0' && d[5] == '0') return false;
    int s = 0;
    const int pesos[6] = {1, 2, 1, 2, 1, 2};
    for (int i = 0; i < 6; ++i) {
        int p = (d[i] - '0') * pesos[i];
        s += p / 10 + p % 10;
    }
    return d[6] - '0' == (10 - s % 10) % 10;
}

bool siglaUfValida(std::string_view uf) {
    static constexpr const char* siglas[] = {"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA",
                                             "MT", "MS", "MG", "PA", "PB", "PR", "PE", "PI", "RJ", "RN",
                                             "RS", "RO", "RR", "SC", "SP", "SE", "TO", "EX"};
    for (const char* s : siglas)
        if (uf == s) return true;
    return false;
}

} // namespace escritor

using namespace escritor;

namespace {
const Currency V007 = Currency::deRaw(700);
const Currency V008 = Currency::deRaw(800);
const Currency V009 = Currency::deRaw(900);
const Currency V010 = Currency::deRaw(1000);
const Currency ZERO;
bool positivo(Currency c) { return c > ZERO; }

std::string versao2(Currency v) { return formatarDecimal(v.paraDouble(), 2); }
} // namespace

bool TCFeW::GerarXml(bool apenasTagsAplicacao) {
    iniciar(apenasTagsAplicacao, "");
    // Room for a typical coupon, so a 500-item document is not copied over and over.
    Gerador.ArquivoFormatoXML.reserve(1024 + static_cast<std::size_t>(CFe.Det.Count()) * 1200);

    Gerador.wGrupo("CFe");
    std::string atributos;
    if (completo()) {
        char sb[16];
        std::snprintf(sb, sizeof sb, "%06d", CFe.infCFe.versaoSB);
        atributos = " versao=\"" + versao2(CFe.infCFe.versao) + "\" versaoDadosEnt=\"" +
                    versao2(CFe.infCFe.versaoDadosEnt) + "\" versaoSB=\"" + sb + "\" Id=\"" +
                    escaparXML(CFe.infCFe.ID) + "\"";
    } else {
        atributos = " versaoDadosEnt=\"" + versao2(CFe.infCFe.versaoDadosEnt) + "\"";
    }
    Gerador.wGrupo("infCFe" + atributos, "A01");
    gerarIde();
    gerarEmit();
    gerarDest();
    gerarEntrega();
    alertarOcorrencias(Gerador, "H01", "det", CFe.Det.Count(), 500);
    for (auto& det : CFe.Det) gerarDet(det);
    gerarTotal();
    gerarPagto();
    gerarInfAdic();
    if (CFe.infCFe.versaoDadosEnt >= V008) gerarObsFisco();
    Gerador.wGrupo("/infCFe");
    if (deveGerarAssinatura(Opcoes.GerarTagAssinatura, CFe.signature))
        escreverAssinatura(Gerador, CFe.signature, CFe.infCFe.ID);
    Gerador.wGrupo("/CFe");
    return Gerador.ListaDeAlertas.empty();
}

void TCFeW::gerarIde() {
    TGerador& g = Gerador;
    const Tide& ide = CFe.ide;
    const int F = completo() ? 0 : -1;  // complete document only: optional, else skipped
    g.wGrupo("ide", "B01");
    g.wCampo(tcInt, "B02", "cUF", 2, 2, F, ide.cUF);
    if (completo() && !ufIbgeValida(ide.cUF)) g.wAlerta("B02", "cUF", "", ERR_MSG_INVALIDO);
    g.wCampo(tcInt, "B03", "cNF", 6, 6, F, ide.cNF);
    g.wCampo(tcInt, "B04", "mod", 2, 2, F, ide.modelo);
    g.wCampo(tcInt, "B05", "nserieSAT", 9, 9, F, ide.nserieSAT);
    g.wCampo(tcInt, "B06", "nCFe", 6, 6, F, ide.nCFe);
    g.wCampo(tcDatCFe, "B07", "dEmi", 8, 8, F, ide.dEmi());
    g.wCampo(tcHorCFe, "B08", "hEmi", 6, 6, F, ide.hEmi());
    g.wCampo(tcInt, "B09", "cDV", 1, 1, F, ide.cDV);
    g.wCampo(tcStr, "B10", "tpAmb", 1, 1, F, paraTexto(ide.tpAmb));
    g.wCampoCNPJCPF("B11", "B11", ide.CNPJ, true, true);
    g.wCampo(tcStr, "B12", "signAC", 1, 344, 1, ide.signAC);
    g.wCampo(tcStr, "B13", "assinaturaQRCODE", 344, 344, F, ide.assinaturaQRCODE);
    g.wCampo(tcInt, "B14", "numeroCaixa", 3, 3, 1, ide.numeroCaixa);
    g.wGrupo("/ide");
}

void TCFeW::gerarEmit() {
    TGerador& g = Gerador;
    const TEmit& e = CFe.Emit;
    const int F = completo() ? 0 : -1;
    g.wGrupo("emit", "C01");
    g.wCampoCNPJCPF("C02", "C02a", e.CNPJ, true, true);
    g.wCampo(tcStr, "C03", "xNome", 1, 60, F, e.xNome);
    g.wCampo(tcStr, "C04", "xFant", 1, 60, F, e.xFant);
    if (completo()) {
        const TenderEmit& a = e.EnderEmit;
        g.wGrupo("enderEmit", "C05");
        g.wCampo(tcStr, "C06", "xLgr", 2, 60, 0, a.xLgr);
        g.wCampo(tcStr, "C07", "nro", 1, 60, 0, ajustarNro(a.nro, Opcoes.AjustarTagNro));
        g.wCampo(tcStr, "C08", "xCpl", 1, 60, 0, a.xCpl);
        g.wCampo(tcStr, "C09", "xBairro", 2, 60, 0, a.xBairro);
        g.wCampo(tcStr, "C10", "xMun", 2, 60, 0, a.xMun);
        g.wCampo(tcInt, "C11", "CEP", 8, 8, 0, a.CEP);
        g.wGrupo("/enderEmit");
    }
    g.wCampo(tcStrOrig, "C12", "IE", 2, 14, 1, ieParaEscrita(e.IE));
    const bool temIM = !trim(e.IM).empty();
    if (temIM) g.wCampo(tcStr, "C13", "IM", 1, 15, 1, e.IM);
    if (completo()) g.wCampo(tcInt, "C14", "cRegTrib", 1, 1, 1, paraTexto(e.cRegTrib));
    if (temIM && e.cRegTribISSQN != TRegTribISSQN::RTISSNenhum)
        g.wCampo(tcInt, "C15", "cRegTribISSQN", 1, 1, 1, paraTexto(e.cRegTribISSQN));
    g.wCampo(tcStr, "C16", "indRatISSQN", 1, 1, 1, paraTexto(e.indRatISSQN));
    g.wGrupo("/emit");
}

void TCFeW::gerarDest() {
    Gerador.wGrupo("dest", "E01");
    Gerador.wCampoCNPJCPF("E02", "E03", CFe.Dest.CNPJCPF, false, true);
    Gerador.wCampo(tcStr, "E04", "xNome", 1, 60, 0, CFe.Dest.xNome);
    Gerador.wGrupo("/dest");
}

void TCFeW::gerarEntrega() {
    const TEntrega& e = CFe.Entrega;
    bool algum = false;
    for (const std::string* s : {&e.xLgr, &e.nro, &e.xCpl, &e.xBairro, &e.xMun, &e.UF})
        algum = algum || !trim(*s).empty();
    if (!algum) return;
    TGerador& g = Gerador;
    g.wGrupo("entrega", "G01");
    g.wCampo(tcStr, "G02", "xLgr", 2, 60, 1, e.xLgr);
    g.wCampo(tcStr, "G03", "nro", 1, 60, 1, ajustarNro(e.nro, Opcoes.AjustarTagNro));
    g.wCampo(tcStr, "G04", "xCpl", 1, 60, 0, e.xCpl);
    g.wCampo(tcStr, "G05", "xBairro", 1, 60, 1, e.xBairro);
    g.wCampo(tcStr, "G06", "xMun", 2, 60, 1, e.xMun);
    g.wCampo(tcStr, "G07", "UF", 2, 2, 1, e.UF);
    if (!siglaUfValida(trim(e.UF))) g.wAlerta("G07", "UF", "", ERR_MSG_INVALIDO);
    g.wGrupo("/entrega");
}

void TCFeW::gerarDet(TDetCollectionItem& det) {
    Gerador.wGrupo("det nItem=\"" + std::to_string(det.nItem) + "\"", "H01");
    gerarProd(det.Prod);
    gerarImposto(det.Imposto);
    Gerador.wCampo(tcStr, "V01", "infAdProd", 1, 500, 0, det.infAdProd);
    Gerador.wGrupo("/det");
}

void TCFeW::gerarProd(TProd& p) {
    TGerador& g = Gerador;
    const int F = completo() ? 1 : -1;  // complete document only: required, else skipped
    const int FO = completo() ? 0 : -1;
    const Currency v = CFe.infCFe.versaoDadosEnt;
    const bool v010 = v >= V010;
    g.wGrupo("prod", "I01");
    g.wCampo(tcStr, "I02", "cProd", 1, 60, 1, p.cProd);
    if (v010)
        g.wCampo(tcStr, "I03", "cEAN", 8, 14, 1, trim(p.cEAN).empty() ? std::string("SEM GTIN") : p.cEAN);
    else
        g.wCampo(tcStr, "I03", "cEAN", 8, 14, 0, p.cEAN);
    g.wCampo(tcStr, "I04", "xProd", 1, 120, 1, p.xProd);
    g.wCampo(tcStr, "I05", "NCM", 2, 8, v010 ? 1 : 0, p.NCM);
    if (v >= V008) g.wCampo(tcStr, "I05w", "CEST", 7, 7, 0, p.CEST);
    g.wCampo(tcEsp, "I06", "CFOP", 4, 4, 1, somenteNumeros(p.CFOP));
    g.wCampo(tcStr, "I07", "uCom", 1, 6, 1, p.uCom);
    g.wCampo(tcDe4, "I08", "qCom", 5, 15, 1, p.qCom);
    g.wCampo(p.EhCombustivel ? tcDe3 : tcDe2, "I09", "vUnCom", 3, 15, 1, p.vUnCom);
    g.wCampo(tcDe2, "I10", "vProd", 3, 15, F, p.vProd);
    p.indRegra = p.EhCombustivel ? TindRegra::irTruncamento : TindRegra::irArredondamento;
    g.wCampo(tcStr, "I11", "indRegra", 1, 1, 1, paraTexto(p.indRegra));
    g.wCampo(tcDe2, "I12", "vDesc", 3, 15, 0, p.vDesc);
    g.wCampo(tcDe2, "I13", "vOutro", 3, 15, 0, p.vOutro);
    g.wCampo(tcDe2, "I14", "vItem", 3, 15, F, p.vItem);
    g.wCampo(tcDe2, "I15", "vRatDesc", 3, 15, FO, p.vRatDesc);
    g.wCampo(tcDe2, "I16", "vRatAcr", 3, 15, FO, p.vRatAcr);
    alertarOcorrencias(g, "I18", "obsFiscoDet", p.obsFiscoDet.Count(), 10);
    for (const auto& o : p.obsFiscoDet) {
        g.wGrupo("obsFiscoDet xCampoDet=\"" + escaparXML(o.xCampoDet) + "\"", "I18");
        g.wCampo(tcStr, "I19", "xTextoDet", 1, 60, 1, o.xTextoDet);
        g.wGrupo("/obsFiscoDet");
    }
    if (v010) g.wCampo(tcInt64, "I20", "cANP", 9, 9, 0, p.cANP);
    g.wGrupo("/prod");
}

void TCFeW::gerarImposto(const TImposto& imp) {
    Gerador.wGrupo("imposto", "M01");
    Gerador.wCampo(tcDe2, "M02", "vItem12741", 3, 15, 0, imp.vItem12741);
    if (imp.ISSQN.cNatOp <= 0)
        gerarICMS(imp.ICMS);
    else
        gerarISSQN(imp.ISSQN);
    gerarPIS(imp.PIS);
    gerarPISST(imp.PISST);
    gerarCOFINS(imp.COFINS);
    gerarCOFINSST(imp.COFINSST);
    Gerador.wGrupo("/imposto");
}

void TCFeW::gerarICMS(const TICMS& icms) {
    TGerador& g = Gerador;
    const int F = completo() ? 1 : -1;
    g.wGrupo("ICMS", "N01");
    std::string grupo;
    if (CFe.Emit.cRegTrib == TRegTrib::RTRegimeNormal) {
        using enum TCSTIcms;
        switch (icms.CST) {
        case cst00: case cst20: case cst90: case cst01: case cst12: case cst13: case cst14:
        case cst21: case cst72: case cst73: case cst74:
            grupo = "ICMS00";
            break;
        case cst30: case cst40: case cst41: case cst50: case cst60: case cst61:
            grupo = "ICMS40";
            break;
        default:
            break;
        }
        if (!grupo.empty()) {
            g.wGrupo(grupo, grupo == "ICMS00" ? "N02" : "N03");
            g.wCampo(tcStr, "N06", "Orig", 1, 1, 1, paraTexto(icms.orig));
            g.wCampo(tcStr, "N07", "CST", 2, 2, 1, paraTexto(icms.CST));
            if (grupo == "ICMS00") {
                g.wCampo(tcDe2, "N08", "pICMS", 3, 5, 1, icms.pICMS);
                g.wCampo(tcDe2, "N09", "vICMS", 3, 15, F, icms.vICMS);
            }
        }
    } else {
        using enum TCSOSNIcms;
        switch (icms.CSOSN) {
        case csosn102: case csosn300: case csosn400: case csosn500: grupo = "ICMSSN102"; break;
        case csosn900: grupo = "ICMSSN900"; break;
        default: break;
        }
        if (!grupo.empty()) {
            g.wGrupo(grupo, grupo == "ICMSSN102" ? "N04" : "N05");
            g.wCampo(tcStr, "N06", "Orig", 1, 1, 1, paraTexto(icms.orig));
            g.wCampo(tcStr, "N10", "CSOSN", 3, 3, 1, paraTexto(icms.CSOSN));
            if (grupo == "ICMSSN900") {
                g.wCampo(tcDe2, "N08", "pICMS", 3, 5, 1, icms.pICMS);
                g.wCampo(tcDe2, "N09", "vICMS", 3, 15, F, icms.vICMS);
            }
        }
    }
    if (!grupo.empty()) g.wGrupo("/" + grupo);
    g.wGrupo("/ICMS");
}

namespace {

// The two digits of a PIS or COFINS situation code.
int codigoCST(const std::string& texto) { return TVariante(texto).paraInt(); }

} // namespace

void TCFeW::gerarPIS(const TPIS& pis) {
    TGerador& g = Gerador;
    const int F = completo() ? 1 : -1;
    const std::string cst = paraTexto(pis.CST);
    const int c = codigoCST(cst);
    g.wGrupo("PIS", "Q01");
    if (c == 1 || c == 2 || c == 5) {
        g.wGrupo("PISAliq", "Q02");
        g.wCampo(tcStr, "Q07", "CST", 2, 2, 1, cst);
        g.wCampo(tcDe2, "Q08", "vBC", 3, 15, 1, pis.vBC);
        g.wCampo(tcDe4, "Q09", "pPIS", 5, 5, 1, pis.pPIS);
        g.wCampo(tcDe2, "Q10", "vPIS", 3, 15, F, pis.vPIS);
        g.wGrupo("/PISAliq");
    } else if (c == 3) {
        g.wGrupo("PISQtde", "Q03");
        g.wCampo(tcStr, "Q07", "CST", 2, 2, 1, cst);
        g.wCampo(tcDe4, "Q11", "qBCProd", 5, 16, 1, pis.qBCProd);
        g.wCampo(tcDe4, "Q12", "vAliqProd", 5, 15, 1, pis.vAliqProd);
        g.wCampo(tcDe2, "Q10", "vPIS", 3, 15, F, pis.vPIS);
        g.wGrupo("/PISQtde");
    } else if (c == 4 || (c >= 6 && c <= 9)) {
        g.wGrupo("PISNT", "Q04");
        g.wCampo(tcStr, "Q07", "CST", 2, 2, 1, cst);
        g.wGrupo("/PISNT");
    } else if (c == 49) {
        g.wGrupo("PISSN", "Q05");
        g.wCampo(tcStr, "Q07", "CST", 2, 2, 1, cst);
        g.wGrupo("/PISSN");
    } else if (c >= 50 && c <= 99) {
        g.wGrupo("PISOutr", "Q06");
        g.wCampo(tcStr, "Q07", "CST", 2, 2, 1, cst);
        const bool porValor = pis.qBCProd + pis.vAliqProd <= ZERO;
        if (positivo(pis.vBC + pis.pPIS) && !porValor)
            g.wAlerta("Q06", "PISOutr", "",
                      "As TAG <vBC> e <pPIS> não podem ser informadas em conjunto com as TAG "
                      "<qBCProd> e <vAliqProd>");
        if (porValor) {
            g.wCampo(tcDe2, "Q08", "vBC", 3, 15, 1, pis.vBC);
            g.wCampo(tcDe4, "Q09", "pPIS", 5, 5, 1, pis.pPIS);
        } else {
            g.wCampo(tcDe4, "Q11", "qBCProd", 5, 16, 1, pis.qBCProd);
            g.wCampo(tcDe4, "Q12", "vAliqProd", 5, 15, 1, pis.vAliqProd);
        }
        g.wCampo(tcDe2, "Q10", "vPIS", 3, 15, F, pis.vPIS);
        g.wGrupo("/PISOutr");
    }
    g.wGrupo("/PIS");
}

void TCFeW::gerarPISST(const TPISST& st) {
    if (!(positivo(st.vBc) || positivo(st.pPis) || positivo(st.qBCProd) || positivo(st.vAliqProd) ||
          positivo(st.vPIS)))
        return;
    TGerador& g = Gerador;
    g.wGrupo("PISST", "R01");
    if (st.qBCProd + st.vAliqProd <= ZERO) {
        g.wCampo(tcDe2, "R02", "vBC", 3, 15, 0, st.vBc);
        g.wCampo(tcDe4, "R03", "pPIS", 5, 5, 0, st.pPis);
    } else {
        g.wCampo(tcDe4, "R04", "qBCProd", 5, 16, 0, st.qBCProd);
        g.wCampo(tcDe4, "R05", "vAliqProd", 5, 15, 0, st.vAliqProd);
    }
    g.wCampo(tcDe2, "R06", "vPIS", 3, 15, completo() ? 1 : -1, st.vPIS);
    g.wGrupo("/PISST");
}

void TCFeW::gerarCOFINS(const TCOFINS& cof) {
    TGerador& g = Gerador;
    const int F = completo() ? 1 : -1;
    const std::string cst = paraTexto(cof.CST);
    const int c = codigoCST(cst);
    g.wGrupo("COFINS", "S01");
    if (c == 1 || c == 2 || c == 5) {
        g.wGrupo("COFINSAliq", "S02");
        g.wCampo(tcStr, "S07", "CST", 2, 2, 1, cst);
        g.wCampo(tcDe2, "S08", "vBC", 3, 15, 1, cof.vBC);
        g.wCampo(tcDe4, "S09", "pCOFINS", 5, 5, 1, cof.pCOFINS);
        g.wCampo(tcDe2, "S10", "vCOFINS", 3, 15, F, cof.vCOFINS);
        g.wGrupo("/COFINSAliq");
    } else if (c == 3) {
        g.wGrupo("COFINSQtde", "S03");
        g.wCampo(tcStr, "S07", "CST", 2, 2, 1, cst);
        g.wCampo(tcDe4, "S11", "qBCProd", 5, 16, 1, cof.qBCProd);
        g.wCampo(tcDe4, "S12", "vAliqProd", 5, 15, 1, cof.vAliqProd);
        g.wCampo(tcDe2, "S10", "vCOFINS", 3, 15, F, cof.vCOFINS);
        g.wGrupo("/COFINSQtde");
    } else if (c == 4 || (c >= 6 && c <= 9)) {
        g.wGrupo("COFINSNT", "S04");
        g.wCampo(tcStr, "S07", "CST", 2, 2, 1, cst);
        g.wGrupo("/COFINSNT");
    } else if (c == 49) {
        g.wGrupo("COFINSSN", "S05");
        g.wCampo(tcStr, "S07", "CST", 2, 2, 1, cst);
        g.wGrupo("/COFINSSN");
    } else if (c >= 50 && c <= 99) {
        g.wGrupo("COFINSOutr", "S06");
        g.wCampo(tcStr, "S07", "CST", 2, 2, 1, cst);
        const bool porValor = cof.qBCProd + cof.vAliqProd <= ZERO;
        if (positivo(cof.vBC + cof.pCOFINS) && !porValor)
            g.wAlerta("S06", "COFINSOutr", "",
                      "As TAG <vBC> e <pCOFINS> não podem ser informadas em conjunto com as TAG "
                      "<qBCProd> e <vAliqProd>");
        if (porValor) {
            g.wCampo(tcDe2, "S08", "vBC", 3, 15, 1, cof.vBC);
            g.wCampo(tcDe4, "S09", "pCOFINS", 5, 5, 1, cof.pCOFINS);
        } else {
            g.wCampo(tcDe4, "S11", "qBCProd", 5, 16, 1, cof.qBCProd);
            g.wCampo(tcDe4, "S12", "vAliqProd", 5, 15, 1, cof.vAliqProd);
        }
        g.wCampo(tcDe2, "S10", "vCOFINS", 3, 15, F, cof.vCOFINS);
        g.wGrupo("/COFINSOutr");
    }
    g.wGrupo("/COFINS");
}

void TCFeW::gerarCOFINSST(const TCOFINSST& st) {
    if (!(positivo(st.vBC) || positivo(st.pCOFINS) || positivo(st.qBCProd) ||
          positivo(st.vAliqProd) || positivo(st.vCOFINS)))
        return;
    TGerador& g = Gerador;
    g.wGrupo("COFINSST", "T01");
    if (st.qBCProd + st.vAliqProd <= ZERO) {
        g.wCampo(tcDe2, "T02", "vBC", 3, 15, 0, st.vBC);
        g.wCampo(tcDe4, "T03", "pCOFINS", 5, 5, 0, st.pCOFINS);
    } else {
        g.wCampo(tcDe4, "T04", "qBCProd", 4, 16, 0, st.qBCProd);
        g.wCampo(tcDe4, "T05", "vAliqProd", 4, 15, 0, st.vAliqProd);
    }
    g.wCampo(tcDe2, "T06", "vCOFINS", 3, 15, completo() ? 0 : -1, st.vCOFINS);
    g.wGrupo("/COFINSST");
}

void TCFeW::gerarISSQN(const TISSQN& iss) {
    if (!(positivo(iss.vDeducISSQN) || positivo(iss.vBC) || positivo(iss.vAliq) || positivo(iss.vISSQN)))
        return;
    TGerador& g = Gerador;
    const int F = completo() ? 1 : -1;
    g.wGrupo("ISSQN", "U01");
    g.wCampo(tcDe2, "U02", "vDeducISSQN", 3, 15, 1, iss.vDeducISSQN);
    g.wCampo(tcDe2, "U03", "vBC", 3, 15, F, iss.vBC);
    g.wCampo(tcDe2, "U04", "vAliq", 5, 5, 1, iss.vAliq);
    g.wCampo(tcDe2, "U05", "vISSQN", 3, 15, F, iss.vISSQN);
    g.wCampo(tcInt, "U06", "cMunFG", 7, 7, 0, iss.cMunFG);
    if (iss.cMunFG != 0 && !municipioIbgeValido(iss.cMunFG)) g.wAlerta("U06", "cMunFG", "", ERR_MSG_INVALIDO);
    g.wCampo(tcStr, "U07", "cListServ", 5, 5, 0, iss.cListServ);
    g.wCampo(tcStr, "U08", "cServTribMun", 20, 20, 0, iss.cServTribMun);
    g.wCampo(tcInt, "U09", "cNatOp", 2, 2, 1, iss.cNatOp);
    g.wCampo(tcStr, "U10", "indIncFisc", 1, 1, 1, paraTexto(iss.indIncFisc));
    g.wGrupo("/ISSQN");
}

void TCFeW::gerarTotal() {
    TGerador& g = Gerador;
    const TTotal& t = CFe.Total;
    g.wGrupo("total", "W01");
    if (completo()) {
        const TICMSTot& i = t.ICMSTot;
        if (positivo(i.vICMS) || positivo(i.vProd) || positivo(i.vDesc) || positivo(i.vPIS) ||
            positivo(i.vCOFINS) || positivo(i.vPISST) || positivo(i.vCOFINSST) || positivo(i.vOutro)) {
            g.wGrupo("ICMSTot", "W02");
            g.wCampo(tcDe2, "W03", "vICMS", 3, 15, 1, i.vICMS);
            g.wCampo(tcDe2, "W04", "vProd", 3, 15, 1, i.vProd);
            g.wCampo(tcDe2, "W05", "vDesc", 3, 15, 1, i.vDesc);
            g.wCampo(tcDe2, "W06", "vPIS", 3, 15, 1, i.vPIS);
            g.wCampo(tcDe2, "W07", "vCOFINS", 3, 15, 1, i.vCOFINS);
            g.wCampo(tcDe2, "W08", "vPISST", 3, 15, 1, i.vPISST);
            g.wCampo(tcDe2, "W09", "vCOFINSST", 3, 15, 1, i.vCOFINSST);
            g.wCampo(tcDe2, "W10", "vOutro", 3, 15, 1, i.vOutro);
            g.wGrupo("/ICMSTot");
        }
        g.wCampo(tcDe2, "W11", "vCFe", 3, 15, 1, t.vCFe);
        const TISSQNtot& s = t.ISSQNtot;
        if (positivo(s.vBC) || positivo(s.vISS) || positivo(s.vPIS) || positivo(s.vCOFINS) ||
            positivo(s.vPISST) || positivo(s.vCOFINSST)) {
            g.wGrupo("ISSQNtot", "W12");
            g.wCampo(tcDe2, "W13", "vBC", 3, 15, 1, s.vBC);
            g.wCampo(tcDe2, "W14", "vISS", 3, 15, 1, s.vISS);
            g.wCampo(tcDe2, "W15", "vPIS", 3, 15, 1, s.vPIS);
            g.wCampo(tcDe2, "W16", "vCOFINS", 3, 15, 1, s.vCOFINS);
            g.wCampo(tcDe2, "W17", "vPISST", 3, 15, 1, s.vPISST);
            g.wCampo(tcDe2, "W18", "vCOFINSST", 3, 15, 1, s.vCOFINSST);
            g.wGrupo("/ISSQNtot");
        }
    }
    const TDescAcrEntr& d = t.DescAcrEntr;
    if (positivo(d.vDescSubtot) || positivo(d.vAcresSubtot)) {
        g.wGrupo("DescAcrEntr", "W19");
        g.wCampo(tcDe2, "W20", "vDescSubtot", 3, 15, 0, d.vDescSubtot);
        g.wCampo(tcDe2, "W21", "vAcresSubtot", 3, 15, 0, d.vAcresSubtot);
        g.wGrupo("/DescAcrEntr");
    }
    g.wCampo(tcDe2, "W22", "vCFeLei12741", 3, 15, 1, t.vCFeLei12741);
    g.wGrupo("/total");
}

void TCFeW::gerarPagto() {
    TGerador& g = Gerador;
    g.wGrupo("pgto", "WA01");
    alertarOcorrencias(g, "WA02", "MP", CFe.Pagto.Count(), 10);
    const bool v009 = CFe.infCFe.versaoDadosEnt >= V009;
    for (const auto& mp : CFe.Pagto) {
        g.wGrupo("MP", "WA02");
        g.wCampo(tcStr, "WA03", "cMP", 2, 2, 0, paraTexto(mp.cMP));
        g.wCampo(tcDe2, "WA04", "vMP", 3, 15, 1, mp.vMP);
        g.wCampo(tcInt, "WA05", "cAdmC", 3, 3, 0, mp.cAdmC);
        if (v009) g.wCampo(tcStr, "WA07", "cAut", 1, 20, 0, mp.cAut);
        g.wGrupo("/MP");
    }
    g.wCampo(tcDe2, "WA06", "vTroco", 3, 15, completo() ? 1 : -1, CFe.Pagto.vTroco);
    g.wGrupo("/pgto");
}

void TCFeW::gerarInfAdic() {
    const TInfAdic& ia = CFe.InfAdic;
    if (trim(ia.infCpl).empty() && ia.obsFisco.Count() == 0) return;
    TGerador& g = Gerador;
    g.wGrupo("infAdic", "Z01");
    // Runs of spaces are part of the buyer's text.
    const bool espacos = g.Opcoes.RetirarEspacos;
    g.Opcoes.RetirarEspacos = false;
    g.wCampo(tcStr, "Z02", "infCpl", 1, 5000, 0, ia.infCpl);
    g.Opcoes.RetirarEspacos = espacos;
    if (completo() && CFe.infCFe.versaoDadosEnt <= V007) {
        alertarOcorrencias(g, "Z04", "obsFisco", ia.obsFisco.Count(), 10);
        for (const auto& o : ia.obsFisco) escreverObsFisco(g, o, "Z04", "Z05");
    }
    g.wGrupo("/infAdic");
}

void TCFeW::gerarObsFisco() {
    if (!completo()) return;
    alertarOcorrencias(Gerador, "ZA02", "obsFisco", CFe.obsFisco.Count(), 10);
    for (const auto& o : CFe.obsFisco) escreverObsFisco(Gerador, o, "ZA02", "ZA03");
}

// The document's own rendering: the writer's text in the ANSI code page, then (unless it
// already declares UTF-8) encoded as UTF-8 behind the declaration.
std::string TCFe::GerarXML(bool ApenasTagsAplicacao) {
    TCFeW w(*this);
    aplicarOpcoes(w.Gerador.Opcoes);
    w.Opcoes.AjustarTagNro = AjustarTagNro;
    w.GerarXml(ApenasTagsAplicacao);

    std::string& texto = w.Gerador.ArquivoFormatoXML;
    const bool ascii = ehAscii(texto);
    // What the ANSI code page cannot hold has become "?" on the way.
    std::string ansi = ascii ? std::move(texto) : utf8ParaAnsi(texto);
    if (declaraUtf8(ansi))
        fXMLOriginal = std::move(ansi);
    else
        fXMLOriginal = DECLARACAO_UTF8 + (ascii ? ansi : ansiParaUtf8(ansi));
    return fXMLOriginal;
}

} // namespace orv
