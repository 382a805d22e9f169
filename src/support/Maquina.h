#pragma once
// Facts about the machine for the error reports: registry values, host name and address,
// memory, operating system, processor and architecture. Each platform answers them in its own
// file (Maquina_win.cpp, Maquina_posix.cpp).
//
// Away from Windows a small INI file stands in for the registry: the file named by the
// environment variable ORVANE_REGISTRO, else "registro.ini" beside the program. Its sections
// are the root and key path ("[HKEY_CURRENT_USER\SOFTWARE\Brenholt\Vendara]"), its keys the
// value names ("@" for the unnamed value), and every value is read as a string.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

enum class RaizRegistro { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };
// "HKEY_CURRENT_USER" and so on.
std::string nomeRaiz(RaizRegistro raiz);

inline void adicionarItem(std::vector<std::string>& lista, std::string texto) {
    lista.push_back(std::move(texto));
}

// For each entry "key path;value name", in order, the string value read without creating or
// changing anything; an entry that cannot be read (missing key or value, no ";") gives "".
std::vector<std::string> lerRegistro(RaizRegistro raiz, const std::vector<std::string>& entradas);
// The file that stands in for the registry away from Windows (see above); empty on Windows.
std::string arquivoRegistro();

// Host name and its IPv4 address in dotted decimal. False with a reason in cErro on failure
// (the name may already be filled when only the address is missing).
bool nomeEIpLocal(std::string& cNome, std::string& cIp, std::string& cErro);

struct TMemoria {
    std::uint64_t total = 0;      // bytes of physical memory
    std::uint64_t disponivel = 0; // bytes available to programs now
};
// False when the system does not tell.
bool memoriaFisica(TMemoria& mem);

// "Name (Version M.m, Build B, 64-bit Edition)", with " Service Pack N" after the name when
// one is installed.
std::string descricaoSO();
// Formats the description from its parts (the platform files fill them).
std::string formatarDescricaoSO(std::string_view nome, int maior, int menor, int build,
                                int servicePack, bool sistema64);
// The processor's marketing name ("Intel(R) Core(TM) i5-..."); empty when unknown.
std::string nomeProcessador();

enum class Arquitetura { Intel32, Intel64, Outra };
// The architecture of the running system (not of this program).
Arquitetura arquiteturaAtual();
// Intel32 -> "Win32NT", Intel64 -> "Win64NT", anything else -> "UNKNOWN OS architecture".
std::string arquiteturaSO(Arquitetura arquitetura);
inline std::string arquiteturaSO() {
    return arquiteturaSO(arquiteturaAtual());
}

} // namespace orv
