// satemu-admin: creates or resets the emulated device, shows its state, lists and exports the
// documents it issued, and sets or clears the misbehaviour read by the library.

#include "Configuracao.h"
#include "Estado.h"
#include "Util.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

using namespace satemu;

namespace {

int uso()
{
    std::cerr <<
        "uso: satemu-admin [--ini ARQUIVO] COMANDO [argumentos]\n"
        "  criar [--serie N] [--codigo C] [--cnpj CNPJ] [--sem-ativacao] [--sem-vinculo]\n"
        "        apaga o estado e cria um dispositivo novo (os valores dados vao para o ini)\n"
        "  estado                       mostra o dispositivo\n"
        "  listar                       lista os documentos emitidos\n"
        "  exportar PASTA [NCFE|CHAVE]  grava o XML dos documentos (todos ou um) em PASTA\n"
        "  falha CHAVE=VALOR ...        liga um mau comportamento (atraso_ms, rejeitar_codigo,\n"
        "                               rejeitar_vendas, sessao_errada, resposta_cortada, lixo,\n"
        "                               ocupado, travar_segundos, morrer_apos_autorizar)\n"
        "  falha limpar                 desliga todos\n"
        "  bloquear [contribuinte|sefaz|autonomo] | desbloquear\n";
    return 2;
}

int criar(const std::string& ini, const std::vector<std::string>& a)
{
    for (size_t i = 0; i < a.size(); ++i) {
        auto valor = [&](const char* chave) {
            if (i + 1 >= a.size()) throw std::runtime_error(a[i] + " sem valor");
            gravarChaveIni(ini, "dispositivo", chave, a[++i]);
        };
        if (a[i] == "--serie") valor("numero_serie");
        else if (a[i] == "--codigo") valor("codigo_ativacao");
        else if (a[i] == "--cnpj") valor("cnpj_emitente");
        else if (a[i] == "--sem-ativacao") gravarChaveIni(ini, "dispositivo", "ativado", "0");
        else if (a[i] == "--sem-vinculo") gravarChaveIni(ini, "dispositivo", "vinculado", "0");
        else throw std::runtime_error("opção desconhecida: " + a[i]);
    }
    Configuracao cfg = lerConfiguracao(ini);
    Estado::apagar(cfg);
    Estado e(cfg);
    std::cout << "dispositivo " << e.dispositivo().serie << " criado em " << cfg.pastaEstado << "\n";
    return 0;
}

int estado(const Configuracao& cfg)
{
    Estado e(cfg);
    const Dispositivo& d = e.dispositivo();
    auto ultimo = e.ultimoDocumento();
    std::cout << "ini:                 " << cfg.arquivo << "\n"
              << "pasta de estado:     " << cfg.pastaEstado << "\n"
              << "número de série:     " << d.serie << "\n"
              << "ativado:             " << (d.ativado ? "sim" : "não") << "\n"
              << "código de ativação:  " << d.codigoAtivacao << "\n"
              << "CNPJ contribuinte:   " << d.cnpjContribuinte << "\n"
              << "UF:                  " << d.uf << "\n"
              << "vinculado:           " << (d.vinculado ? "sim" : "não") << "\n"
              << "CNPJ software house: " << d.cnpjSoftwareHouse << "\n"
              << "signAC:              " << d.signAC << "\n"
              << "estado de operação:  " << d.bloqueio << "\n"
              << "último nCFe:         " << d.ultimoNcfe << "\n"
              << "último CF-e:         " << (ultimo ? ultimo->chave : "") << "\n"
              << "certificado:         " << d.cred.emissao << " a " << d.cred.vencimento << " ("
              << cfg.pastaEstado << "/certificado.pem, AC em ac.pem)\n";
    const Falhas& f = cfg.falhas;
    std::cout << "falhas:              atraso_ms=" << f.atrasoMs << " rejeitar_vendas=" << f.rejeitarVendas
              << " rejeitar_codigo=" << f.rejeitarCodigo << " sessao_errada=" << f.sessaoErrada
              << " resposta_cortada=" << f.respostaCortada << " lixo=" << f.lixo << " ocupado=" << f.ocupado
              << " travar_segundos=" << f.travarSegundos << " morrer_apos_autorizar=" << f.morrerAposAutorizar << "\n";
    return 0;
}

int listar(const Configuracao& cfg)
{
    Estado e(cfg);
    for (const Documento& d : e.documentos(false))
        std::cout << (d.tipo == "V" ? "venda        " : "cancelamento ") << std::string(6 - std::min<size_t>(6, std::to_string(d.ncfe).size()), '0')
                  << d.ncfe << " " << d.carimbo << " " << d.chave << " " << d.vCFe
                  << (d.cancelado ? " (cancelada)" : "") << "\n";
    return 0;
}

int exportar(const Configuracao& cfg, const std::vector<std::string>& a)
{
    if (a.empty()) return uso();
    Estado e(cfg);
    std::filesystem::create_directories(a[0]);
    int n = 0;
    for (const Documento& d : e.documentos(true)) {
        if (a.size() > 1 && a[1] != d.chave && a[1] != std::to_string(d.ncfe)) continue;
        std::string nome = a[0] + "/" + (d.tipo == "V" ? "AD" : "ADC") + d.chave + ".xml";
        std::ofstream(nome, std::ios::binary) << d.xml;
        std::cout << nome << "\n";
        ++n;
    }
    if (n == 0 && a.size() > 1) {
        std::cerr << "documento não encontrado: " << a[1] << "\n";
        return 1;
    }
    return 0;
}

int falha(const std::string& ini, const std::vector<std::string>& a)
{
    if (a.empty()) return uso();
    if (a[0] == "limpar") return limparSecaoIni(ini, "falhas") ? 0 : 1;
    static const std::set<std::string> chaves = {"atraso_ms", "rejeitar_codigo", "rejeitar_vendas", "sessao_errada",
                                                 "resposta_cortada", "lixo", "ocupado", "travar_segundos",
                                                 "morrer_apos_autorizar"};
    for (const auto& par : a) {
        size_t eq = par.find('=');
        std::string chave = par.substr(0, eq);
        if (eq == std::string::npos || !chaves.count(chave)) {
            std::cerr << "falha desconhecida: " << par << "\n";
            return 2;
        }
        if (!gravarChaveIni(ini, "falhas", chave, par.substr(eq + 1))) return 1;
    }
    return 0;
}

int bloqueio(const Configuracao& cfg, const std::string& novo)
{
    Estado e(cfg);
    e.iniciar();
    e.dispositivo().bloqueio = novo;
    e.salvarDispositivo();
    e.confirmar();
    std::cout << "estado de operação: " << novo << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> a(argv + 1, argv + argc);
    std::string ini;
    if (a.size() >= 2 && a[0] == "--ini") {
        ini = a[1];
        a.erase(a.begin(), a.begin() + 2);
    } else {
        const char* e = std::getenv("SATEMU_INI");
        ini = e && *e ? e : "satemu.ini";
    }
    if (a.empty()) return uso();
    std::string cmd = a[0];
    a.erase(a.begin());
    try {
        if (cmd == "criar" || cmd == "reset") return criar(ini, a);
        if (cmd == "falha") return falha(ini, a);
        Configuracao cfg = lerConfiguracao(ini);
        if (cmd == "estado") return estado(cfg);
        if (cmd == "listar") return listar(cfg);
        if (cmd == "exportar") return exportar(cfg, a);
        if (cmd == "desbloquear") return bloqueio(cfg, "DESBLOQUEADO");
        if (cmd == "bloquear") {
            std::string tipo = a.empty() ? "contribuinte" : a[0];
            if (tipo == "contribuinte") return bloqueio(cfg, "BLOQUEIO_CONTRIBUINTE");
            if (tipo == "sefaz") return bloqueio(cfg, "BLOQUEIO_SEFAZ");
            if (tipo == "autonomo") return bloqueio(cfg, "BLOQUEIO_AUTONOMO");
            return uso();
        }
        return uso();
    } catch (const std::exception& e) {
        std::cerr << "satemu-admin: " << e.what() << "\n";
        return 1;
    }
}
