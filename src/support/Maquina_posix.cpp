#include "support/Maquina.h"

#include "support/Arquivos.h"
#include "support/Ini.h"
#include "support/Texto.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace orv {

namespace {

// "key path;value name" split, the path without the backslashes at its ends.
bool separarEntrada(std::string_view entrada, std::string& chave, std::string& nome) {
    const std::size_t pv = entrada.find(';');
    if (pv == std::string_view::npos) return false;
    chave = trim(entrada.substr(0, pv));
    nome = trim(entrada.substr(pv + 1));
    while (!chave.empty() && chave.front() == '\\')
        chave.erase(0, 1);
    while (!chave.empty() && chave.back() == '\\')
        chave.pop_back();
    return true;
}

// First value of a "nome : valor" line in a /proc file.
std::string campoProc(const char* arquivo, std::string_view campo) {
    std::ifstream f(arquivo);
    std::string linha;
    while (std::getline(f, linha)) {
        const std::size_t dp = linha.find(':');
        if (dp != std::string::npos && trim(linha.substr(0, dp)) == campo)
            return trim(linha.substr(dp + 1));
    }
    return {};
}

std::string ipv4(const void* endereco) {
    char buf[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, endereco, buf, sizeof buf);
    return buf;
}

// The first IPv4 address of an interface that is up, the loopback only when there is no other.
std::string ipDeInterface() {
    ifaddrs* lista = nullptr;
    if (getifaddrs(&lista) != 0) return {};
    std::string ip, loopback;
    for (ifaddrs* i = lista; i && ip.empty(); i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
        const std::string este = ipv4(&reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr);
        if (i->ifa_flags & IFF_LOOPBACK)
            loopback = loopback.empty() ? este : loopback;
        else
            ip = este;
    }
    freeifaddrs(lista);
    return ip.empty() ? loopback : ip;
}

} // namespace

std::string arquivoRegistro() {
    const char* env = std::getenv("ORVANE_REGISTRO");
    if (env && *env) return env;
    return pastaExecutavel() + "registro.ini";
}

std::vector<std::string> lerRegistro(RaizRegistro raiz, const std::vector<std::string>& entradas) {
    const TIniFile ini(arquivoRegistro());
    std::vector<std::string> r;
    for (const std::string& e : entradas) {
        std::string chave, nome;
        if (!separarEntrada(e, chave, nome)) {
            adicionarItem(r, "");
            continue;
        }
        const std::string secao = nomeRaiz(raiz) + "\\" + chave;
        const std::string valor = nome.empty() ? "@" : nome;
        if (ini.ValueExists(secao, valor)) {
            adicionarItem(r, ini.ReadString(secao, valor));
        } else if (raiz == RaizRegistro::LocalMachine &&
                   iguaisSemCaixa(chave, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0") &&
                   iguaisSemCaixa(nome, "ProcessorNameString")) {
            // The one machine fact read through the registry: answered by the system itself.
            adicionarItem(r, nomeProcessador());
        } else {
            adicionarItem(r, "");
        }
    }
    return r;
}

bool nomeEIpLocal(std::string& cNome, std::string& cIp, std::string& cErro) {
    char nome[101] = {};
    if (gethostname(nome, sizeof nome - 1) != 0) {
        cErro = std::strerror(errno);
        return false;
    }
    cNome = nome;
    addrinfo dica{};
    dica.ai_family = AF_INET;
    addrinfo* res = nullptr;
    std::string ip;
    if (getaddrinfo(nome, nullptr, &dica, &res) == 0 && res) {
        ip = ipv4(&reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr);
        freeaddrinfo(res);
    }
    // Many systems map their own name to a loopback address; the network address says more.
    if (ip.empty() || ip.starts_with("127.")) {
        const std::string rede = ipDeInterface();
        if (!rede.empty() && (ip.empty() || !rede.starts_with("127."))) ip = rede;
    }
    if (ip.empty()) {
        cErro = "Endereço de " + cNome + " não encontrado";
        return false;
    }
    cIp = ip;
    return true;
}

bool memoriaFisica(TMemoria& mem) {
    // kB figures; "MemAvailable" is what programs can still get (cache included).
    const std::string total = campoProc("/proc/meminfo", "MemTotal");
    const std::string disp = campoProc("/proc/meminfo", "MemAvailable");
    if (!total.empty() && !disp.empty()) {
        mem.total = std::strtoull(total.c_str(), nullptr, 10) * 1024;
        mem.disponivel = std::strtoull(disp.c_str(), nullptr, 10) * 1024;
        return mem.total > 0;
    }
    struct sysinfo si {};
    if (sysinfo(&si) != 0) return false;
    mem.total = static_cast<std::uint64_t>(si.totalram) * si.mem_unit;
    mem.disponivel = static_cast<std::uint64_t>(si.freeram + si.bufferram) * si.mem_unit;
    return true;
}

std::string descricaoSO() {
    utsname u{};
    uname(&u);
    std::string nome;
    std::ifstream f("/etc/os-release");
    std::string linha;
    while (std::getline(f, linha))
        if (linha.starts_with("PRETTY_NAME=")) {
            nome = linha.substr(12);
            if (nome.size() >= 2 && nome.front() == '"' && nome.back() == '"')
                nome = nome.substr(1, nome.size() - 2);
        }
    if (nome.empty()) nome = u.sysname;
    int maior = 0, menor = 0, build = 0;
    std::sscanf(u.release, "%d.%d.%d", &maior, &menor, &build);
    return formatarDescricaoSO(nome, maior, menor, build, 0,
                               arquiteturaAtual() == Arquitetura::Intel64 || sizeof(void*) == 8);
}

std::string nomeProcessador() {
    return campoProc("/proc/cpuinfo", "model name");
}

Arquitetura arquiteturaAtual() {
    utsname u{};
    if (uname(&u) != 0) return Arquitetura::Outra;
    const std::string m = u.machine;
    if (m == "x86_64" || m == "amd64") return Arquitetura::Intel64;
    if (m == "i386" || m == "i486" || m == "i586" || m == "i686") return Arquitetura::Intel32;
    return Arquitetura::Outra;
}

} // namespace orv
