#pragma once
// The device library's C interface: the sixteen commands a commercial application calls.
// Every answer is zero-terminated 8-bit text owned by the library. It stays valid, in the
// calling thread, until that thread's next call into the library; copy it at once.

#ifdef __cplusplus
extern "C" {
#endif

#define SATEMU_API __attribute__((visibility("default")))

SATEMU_API const char* AssociarAssinatura(int numeroSessao, const char* codigoDeAtivacao,
                                          const char* CNPJvalue, const char* assinaturaCNPJs);
SATEMU_API const char* AtivarSAT(int numeroSessao, int subComando, const char* codigoDeAtivacao,
                                 const char* CNPJ, int cUF);
SATEMU_API const char* AtualizarSoftwareSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* BloquearSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* CancelarUltimaVenda(int numeroSessao, const char* codigoDeAtivacao,
                                           const char* chave, const char* dadosCancelamento);
SATEMU_API const char* ComunicarCertificadoICPBRASIL(int numeroSessao, const char* codigoDeAtivacao,
                                                     const char* certificado);
SATEMU_API const char* ConfigurarInterfaceDeRede(int numeroSessao, const char* codigoDeAtivacao,
                                                 const char* dadosConfiguracao);
SATEMU_API const char* ConsultarNumeroSessao(int numeroSessao, const char* codigoDeAtivacao,
                                             int cNumeroDeSessao);
SATEMU_API const char* ConsultarSAT(int numeroSessao);
SATEMU_API const char* ConsultarStatusOperacional(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* DesbloquearSAT(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* EnviarDadosVenda(int numeroSessao, const char* codigoDeAtivacao,
                                        const char* dadosVenda);
SATEMU_API const char* ExtrairLogs(int numeroSessao, const char* codigoDeAtivacao);
SATEMU_API const char* TesteFimAFim(int numeroSessao, const char* codigoDeAtivacao,
                                    const char* dadosVenda);
SATEMU_API const char* TrocarCodigoDeAtivacao(int numeroSessao, const char* codigoDeAtivacao, int opcao,
                                              const char* novoCodigo, const char* confirmacaoNovoCodigo);
SATEMU_API const char* ConsultarUltimaSessaoFiscal(int numeroSessao, const char* codigoDeAtivacao);

#ifdef __cplusplus
}
#endif
