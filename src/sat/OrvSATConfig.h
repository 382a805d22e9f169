#pragma once
// Settings of the SAT component: the values stamped on every sale and the code page of the
// device's answers (TOrvSATConfig), where requests and authorised documents are saved and how
// their folders are split (TOrvSATConfigArquivos), and the device's network settings (TRede).

#include "cfe/Conversao.h"
#include "support/DataHora.h"

#include <cstdint>
#include <string>

namespace orv {

class TOrvSAT;

enum class TXmlSignLib { xsNone, xsXmlSec, xsMsXml, xsMsXmlCapicom, xsLibXml2 };

class TOrvSATConfig {
public:
    // Throws EOrvSATErro without an owner.
    explicit TOrvSATConfig(TOrvSAT* AOwner);

    double infCFe_versaoDadosEnt = 0.07; // 0 or less: initialisation asks the device
    std::string ide_CNPJ;
    int ide_numeroCaixa = 0;
    TTipoAmbiente ide_tpAmb = TTipoAmbiente::taHomologacao;
    std::string emit_CNPJ;
    std::string emit_IE;
    std::string emit_IM;
    TRegTrib emit_cRegTrib = TRegTrib::RTSimplesNacional;
    TRegTribISSQN emit_cRegTribISSQN = TRegTribISSQN::RTISSMicroempresaMunicipal;
    TindRatISSQN emit_indRatISSQN = TindRatISSQN::irSim;
    // Windows code-page number of the device's answers; 0 is the system's ANSI code page.
    std::uint16_t PaginaDeCodigo = 0;
    std::string ArqSchema;
    TXmlSignLib XmlSignLib = TXmlSignLib::xsNone;

    // A view of PaginaDeCodigo: true exactly at 65001. Writing false resets it to 0 only from
    // 65001, so another page survives.
    bool EhUTF8() const { return PaginaDeCodigo == 65001; }
    void setEhUTF8(bool valor);

private:
    TOrvSAT* fOwner;
};

class TOrvSATConfigArquivos {
public:
    // Throws EOrvSATErro without an owner.
    explicit TOrvSATConfigArquivos(TOrvSAT* AOwner);

    bool SalvarCFe = false;
    bool SalvarCFeCanc = false;
    bool SalvarEnvio = false;
    bool SepararPorCNPJ = false;
    bool SepararPorModelo = false;
    bool SepararPorAno = false;
    std::string PrefixoArqCFe = "AD";
    std::string PrefixoArqCFeCanc = "ADC";

    // Days live inside months: false on the month clears the day, true on the day sets the month.
    bool SepararPorMes() const { return fSepararPorMes; }
    void setSepararPorMes(bool valor);
    bool SepararPorDia() const { return fSepararPorDia; }
    void setSepararPorDia(bool valor);

    // An empty folder reads as (and becomes) the program's folder plus "Vendas", "Cancelamentos"
    // or "Enviado". Writing trims the value and drops every trailing "\" and "/".
    const std::string& PastaCFeVenda() const;
    void setPastaCFeVenda(const std::string& valor);
    const std::string& PastaCFeCancelamento() const;
    void setPastaCFeCancelamento(const std::string& valor);
    const std::string& PastaEnvio() const;
    void setPastaEnvio(const std::string& valor);

    // The folder for a document: APath (PastaCFeVenda when empty), then the sub-folders chosen
    // by the SepararPor flags, then the component's OnCalcPath. Ends in a path delimiter.
    // A Data of 0 files under the current date.
    std::string CalcPath(const std::string& APath, const std::string& CNPJ, TDateTime Data) const;

private:
    TOrvSAT* fOwner;
    bool fSepararPorMes = false;
    bool fSepararPorDia = false;
    mutable std::string fPastaCFeVenda;
    mutable std::string fPastaCFeCancelamento;
    mutable std::string fPastaEnvio;
};

enum class TTipoInterface { infETHE, infWIFI };
enum class TSegSemFio { segNONE, segWEP, segWPA, segWPA2, segWPA_PERSONAL, segWPA_ENTERPRISE };
enum class TTipoLan { lanDHCP, lanPPPoE, lanIPFIX };

// The device's network settings.
struct TRede {
    TTipoInterface tipoInter = TTipoInterface::infETHE;
    std::string SSID;
    TSegSemFio seg = TSegSemFio::segNONE;
    std::string codigo;
    TTipoLan tipoLan = TTipoLan::lanDHCP;
    std::string lanIP;
    std::string lanMask;
    std::string lanGW;
    std::string lanDNS1;
    std::string lanDNS2;
    std::string usuario;
    std::string senha;
    int proxy = 0;
    std::string proxy_ip;
    int proxy_porta = 0;
    std::string proxy_user;
    std::string proxy_senha;

    void Clear() { *this = TRede{}; }
    // The <config> document the device's ConfigurarInterfaceDeRede takes, and back. Reading
    // takes the elements present and leaves the others as they are.
    std::string GerarXML() const;
    void LerXML(const std::string& xml);
};

// Path helpers of the SAT layer's files.
// The text trimmed, with the path delimiter appended unless empty or already there.
std::string garantirDelimitador(const std::string& pasta);
// Only the digits of a text (CNPJ values).
std::string apenasDigitos(std::string_view s);

} // namespace orv
