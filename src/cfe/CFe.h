#pragma once
// The CF-e sale document in memory. One object serves the whole sale: the SAT component fills
// the installation header, the sale import adds buyer, items and payments, the writer renders
// the entry document, and the device's authorised CF-e is read back into the same object.
// Children are plain members owned by their parent; callers fill their fields.

#include "cfe/Conversao.h"
#include "cfe/Lista.h"
#include "support/DataHora.h"
#include "support/Valor.h"

#include <functional>
#include <memory>
#include <string>

namespace orv {

class TGerador;
class TGeradorOpcoes;

// One stored emission moment: dEmi and hEmi are its date and time halves, and setting one keeps
// the other half.
class TMomentoEmissao {
public:
    TDateTime dEmi() const { return somenteData(fEmissao); }
    TDateTime hEmi() const { return somenteHora(fEmissao); }
    void setDEmi(TDateTime data) { fEmissao = somenteData(data) + somenteHora(fEmissao); }
    void setHEmi(TDateTime hora) { fEmissao = somenteData(fEmissao) + somenteHora(hora); }
    TDateTime momentoEmissao() const { return fEmissao; }
    void setMomentoEmissao(TDateTime dt) { fEmissao = dt; }

protected:
    TDateTime fEmissao = 0;
};

class TInfCFe {
public:
    Currency versao;          // layout of the authorised document (0.08)
    Currency versaoDadosEnt;  // layout of the entry document; selects optional elements
    int versaoSB = 0;         // version of the device's software
    std::string ID;           // 44-digit access key, without the "CFe" prefix

    void Clear() { *this = TInfCFe{}; }
};

class Tide : public TMomentoEmissao {
public:
    int cUF = 0;
    int cNF = 0;
    int modelo = 0;
    int nserieSAT = 0;
    int nCFe = 0;
    int cDV = 0;
    TTipoAmbiente tpAmb = TTipoAmbiente::taHomologacao;
    std::string CNPJ;  // software house
    std::string signAC;
    std::string assinaturaQRCODE;
    int numeroCaixa = 0;

    void Clear();         // header and sale part
    void ClearSessao();   // sale part only
};

class TenderEmit {
public:
    std::string xLgr, nro, xCpl, xBairro, xMun;
    int CEP = 0;
};

class TEmit {
public:
    std::string CNPJ, xNome, xFant;
    TenderEmit EnderEmit;
    std::string IE, IM;
    TRegTrib cRegTrib = TRegTrib::RTSimplesNacional;
    TRegTribISSQN cRegTribISSQN = TRegTribISSQN::RTISSNenhum;
    TindRatISSQN indRatISSQN = TindRatISSQN::irSim;

    void Clear() { *this = TEmit{}; }
};

class TDest {
public:
    std::string CNPJCPF;  // digits; CPF or CNPJ by length
    std::string xNome;
};

class TEntrega {
public:
    std::string xLgr, nro, xCpl, xBairro, xMun, UF;
};

class TobsFiscoDetCollectionItem {
public:
    std::string xCampoDet;
    std::string xTextoDet;
};
class TobsFiscoDetCollection : public TOrvObjectList<TobsFiscoDetCollectionItem> {};

class TProd {
public:
    std::string cProd, cEAN, xProd, NCM, CEST, CFOP, uCom;
    bool EhCombustivel = false;  // unit price with 3 decimals, truncation rule
    double qCom = 0;
    double vUnCom = 0;
    Currency vProd;
    TindRegra indRegra = TindRegra::irArredondamento;
    Currency vDesc, vOutro, vItem, vRatDesc, vRatAcr;
    TobsFiscoDetCollection obsFiscoDet;
    int cANP = 0;
};

class TICMS {
public:
    TOrigemMercadoria orig = TOrigemMercadoria::oeNacional;
    TCSTIcms CST = TCSTIcms::cst00;
    TCSOSNIcms CSOSN = TCSOSNIcms::csosnVazio;
    Currency pICMS, vICMS;
};

class TPIS {
public:
    TCstPis CST = TCstPis::pis01;
    Currency vBC, pPIS, vPIS, qBCProd, vAliqProd;
};

class TPISST {
public:
    Currency vBc, pPis, qBCProd, vAliqProd, vPIS;
};

class TCOFINS {
public:
    TCstCofins CST = TCstCofins::cof01;
    Currency vBC, pCOFINS, vCOFINS, vAliqProd, qBCProd;
};

class TCOFINSST {
public:
    Currency vBC, pCOFINS, qBCProd, vAliqProd, vCOFINS;
};

class TISSQN {
public:
    Currency vDeducISSQN, vBC, vAliq, vISSQN;
    int cMunFG = 0;
    std::string cListServ;
    std::string cServTribMun;
    int cNatOp = 0;  // above 0: a service taxed by ISSQN instead of ICMS
    TindIncentivo indIncFisc = TindIncentivo::iiNao;
};

class TImposto {
public:
    Currency vItem12741;
    TICMS ICMS;
    TPIS PIS;
    TPISST PISST;
    TCOFINS COFINS;
    TCOFINSST COFINSST;
    TISSQN ISSQN;
};

class TDetCollectionItem {
public:
    int nItem = 0;
    TProd Prod;
    TImposto Imposto;
    std::string infAdProd;
};
class TDetCollection : public TOrvObjectList<TDetCollectionItem> {};

class TICMSTot {
public:
    Currency vICMS, vProd, vDesc, vPIS, vCOFINS, vPISST, vCOFINSST, vOutro;
};

class TISSQNtot {
public:
    Currency vBC, vISS, vPIS, vCOFINS, vPISST, vCOFINSST;
};

class TDescAcrEntr {
public:
    Currency vDescSubtot, vAcresSubtot;
};

class TTotal {
public:
    TICMSTot ICMSTot;
    Currency vCFe;
    TISSQNtot ISSQNtot;
    TDescAcrEntr DescAcrEntr;
    Currency vCFeLei12741;

