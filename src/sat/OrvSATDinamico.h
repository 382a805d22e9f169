#pragma once
// The body shared by the two bindings that drive a real library: they differ only in the calling
// convention of the exports and in their model name. Where the platform has a single
// convention (Linux) both call the C way.

#include "sat/OrvSATClass.h"

#include <array>

#if defined(_WIN32)
#define ORV_SAT_CDECL __cdecl
#define ORV_SAT_STDCALL __stdcall
#else
#define ORV_SAT_CDECL
#define ORV_SAT_STDCALL
#endif

namespace orv {

struct TConvencaoCdecl {
    template <class... A>
    using Funcao = const char*(ORV_SAT_CDECL*)(A...);
};

struct TConvencaoStdcall {
    template <class... A>
    using Funcao = const char*(ORV_SAT_STDCALL*)(A...);
};

template <class Convencao>
class TOrvSATDinamico : public TOrvSATClass {
public:
    // Positions of the addresses, in the order of kExportacoesSAT.
    enum Export {
        xSAT_AssociarAssinatura, xSAT_AtivarSAT, xSAT_AtualizarSoftwareSAT, xSAT_BloquearSAT,
        xSAT_CancelarUltimaVenda, xSAT_ComunicarCertificadoICPBRASIL,
        xSAT_ConfigurarInterfaceDeRede, xSAT_ConsultarNumeroSessao, xSAT_ConsultarSAT,
        xSAT_ConsultarStatusOperacional, xSAT_DesbloquearSAT, xSAT_EnviarDadosVenda,
        xSAT_ExtrairLogs, xSAT_TesteFimAFim, xSAT_TrocarCodigoDeAtivacao,
        xSAT_ConsultarUltimaSessaoFiscal
    };

    TOrvSATDinamico(TOrvSAT* AOwner, const char* modeloStr) : TOrvSATClass(AOwner) {
        fpModeloStr = modeloStr;
        fpEnderecos.fill(nullptr);
    }
    ~TOrvSATDinamico() override { fpEnderecos.fill(nullptr); }

    bool Resolvida(Export e) const { return fpEnderecos[e] != nullptr; }

    void LoadDLLFunctions() override {
        for (int i = 0; i < kNumExportacoesSAT - 1; ++i)
            ResolveDLLFunction(kExportacoesSAT[i], fpEnderecos[i]);
        // Older libraries lack it; the command reports it when called.
        try {
            ResolveDLLFunction(kExportacoesSAT[xSAT_ConsultarUltimaSessaoFiscal],
                               fpEnderecos[xSAT_ConsultarUltimaSessaoFiscal]);
        } catch (const EOrvSATErro&) {
        }
    }

    void ReleaseDLLFunctions() override {
        TOrvSATClass::ReleaseDLLFunctions();
        fpEnderecos.fill(nullptr);
    }

    std::string AssociarAssinatura(const std::string& CNPJvalue,
                                   const std::string& assinaturaCNPJs) override {
        return chamar<const char*, const char*, const char*>(
            xSAT_AssociarAssinatura, codigoDeAtivacao().c_str(), CNPJvalue.c_str(),
            assinaturaCNPJs.c_str());
    }
    std::string AtivarSAT(int subComando, const std::string& CNPJ, int cUF) override {
        return chamar<int, const char*, const char*, int>(xSAT_AtivarSAT, subComando,
                                                          codigoDeAtivacao().c_str(),
                                                          CNPJ.c_str(), cUF);
    }
    std::string AtualizarSoftwareSAT() override { return comCodigo(xSAT_AtualizarSoftwareSAT); }
    std::string BloquearSAT() override { return comCodigo(xSAT_BloquearSAT); }
    std::string CancelarUltimaVenda(const std::string& chave,
                                    const std::string& dadosCancelamento) override {
        return chamar<const char*, const char*, const char*>(
            xSAT_CancelarUltimaVenda, codigoDeAtivacao().c_str(), chave.c_str(),
            dadosCancelamento.c_str());
    }
    std::string ComunicarCertificadoICPBRASIL(const std::string& certificado) override {
        return comCodigo(xSAT_ComunicarCertificadoICPBRASIL, certificado);
    }
    std::string ConfigurarInterfaceDeRede(const std::string& dadosConfiguracao) override {
        return comCodigo(xSAT_ConfigurarInterfaceDeRede, dadosConfiguracao);
    }
    std::string ConsultarNumeroSessao(int cNumeroDeSessao) override {
        return chamar<const char*, int>(xSAT_ConsultarNumeroSessao, codigoDeAtivacao().c_str(),
                                        cNumeroDeSessao);
    }
    std::string ConsultarSAT() override { return chamar<>(xSAT_ConsultarSAT); }
    std::string ConsultarStatusOperacional() override {
        return comCodigo(xSAT_ConsultarStatusOperacional);
    }
    std::string DesbloquearSAT() override { return comCodigo(xSAT_DesbloquearSAT); }
    std::string EnviarDadosVenda(const std::string& dadosVenda) override {
        return comCodigo(xSAT_EnviarDadosVenda, dadosVenda);
    }
    std::string ExtrairLogs() override { return comCodigo(xSAT_ExtrairLogs); }
    std::string TesteFimAFim(const std::string& dadosVenda) override {
        return comCodigo(xSAT_TesteFimAFim, dadosVenda);
    }
    std::string TrocarCodigoDeAtivacao(const std::string& codigoDeAtivacaoOuEmergencia, int opcao,
                                       const std::string& novoCodigo) override {
        std::string codigo = codigoDeAtivacaoOuEmergencia.empty() ? codigoDeAtivacao()
                                                                   : codigoDeAtivacaoOuEmergencia;
        // The new code goes twice: as the code and as its confirmation.
        return chamar<const char*, int, const char*, const char*>(
            xSAT_TrocarCodigoDeAtivacao, codigo.c_str(), opcao, novoCodigo.c_str(),
            novoCodigo.c_str());
    }
    std::string ConsultarUltimaSessaoFiscal() override {
        if (!Resolvida(xSAT_ConsultarUltimaSessaoFiscal))
            ErroCarregarFuncao(kExportacoesSAT[xSAT_ConsultarUltimaSessaoFiscal]);
        return comCodigo(xSAT_ConsultarUltimaSessaoFiscal);
    }

protected:
    // Calls an export with the session number first; the answer is copied at once (the buffer
    // belongs to the library). A null answer reads as empty.
    template <class... A, class... V>
    std::string chamar(Export e, V... valores) {
        using F = typename Convencao::template Funcao<int, A...>;
        void* endereco = fpEnderecos[e];
        if (!endereco)
            ErroCarregarFuncao(kExportacoesSAT[e]);
        auto f = reinterpret_cast<F>(endereco);
        const char* r = f(numeroSessao(), static_cast<A>(valores)...);
        return r ? std::string(r) : std::string();
    }
    std::string comCodigo(Export e) {
        std::string codigo = codigoDeAtivacao();
        return chamar<const char*>(e, codigo.c_str());
    }
    std::string comCodigo(Export e, const std::string& dados) {
        std::string codigo = codigoDeAtivacao();
        return chamar<const char*, const char*>(e, codigo.c_str(), dados.c_str());
    }

    std::array<void*, kNumExportacoesSAT> fpEnderecos;
};

} // namespace orv
