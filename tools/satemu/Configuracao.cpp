#include "Configuracao.h"

#include "Util.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace satemu {

namespace {

std::string pastaDe(const std::string& caminho)
{
    size_t p = caminho.rfind('/');
    return p == std::string::npos ? "." : caminho.substr(0, p);
}

std::string minusculas(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool verdadeiro(const std::string& v)
{
    std::string m = minusculas(v);
    return m == "1" || m == "s" || m == "sim" || m == "true" || m == "yes";
}

long numero(const std::string& v, long padrao)
{
    try {
        size_t usado = 0;
        long n = std::stol(v, &usado);
        return usado == v.size() ? n : padrao;
    } catch (...) {
        return padrao;
    }
}

using Secoes = std::map<std::string, std::map<std::string, std::string>>;

Secoes lerIni(const std::string& arquivo)
{
    Secoes s;
    std::ifstream in(arquivo);
    std::string linha, secao;
    while (std::getline(in, linha)) {
        linha = aparar(linha);
        if (linha.empty() || linha[0] == ';' || linha[0] == '#') continue;
        if (linha.front() == '[' && linha.back() == ']') {
            secao = minusculas(aparar(linha.substr(1, linha.size() - 2)));
            continue;
        }
        size_t eq = linha.find('=');
        if (eq == std::string::npos) continue;
        s[secao][minusculas(aparar(linha.substr(0, eq)))] = aparar(linha.substr(eq + 1));
    }
    return s;
}

}  // namespace

std::string caminhoIni()
{
    if (const char* e = std::getenv("SATEMU_INI"); e && *e) return e;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&caminhoIni), &info) && info.dli_fname)
        return pastaDe(info.dli_fname) + "/satemu.ini";
    return "satemu.ini";
}

Configuracao lerConfiguracao(const std::string& arquivo)
{
    Configuracao c;
    c.arquivo = arquivo;
    Secoes s = lerIni(arquivo);
    const auto& d = s["dispositivo"];
    auto texto = [&](const char* chave, std::string& alvo) {
        if (auto it = d.find(chave); it != d.end()) alvo = it->second;
    };
    texto("pasta_estado", c.pastaEstado);
    texto("numero_serie", c.numeroSerie);
    texto("codigo_ativacao", c.codigoAtivacao);
    texto("codigo_emergencia", c.codigoEmergencia);
    texto("cnpj_emitente", c.cnpjEmitente);
    texto("ie", c.ie);
    texto("im", c.im);
    texto("razao_social", c.razaoSocial);
    texto("nome_fantasia", c.nomeFantasia);
    texto("logradouro", c.logradouro);
    texto("numero", c.numero);
    texto("complemento", c.complemento);
    texto("bairro", c.bairro);
    texto("municipio", c.municipio);
    texto("cep", c.cep);
    texto("regime_tributario", c.regimeTributario);
    texto("cnpj_software_house", c.cnpjSoftwareHouse);
    texto("sign_ac", c.signAC);
    texto("pasta_esquemas", c.pastaEsquemas);
    if (auto it = d.find("uf"); it != d.end()) c.uf = static_cast<int>(numero(it->second, c.uf));
    if (auto it = d.find("codigo_pagina"); it != d.end()) {
        std::string m = minusculas(it->second);
        c.windows1252 = m == "windows-1252" || m == "cp1252" || m == "1252" || m == "win1252";
    }
    if (auto it = d.find("ativado"); it != d.end()) c.ativado = verdadeiro(it->second);
    if (auto it = d.find("vinculado"); it != d.end()) c.vinculado = verdadeiro(it->second);
    if (auto it = d.find("deslocamento_relogio"); it != d.end()) c.deslocamentoRelogio = numero(it->second, 0);
    if (c.numeroSerie.size() < 9 && soDigitos(c.numeroSerie))
        c.numeroSerie = std::string(9 - c.numeroSerie.size(), '0') + c.numeroSerie;

    if (c.pastaEstado.empty()) c.pastaEstado = pastaDe(arquivo) + "/satemu-estado";
    else if (c.pastaEstado[0] != '/') c.pastaEstado = pastaDe(arquivo) + "/" + c.pastaEstado;
    if (!c.pastaEsquemas.empty() && c.pastaEsquemas[0] != '/') c.pastaEsquemas = pastaDe(arquivo) + "/" + c.pastaEsquemas;

    const auto& f = s["falhas"];
    auto num = [&](const char* chave, long padrao) {
        auto it = f.find(chave);
        return it == f.end() ? padrao : numero(it->second, padrao);
    };
    auto flag = [&](const char* chave) {
        auto it = f.find(chave);
        return it != f.end() && verdadeiro(it->second);
    };
    c.falhas.atrasoMs = num("atraso_ms", 0);
    c.falhas.rejeitarCodigo = static_cast<int>(num("rejeitar_codigo", 1999));
    c.falhas.rejeitarVendas = num("rejeitar_vendas", 0);
    c.falhas.sessaoErrada = flag("sessao_errada");
    c.falhas.respostaCortada = flag("resposta_cortada");
    c.falhas.lixo = flag("lixo");
    c.falhas.ocupado = flag("ocupado");
    c.falhas.travarSegundos = num("travar_segundos", 0);
    c.falhas.morrerAposAutorizar = num("morrer_apos_autorizar", 0);
    return c;
}