    void Clear() { *this = TTotal{}; }
};

class TMPCollectionItem {
public:
    TCodigoMP cMP = TCodigoMP::mpDinheiro;
    Currency vMP;
    int cAdmC = 0;
    std::string cAut;
};

class TMPCollection : public TOrvObjectList<TMPCollectionItem> {
public:
    Currency vTroco;
    // Empties the list and zeroes the change.
    void Clear() {
        TOrvObjectList<TMPCollectionItem>::Clear();
        vTroco = Currency{};
    }
};

class TobsFiscoCollectionItem {
public:
    std::string xCampo;
    std::string xTexto;
};
class TobsFiscoCollection : public TOrvObjectList<TobsFiscoCollectionItem> {};

class TInfAdic {
public:
    std::string infCpl;
    TobsFiscoCollection obsFisco;  // layouts up to 0.07

    void Clear() {
        infCpl.clear();
        obsFisco.Clear();
    }
};

// XML signature values of an authorised document. Its own generator renders the block.
class TSignature {
public:
    TSignature();
    ~TSignature();
    TSignature(const TSignature&) = delete;
    TSignature& operator=(const TSignature&) = delete;

    std::string URI;
    std::string DigestValue;
    std::string SignatureValue;
    std::string X509Certificate;

    TGerador& Gerador() { return *fGerador; }
    // Renders the signature block into Gerador's document and returns it.
    std::string GerarXML();

    void Clear();
    // Copies the four texts.
    void Assign(const TSignature& outra);

private:
    std::unique_ptr<TGerador> fGerador;
};

// What the sale and the cancellation documents share about their XML: the writer's text options,
// the file last read or written, and the last XML produced or loaded, byte for byte.
class TDocumentoXML {
public:
    std::string NomeArquivo;

    // Writer options.
    bool RetirarAcentos = true;
    bool RetirarEspacos = true;
    bool IdentarXML = false;  // the system sends its documents as one line
    int TamanhoIdentacao = 3;

    // The last XML produced or loaded, byte for byte.
    const std::string& XMLOriginal() const { return fXMLOriginal; }

    // Renders the entry document (true) or the complete document (false); the result also
    // becomes XMLOriginal.
    virtual std::string GerarXML(bool ApenasTagsAplicacao) = 0;
    // Parses a document text into the model; on success keeps it unchanged as XMLOriginal.
    virtual void SetXMLString(const std::string& AValue) = 0;
    // XMLOriginal, or the complete document when there is none yet.
    std::string GetAsXMLString();
    std::string AsXMLString() { return GetAsXMLString(); }
    // Reads the file (byte-order mark rule, lines joined with CR LF) and parses it. Throws when
    // the file cannot be read.
    bool LoadFromFile(const std::string& AFileName);
    // Writes the bytes of GetAsXMLString, replacing the file; an empty text leaves an existing
    // file untouched.
    bool SaveToFile(const std::string& AFileName);

protected:
    TDocumentoXML() = default;
    ~TDocumentoXML() = default;

    // The text options above, as the generator takes them.
    void aplicarOpcoes(TGeradorOpcoes& opcoes) const;
    // Runs `ler`, which reads AValue into the model: when it throws, the stored XML and the file
    // name are put back as they were (the model's reset must not lose them) and the exception goes
    // on; otherwise AValue becomes XMLOriginal.
    void lerGuardando(const std::string& AValue, const std::function<void()>& ler);

    std::string fXMLOriginal;
};

class TCFe : public TDocumentoXML {
public:
    TCFe();
    ~TCFe();
    TCFe(const TCFe&) = delete;
    TCFe& operator=(const TCFe&) = delete;

    TInfCFe infCFe;
    Tide ide;
    TEmit Emit;
    TDest Dest;
    TEntrega Entrega;
    TDetCollection Det;
    TTotal Total;
    TMPCollection Pagto;
    TInfAdic InfAdic;
    TobsFiscoCollection obsFisco;  // document level, layout 0.08 and later
    TSignature signature;

    bool AjustarTagNro = true;  // writer option: a street number of 1 or 2 digits is padded to 3

    // Resets everything.
    void Clear();
    // Resets what belongs to one sale and keeps the installation header (ide's CNPJ, signAC,
    // numeroCaixa..., Emit, infCFe).
    void ClearSessao();

    // Renders the entry document (true) or the complete CF-e (false) as UTF-8 bytes starting with
    // the XML declaration; the result also becomes XMLOriginal.
    std::string GerarXML(bool ApenasTagsAplicacao) override;
    // Parses a CF-e text into the model; on success keeps it unchanged as XMLOriginal.
    void SetXMLString(const std::string& AValue) override;
};

class TLoteCFeCollection : public TOrvObjectList<TCFe> {};

} // namespace orv
