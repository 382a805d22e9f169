#include "cfe/CFeR.h"

#include "cfe/ArquivoXML.h"
#include "support/Texto.h"

#include <stdexcept>

namespace orv {

namespace {

Currency valor(const TVariante& v) { return Currency::deDouble(v.paraDouble()); }

// The item number of a det element: strict, as an invalid number means a broken document.
int numeroItem(const std::string& texto) {
    bool ok = false;
    const int n = TVariante(texto).paraInt(&ok);
    if (!ok) throw std::runtime_error("Número de item inválido em <det nItem>: \"" + texto + "\"");
    return n;
}

const Currency versao007 = Currency::deRaw(700);
const Currency versao008 = Currency::deRaw(800);
const Currency versao009 = Currency::deRaw(900);

} // namespace

void lerObsFisco(TLeitor& L, TobsFiscoCollectionItem& o) {
    o.xCampo = L.rAtributo("xCampo").paraTexto();
    o.xTexto = L.rCampo(tcStr, "xTexto").paraTexto();
}

void lerAssinatura(TLeitor& L, const std::string& texto, TSignature& s) {
    L.Grupo = texto;
    s.URI = L.rAtributo("Reference URI=").paraTexto();
    s.DigestValue = L.rCampo(tcStr, "DigestValue").paraTexto();
    s.SignatureValue = L.rCampo(tcStr, "SignatureValue").paraTexto();
    s.X509Certificate = L.rCampo(tcStr, "X509Certificate").paraTexto();
}

bool TCFeR::LerXml() {
    TLeitor& L = Leitor;
    const std::string texto = L.Arquivo;

    fAspas = texto.find("versao='") != std::string::npos ? '\'' : '"';
    if (texto.find("<nserieSAT>") != std::string::npos) CFe.Clear();

    if (!L.rExtrai(1, "infCFe").empty()) {
        CFe.infCFe.ID = substituirTudo(maiusculas(L.rAtributo("Id").paraTexto()), "CFE", "");
        bool ok = false;
        const std::string versao = L.rAtributo("versao").paraTexto();
        double d = lerDecimal(versao, &ok);
        if (ok && !trim(versao).empty()) CFe.infCFe.versao = Currency::deDouble(d);
        const int sb = L.rAtributo("versaoSB").paraInt(&ok);
        if (ok) CFe.infCFe.versaoSB = sb;
        const std::string dadosEnt = L.rAtributo("versaoDadosEnt").paraTexto();
        d = lerDecimal(dadosEnt, &ok);
        if (ok && !trim(dadosEnt).empty()) CFe.infCFe.versaoDadosEnt = Currency::deDouble(d);
    }
    const Currency versao = CFe.infCFe.versao;

    if (!L.rExtrai(1, "ide").empty()) {
        Tide& ide = CFe.ide;
        ide.cUF = L.rCampo(tcInt, "cUF").paraInt();
        ide.cNF = L.rCampo(tcInt, "cNF").paraInt();
        ide.modelo = L.rCampo(tcInt, "mod").paraInt();
        ide.nserieSAT = L.rCampo(tcInt, "nserieSAT").paraInt();
        ide.nCFe = L.rCampo(tcInt, "nCFe").paraInt();
        ide.setDEmi(L.rCampo(tcDatCFe, "dEmi").paraDataHora());
        ide.setHEmi(L.rCampo(tcHorCFe, "hEmi").paraDataHora());
        ide.cDV = L.rCampo(tcInt, "cDV").paraInt();
        ide.tpAmb = deTexto<TTipoAmbiente>(L.rCampo(tcStr, "tpAmb").paraTexto());
        ide.CNPJ = L.rCampo(tcEsp, "CNPJ").paraTexto();
        ide.signAC = L.rCampo(tcStr, "signAC").paraTexto();
        ide.assinaturaQRCODE = L.rCampo(tcStr, "assinaturaQRCODE").paraTexto();
        ide.numeroCaixa = L.rCampo(tcInt, "numeroCaixa").paraInt();
    }

    if (!L.rExtrai(1, "emit").empty()) {
        TEmit& emit = CFe.Emit;
        // An entry document may leave out what the model already knows.
        auto seHouver = [](std::string& campo, const std::string& lido) {
            if (!trim(lido).empty()) campo = lido;
        };
        seHouver(emit.CNPJ, L.rCampoCNPJCPF());
        seHouver(emit.xNome, L.rCampo(tcStr, "xNome").paraTexto());
        seHouver(emit.xFant, L.rCampo(tcStr, "xFant").paraTexto());
        seHouver(emit.IE, L.rCampo(tcStr, "IE").paraTexto());
        seHouver(emit.IM, L.rCampo(tcStr, "IM").paraTexto());
        std::string t = L.rCampo(tcStr, "cRegTrib").paraTexto();
        if (!t.empty()) emit.cRegTrib = deTexto<TRegTrib>(t);
        t = L.rCampo(tcStr, "cRegTribISSQN").paraTexto();
        if (!t.empty()) emit.cRegTribISSQN = deTexto<TRegTribISSQN>(t);
        t = L.rCampo(tcStr, "indRatISSQN").paraTexto();
        if (!t.empty()) emit.indRatISSQN = deTexto<TindRatISSQN>(t);

        if (!L.rExtrai(2, "enderEmit").empty()) {
            TenderEmit& e = emit.EnderEmit;
            e.xLgr = L.rCampo(tcStr, "xLgr").paraTexto();
            e.nro = L.rCampo(tcStr, "nro").paraTexto();
            e.xCpl = L.rCampo(tcStr, "xCpl").paraTexto();
            e.xBairro = L.rCampo(tcStr, "xBairro").paraTexto();
            e.xMun = L.rCampo(tcStr, "xMun").paraTexto();
            e.CEP = L.rCampo(tcInt, "CEP").paraInt();
        }
    }

    if (!L.rExtrai(1, "dest").empty()) {
        CFe.Dest.CNPJCPF = L.rCampoCNPJCPF();
        CFe.Dest.xNome = L.rCampo(tcStr, "xNome").paraTexto();
    }

    if (!L.rExtrai(1, "entrega").empty()) {
        TEntrega& e = CFe.Entrega;
        e.xLgr = L.rCampo(tcStr, "xLgr").paraTexto();
        e.nro = L.rCampo(tcStr, "nro").paraTexto();
        e.xCpl = L.rCampo(tcStr, "xCpl").paraTexto();
        e.xBairro = L.rCampo(tcStr, "xBairro").paraTexto();
        e.xMun = L.rCampo(tcStr, "xMun").paraTexto();
        e.UF = L.rCampo(tcStr, "UF").paraTexto();
    }

    // Items are cut out of the text one after the other; each is read on its own, so the cost
    // stays linear in the number of items.
    {
        const std::string marca = "<det nItem=";
        const auto inicio = texto.find(marca);
        const auto fimDet = texto.find("<total");
        if (inicio != std::string::npos && fimDet != std::string::npos && fimDet > inicio) {
            const std::string_view D(texto.data(), fimDet);
            std::size_t pos = inicio;
            while (true) {
                const auto a = D.find(marca, pos);
                if (a == std::string_view::npos) break;
                const auto f = D.find("</det>", a);
                if (f == std::string_view::npos) break;
                lerItem(std::string(D.substr(a, f + 6 - a)));
                pos = f + 6;
            }
        }
        L.Arquivo = texto;
    }

    if (!L.rExtrai(1, "total").empty()) {
        TTotal& t = CFe.Total;
        t.vCFe = valor(L.rCampo(tcDe2, "vCFe"));
        t.vCFeLei12741 = valor(L.rCampo(tcDe2, "vCFeLei12741"));
        if (!L.rExtrai(2, "ICMSTot").empty()) {
            TICMSTot& i = t.ICMSTot;
            i.vICMS = valor(L.rCampo(tcDe2, "vICMS"));
            i.vProd = valor(L.rCampo(tcDe2, "vProd"));
            i.vDesc = valor(L.rCampo(tcDe2, "vDesc"));
            i.vPIS = valor(L.rCampo(tcDe2, "vPIS"));
            i.vCOFINS = valor(L.rCampo(tcDe2, "vCOFINS"));
            i.vPISST = valor(L.rCampo(tcDe2, "vPISST"));
            i.vCOFINSST = valor(L.rCampo(tcDe2, "vCOFINSST"));
            i.vOutro = valor(L.rCampo(tcDe2, "vOutro"));
        }
        if (!L.rExtrai(2, "ISSQNtot").empty()) {
            TISSQNtot& i = t.ISSQNtot;
            i.vBC = valor(L.rCampo(tcDe2, "vBC"));
            i.vISS = valor(L.rCampo(tcDe2, "vISS"));
            i.vPIS = valor(L.rCampo(tcDe2, "vPIS"));
            i.vCOFINS = valor(L.rCampo(tcDe2, "vCOFINS"));
            i.vPISST = valor(L.rCampo(tcDe2, "vPISST"));
            i.vCOFINSST = valor(L.rCampo(tcDe2, "vCOFINSST"));
        }
        if (!L.rExtrai(2, "DescAcrEntr").empty()) {
            t.DescAcrEntr.vDescSubtot = valor(L.rCampo(tcDe2, "vDescSubtot"));
            t.DescAcrEntr.vAcresSubtot = valor(L.rCampo(tcDe2, "vAcresSubtot"));
        }
    }

    if (!L.rExtrai(1, "pgto").empty()) {
        CFe.Pagto.vTroco = valor(L.rCampo(tcDe2, "vTroco"));
        for (int n = 1; !L.rExtrai(2, "MP", "", n).empty(); ++n) {
            TMPCollectionItem& mp = CFe.Pagto.New();
            mp.cMP = deTexto<TCodigoMP>(L.rCampo(tcStr, "cMP").paraTexto());
            mp.vMP = valor(L.rCampo(tcDe2, "vMP"));
            mp.cAdmC = L.rCampo(tcInt, "cAdmC").paraInt();
            if (versao >= versao009) mp.cAut = L.rCampo(tcStr, "cAut").paraTexto();
        }
    }

    if (!L.rExtrai(1, "infAdic").empty()) {
        CFe.InfAdic.infCpl = L.rCampo(tcStr, "infCpl").paraTexto();
        if (versao <= versao007)
            for (int n = 1; !L.rExtrai(2, "obsFisco", "", n).empty(); ++n) {
                TobsFiscoCollectionItem& o = CFe.InfAdic.obsFisco.New();
                lerObsFisco(L, o);
                TobsFiscoCollectionItem& copia = CFe.obsFisco.New();
                copia = o;
            }
    }
    if (versao >= versao008)
        for (int n = 1; !L.rExtrai(1, "obsFisco", "", n).empty(); ++n)
            lerObsFisco(L, CFe.obsFisco.New());

    lerAssinatura(L, texto, CFe.signature);
    return true;
}

void TCFeR::lerItem(const std::string& elemento) {
    TLeitor& L = Leitor;
    L.Arquivo = "Item " + elemento;

    // The number stands between the quotes right after "nItem=" (the document's quote character
    // unless this attribute uses the other one).
    std::string numero;
    char aspas = fAspas;
    {
        const auto p = elemento.find("nItem=") + 6;
        if (p < elemento.size() && (elemento[p] == '"' || elemento[p] == '\'')) aspas = elemento[p];
        const auto a = elemento.find(aspas, p);
        const auto f = a == std::string::npos ? a : elemento.find(aspas, a + 1);
        if (a != std::string::npos && f != std::string::npos)
            numero = elemento.substr(a + 1, f - a - 1);
    }
    const int nItem = numeroItem(numero);
    L.rExtrai(1, "det nItem=" + std::string(1, aspas) + numero + std::string(1, aspas), "det");

    // The values go to the item appended for this det, also when the model already had items.
    TDetCollectionItem& item = CFe.Det.New();
    item.nItem = nItem;
    item.infAdProd = L.rCampo(tcStr, "infAdProd").paraTexto();

    const Currency versao = CFe.infCFe.versao;
    if (!L.rExtrai(2, "prod").empty()) {
        TProd& p = item.Prod;
        p.cProd = L.rCampo(tcStr, "cProd").paraTexto();
        p.cEAN = L.rCampo(tcStr, "cEAN").paraTexto();
        p.xProd = L.rCampo(tcStr, "xProd").paraTexto();
        p.NCM = L.rCampo(tcStr, "NCM").paraTexto();
        if (versao >= versao008) p.CEST = L.rCampo(tcStr, "CEST").paraTexto();
        p.CFOP = L.rCampo(tcEsp, "CFOP").paraTexto();
        p.uCom = L.rCampo(tcStr, "uCom").paraTexto();
        p.qCom = L.rCampo(tcDe4, "qCom").paraDouble();
        p.vUnCom = L.rCampo(tcDe10, "vUnCom").paraDouble();
        p.vProd = valor(L.rCampo(tcDe2, "vProd"));
        p.indRegra = deTexto<TindRegra>(L.rCampo(tcStr, "indRegra").paraTexto());
        p.vDesc = valor(L.rCampo(tcDe2, "vDesc"));
        p.vOutro = valor(L.rCampo(tcDe2, "vOutro"));
        p.vItem = valor(L.rCampo(tcDe2, "vItem"));
        p.vRatDesc = valor(L.rCampo(tcDe2, "vRatDesc"));
        p.vRatAcr = valor(L.rCampo(tcDe2, "vRatAcr"));
        p.EhCombustivel = p.indRegra == TindRegra::irTruncamento;
        p.cANP = static_cast<int>(L.rCampo(tcInt64, "cANP").paraInt64());
        for (int n = 1; !L.rExtrai(3, "obsFiscoDet", "", n).empty(); ++n) {
            TobsFiscoDetCollectionItem& o = p.obsFiscoDet.New();
            o.xCampoDet = L.rAtributo("xCampoDet").paraTexto();
            o.xTextoDet = L.rCampo(tcStr, "xTextoDet").paraTexto();
        }
    }

    if (!L.rExtrai(2, "imposto").empty()) {
        TImposto& imp = item.Imposto;
        imp.vItem12741 = valor(L.rCampo(tcDe2, "vItem12741"));
        if (!L.rExtrai(3, "ICMS").empty()) {
            TICMS& i = imp.ICMS;
            i.orig = deTexto<TOrigemMercadoria>(L.rCampo(tcStr, "Orig").paraTexto());
            i.CST = deTexto<TCSTIcms>(L.rCampo(tcStr, "CST").paraTexto());
            i.CSOSN = deTexto<TCSOSNIcms>(L.rCampo(tcInt, "CSOSN").paraTexto());
            i.pICMS = valor(L.rCampo(tcDe2, "pICMS"));
            i.vICMS = valor(L.rCampo(tcDe2, "vICMS"));
        }
        if (!L.rExtrai(3, "PIS").empty()) {
            TPIS& i = imp.PIS;
            i.CST = deTexto<TCstPis>(L.rCampo(tcStr, "CST").paraTexto());
            i.vBC = valor(L.rCampo(tcDe2, "vBC"));
            i.pPIS = valor(L.rCampo(tcDe4, "pPIS"));
            i.vPIS = valor(L.rCampo(tcDe2, "vPIS"));
            i.qBCProd = valor(L.rCampo(tcDe4, "qBCProd"));
            i.vAliqProd = valor(L.rCampo(tcDe4, "vAliqProd"));
        }
        if (!L.rExtrai(3, "PISST").empty()) {
            TPISST& i = imp.PISST;
            i.vBc = valor(L.rCampo(tcDe2, "vBC"));
            i.pPis = valor(L.rCampo(tcDe4, "pPIS"));
            i.qBCProd = valor(L.rCampo(tcDe4, "qBCProd"));
            i.vAliqProd = valor(L.rCampo(tcDe4, "vAliqProd"));
            i.vPIS = valor(L.rCampo(tcDe2, "vPIS"));
        }
        if (!L.rExtrai(3, "COFINS").empty()) {
            TCOFINS& i = imp.COFINS;
            i.CST = deTexto<TCstCofins>(L.rCampo(tcStr, "CST").paraTexto());
            i.vBC = valor(L.rCampo(tcDe2, "vBC"));
            i.pCOFINS = valor(L.rCampo(tcDe4, "pCOFINS"));
            i.qBCProd = valor(L.rCampo(tcDe4, "qBCProd"));
            i.vAliqProd = valor(L.rCampo(tcDe4, "vAliqProd"));
            i.vCOFINS = valor(L.rCampo(tcDe2, "vCOFINS"));
        }
        if (!L.rExtrai(3, "COFINSST").empty()) {
            TCOFINSST& i = imp.COFINSST;
            i.vBC = valor(L.rCampo(tcDe2, "vBC"));
            i.pCOFINS = valor(L.rCampo(tcDe4, "pCOFINS"));
            i.qBCProd = valor(L.rCampo(tcDe4, "qBCProd"));
            i.vAliqProd = valor(L.rCampo(tcDe4, "vAliqProd"));
            i.vCOFINS = valor(L.rCampo(tcDe2, "vCOFINS"));
        }
        if (!L.rExtrai(3, "ISSQN").empty()) {
            TISSQN& i = imp.ISSQN;
            i.vDeducISSQN = valor(L.rCampo(tcDe2, "vDeducISSQN"));
            i.vBC = valor(L.rCampo(tcDe2, "vBC"));
            i.vAliq = valor(L.rCampo(tcDe2, "vAliq"));
            i.vISSQN = valor(L.rCampo(tcDe2, "vISSQN"));
            i.cMunFG = L.rCampo(tcInt, "cMunFG").paraInt();
            i.cListServ = L.rCampo(tcStr, "cListServ").paraTexto();
            i.cServTribMun = L.rCampo(tcStr, "cServTribMun").paraTexto();
            i.cNatOp = L.rCampo(tcInt, "cNatOp").paraInt();
            i.indIncFisc = deTexto<TindIncentivo>(L.rCampo(tcInt, "indIncFisc").paraTexto());
        }
    }
}

void TCFe::SetXMLString(const std::string& AValue) {
    TCFeR leitor(*this);
    leitor.Leitor.Arquivo = xmlParaTexto(AValue, true);
    lerGuardando(AValue, [&] { leitor.LerXml(); });
}

} // namespace orv
