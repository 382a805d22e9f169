#pragma once
// The cancellation document in memory. Its classes mirror the sale document's under the same
// names, with fewer fields, so they live in their own namespace; the signature, address and
// observation classes are the sale document's.

#include "cfe/CFe.h"

#include <string>

namespace orv {
namespace canc {

// The emission moment (dEmi, hEmi) here is the cancellation's own.
class TInfCFe : public TMomentoEmissao {
public:
    double versao = 0;      // layout of the cancelled coupon
    std::string ID;         // key of the cancellation, without prefix
    std::string chCanc;     // key of the cancelled coupon, with its "CFe" prefix

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
    std::string CNPJ;  // software house
    std::string signAC;
    std::string assinaturaQRCODE;
    int numeroCaixa = 0;

    void Clear() { *this = Tide{}; }
    void ClearSessao() {
        cNF = 0;
        nCFe = 0;
        cDV = 0;
        fEmissao = 0;
        assinaturaQRCODE.clear();
    }
};

class TEmit {
public:
    std::string CNPJ, xNome, xFant;
    TenderEmit EnderEmit;
    std::string IE, IM;

    void Clear() { *this = TEmit{}; }
};

class TDest {
public:
    std::string CNPJCPF;
};

class TTotal {
public:
    Currency vCFe;
};

class TInfAdic {
public:
    TobsFiscoCollection obsFisco;
};

class TCFeCanc : public TDocumentoXML {
public:
    TCFeCanc();
    ~TCFeCanc();
    TCFeCanc(const TCFeCanc&) = delete;
    TCFeCanc& operator=(const TCFeCanc&) = delete;

    TInfCFe infCFe;
    Tide ide;
    TEmit Emit;
    TDest Dest;
    TTotal Total;
    TInfAdic InfAdic;
    TSignature signature;

    void Clear();
    void ClearSessao();

    // Renders the request (true) or the complete cancellation (false); the result, which
    // declares UTF-8, is UTF-8 bytes and also becomes XMLOriginal.
    std::string GerarXML(bool ApenasTagsAplicacao) override;
    // Parses a cancellation text (UTF-8 when it declares so, else Windows-1252); on success keeps
    // it unchanged as XMLOriginal.
    void SetXMLString(const std::string& AValue) override;
};

class TLoteCFeCancCollection : public TOrvObjectList<TCFeCanc> {};

} // namespace canc

using canc::TCFeCanc;
using canc::TLoteCFeCancCollection;

// The cancellation request of a sale: the cancelled coupon's version, key (after `prefixoCFe`),
// emission moment, software house, application signature, cash register and buyer. The SAT
// component and the tools build requests through this one function.
void CFe2CFeCanc(const TCFe& cfe, TCFeCanc& canc, const std::string& prefixoCFe = "CFe");

} // namespace orv