namespace {
bool escreverAtomico(const std::string& arquivo, const std::vector<std::string>& linhas)
{
    std::string tmp = arquivo + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(tmp, std::ios::trunc);
        if (!out) return false;
        for (const auto& l : linhas) out << l << '\n';
        if (!out.flush()) return false;
    }
    return std::rename(tmp.c_str(), arquivo.c_str()) == 0;
}

std::vector<std::string> linhasDe(const std::string& arquivo)
{
    std::vector<std::string> linhas;
    std::ifstream in(arquivo);
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        linhas.push_back(l);
    }
    return linhas;
}

bool ehSecao(const std::string& linha, std::string* nome)
{
    std::string t = aparar(linha);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    if (nome) *nome = minusculas(aparar(t.substr(1, t.size() - 2)));
    return true;
}
}  // namespace

bool gravarChaveIni(const std::string& arquivo, const std::string& secao, const std::string& chave,
                    const std::string& valor)
{
    std::vector<std::string> linhas = linhasDe(arquivo);
    std::string atual;
    long fimSecao = -1;
    for (size_t i = 0; i < linhas.size(); ++i) {
        std::string nome;
        if (ehSecao(linhas[i], &nome)) {
            atual = nome;
            if (atual == secao) fimSecao = static_cast<long>(i) + 1;
            continue;
        }
        if (atual != secao) continue;
        size_t eq = linhas[i].find('=');
        if (eq != std::string::npos && minusculas(aparar(linhas[i].substr(0, eq))) == chave) {
            linhas[i] = chave + "=" + valor;
            return escreverAtomico(arquivo, linhas);
        }
        if (!aparar(linhas[i]).empty()) fimSecao = static_cast<long>(i) + 1;
    }
    if (fimSecao < 0) {
        linhas.push_back("[" + secao + "]");
        linhas.push_back(chave + "=" + valor);
    } else {
        linhas.insert(linhas.begin() + fimSecao, chave + "=" + valor);
    }
    return escreverAtomico(arquivo, linhas);
}

bool limparSecaoIni(const std::string& arquivo, const std::string& secao)
{
    std::vector<std::string> linhas = linhasDe(arquivo), saida;
    std::string atual;
    for (const auto& l : linhas) {
        std::string nome;
        if (ehSecao(l, &nome)) atual = nome;
        else if (atual == secao && l.find('=') != std::string::npos) continue;
        saida.push_back(l);
    }
    return escreverAtomico(arquivo, saida);
}

}  // namespace satemu
