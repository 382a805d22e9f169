#include "support/Maquina.h"

#include "support/Texto.h"

#define _WINSOCK_DEPRECATED_NO_WARNINGS // gethostbyname, as the sockets 1.1 API has it
#include <winsock2.h>
#include <windows.h>

#include <string>

namespace orv {

namespace {

std::wstring largo(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string estreito(std::wstring_view w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

HKEY chaveRaiz(RaizRegistro raiz) {
    switch (raiz) {
    case RaizRegistro::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RaizRegistro::CurrentUser:
        return HKEY_CURRENT_USER;
    case RaizRegistro::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RaizRegistro::Users:
        return HKEY_USERS;
    case RaizRegistro::CurrentConfig:
        return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

// One string value, opened read-only; false when the key or value is missing or not a string.
bool lerValor(HKEY raiz, const std::wstring& chave, const std::wstring& nome, std::string& valor) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(raiz, chave.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    DWORD tipo = 0, tamanho = 0;
    bool ok =
        RegQueryValueExW(h, nome.c_str(), nullptr, &tipo, nullptr, &tamanho) == ERROR_SUCCESS &&
        (tipo == REG_SZ || tipo == REG_EXPAND_SZ);
    if (ok) {
        std::wstring buf(tamanho / sizeof(wchar_t) + 1, L'\0');
        ok = RegQueryValueExW(h, nome.c_str(), nullptr, &tipo, reinterpret_cast<BYTE*>(buf.data()),
                              &tamanho) == ERROR_SUCCESS;
        if (ok) {
            buf.resize(tamanho / sizeof(wchar_t));
            while (!buf.empty() && buf.back() == L'\0')
                buf.pop_back();
            valor = estreito(buf);
        }
    }
    RegCloseKey(h);
    return ok;
}

} // namespace

std::string arquivoRegistro() {
    return {};
}

std::vector<std::string> lerRegistro(RaizRegistro raiz, const std::vector<std::string>& entradas) {
    std::vector<std::string> r;
    for (const std::string& e : entradas) {
        std::string valor;
        const std::size_t pv = e.find(';');
        if (pv != std::string::npos) {
            std::string chave = trim(std::string_view(e).substr(0, pv));
            while (!chave.empty() && chave.front() == '\\')
                chave.erase(0, 1);
            if (!lerValor(chaveRaiz(raiz), largo(chave), largo(trim(e.substr(pv + 1))), valor))
                valor.clear();
        }
        adicionarItem(r, valor);
    }
    return r;
}

bool nomeEIpLocal(std::string& cNome, std::string& cIp, std::string& cErro) {
    WSADATA dados{};
    if (WSAStartup(MAKEWORD(1, 1), &dados) != 0) {
        cErro = "Winsock não está respondendo";
        return false;
    }
    bool ok = false;
    char nome[101] = {};
    if (gethostname(nome, sizeof nome) != 0) {
        switch (WSAGetLastError()) {
        case 10036:
            cErro = "WSAEInProgress";
            break;
        case 10050:
            cErro = "WSAENetDown";
            break;
        case 10093:
            cErro = "WSANotInitialised";
            break;
        default:
            break;
        }
    } else {
        cNome = nome;
        const hostent* h = gethostbyname(nome);
        if (h && h->h_addr_list && h->h_addr_list[0]) {
            const auto* b = reinterpret_cast<const unsigned char*>(h->h_addr_list[0]);
            cIp = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) +
                  "." + std::to_string(b[3]);
            ok = true;
        } else {
            cErro = "Endereço de " + cNome + " não encontrado";
        }
    }
    WSACleanup();
    return ok;
}

bool memoriaFisica(TMemoria& mem) {
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof m;
    if (!GlobalMemoryStatusEx(&m)) return false;
    mem.total = m.ullTotalPhys;
    mem.disponivel = m.ullAvailPhys;
    return true;
}

std::string descricaoSO() {
    // GetVersionEx lies to programs without a manifest; RtlGetVersion tells the truth.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    OSVERSIONINFOEXW v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (HMODULE nt = GetModuleHandleW(L"ntdll.dll"))
        if (auto f = reinterpret_cast<RtlGetVersionFn>(GetProcAddress(nt, "RtlGetVersion"))) f(&v);
    std::string nome;
    if (!lerValor(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                  L"ProductName", nome))
        nome = "Windows";
    return formatarDescricaoSO(nome, static_cast<int>(v.dwMajorVersion),
                               static_cast<int>(v.dwMinorVersion),
                               static_cast<int>(v.dwBuildNumber), v.wServicePackMajor,
                               arquiteturaAtual() == Arquitetura::Intel64);
}

std::string nomeProcessador() {
    std::string nome;
    lerValor(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
             L"ProcessorNameString", nome);
    return trim(nome);
}

Arquitetura arquiteturaAtual() {
    SYSTEM_INFO si{};
    GetNativeSystemInfo(&si);
    switch (si.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL:
        return Arquitetura::Intel32;
    case PROCESSOR_ARCHITECTURE_AMD64:
        return Arquitetura::Intel64;
    default:
        return Arquitetura::Outra;
    }
}

} // namespace orv
