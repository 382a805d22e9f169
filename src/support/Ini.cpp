#include "support/Ini.h"

#include "support/Texto.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

namespace orv {

namespace {

// The platform reads a value into a buffer of 2048 bytes, the last one for the terminator.
constexpr std::size_t kMaxValor = 2047;

bool temQuebra(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Windows strips one pair of matching quotes (double or single) around the whole value.
std::string semAspas(std::string v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool lerArquivo(const std::string& caminho, std::string& conteudo) {
    std::ifstream f(caminho, std::ios::binary);
    if (!f) return false;
    std::ostringstream ss;
    ss << f.rdbuf();
    conteudo = ss.str();
    return true;
}

// Decimal, or hexadecimal with "0x" or "$", with an optional sign; the whole text must be used.
bool lerInteiro(std::string_view v, int& saida) {
    bool negativo = false;
    if (!v.empty() && (v[0] == '-' || v[0] == '+')) {
        negativo = v[0] == '-';
        v.remove_prefix(1);
    }
    int base = 10;
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        base = 16;
        v.remove_prefix(2);
    } else if (v.size() > 1 && v[0] == '$') {
        base = 16;
        v.remove_prefix(1);
    }
    long long n = 0;
    auto [fim, erro] = std::from_chars(v.data(), v.data() + v.size(), n, base);
    if (v.empty() || erro != std::errc() || fim != v.data() + v.size()) return false;
    if (negativo) n = -n;
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
    saida = static_cast<int>(n);
    return true;
}

} // namespace

TIniFile::TIniFile(std::string caminho) : fCaminho(std::move(caminho)) {
    std::string conteudo;
    if (lerArquivo(fCaminho, conteudo)) carregar(conteudo);
}

TIniFile TIniFile::deTexto(std::string_view texto) {
    TIniFile ini;
    ini.fEmMemoria = true;
    ini.carregar(texto);
    return ini;
}

void TIniFile::carregar(std::string_view conteudo) {
    fLinhas.clear();
    fBom = conteudo.substr(0, 3) == "\xEF\xBB\xBF";
    if (fBom) conteudo.remove_prefix(3);
    // Plain ASCII stays "ANSI": that is what the platform writes into a new or plain file.
    fUtf8 = fBom || (!ehAscii(conteudo) && ehUtf8Valido(conteudo));
    std::string texto = fUtf8 ? std::string(conteudo) : ansiParaUtf8(conteudo);
    fCrLf = texto.find('\n') == std::string::npos || texto.find("\r\n") != std::string::npos;
    fQuebraFinal = texto.empty() || texto.back() == '\n';

    std::size_t ini = 0;
    while (ini < texto.size()) {
        std::size_t fim = texto.find('\n', ini);
        if (fim == std::string::npos) fim = texto.size();
        std::string bruta = texto.substr(ini, fim - ini);
        if (!bruta.empty() && bruta.back() == '\r') bruta.pop_back();
        ini = fim + 1;
        fLinhas.push_back(analisar(std::move(bruta)));
    }
}

TIniFile::Linha TIniFile::analisar(std::string bruta) {
    Linha l;
    l.bruta = std::move(bruta);
    std::string t = trim(l.bruta);
    if (t.empty() || t[0] == ';' || t[0] == '#') return l;
    if (t[0] == '[') {
        // A missing "]" takes the rest of the line, as the platform does.
        std::size_t fecha = t.find(']');
        l.secao = trim(t.substr(1, fecha == std::string::npos ? std::string::npos : fecha - 1));
        l.ehSecao = true;
        return l;
    }
    std::size_t igual = t.find('=');
    if (igual == std::string::npos) return l;
    l.chave = trim(t.substr(0, igual));
    if (l.chave.empty()) return l;
    l.valor = cortarCaracteres(semAspas(trim(t.substr(igual + 1))), kMaxValor);
    l.ehChave = true;
    return l;
}

const TIniFile::Linha* TIniFile::achar(std::string_view secao, std::string_view chave) const {
    auto i = indiceChave(secao, chave);
    return i < 0 ? nullptr : &fLinhas[static_cast<std::size_t>(i)];
}

long TIniFile::indiceChave(std::string_view secao, std::string_view chave) const {
    const std::string s = trim(secao), c = trim(chave);
    bool dentro = s.empty(); // keys above every section belong to the nameless one
    for (std::size_t i = 0; i < fLinhas.size(); ++i) {
        const Linha& l = fLinhas[i];
        if (l.ehSecao)
            dentro = iguaisSemCaixa(l.secao, s);
        else if (dentro && l.ehChave && iguaisSemCaixa(l.chave, c))
            return static_cast<long>(i);
    }
    return -1;
}

std::string TIniFile::ReadString(std::string_view secao, std::string_view chave,
                                 std::string_view padrao) const {
    const Linha* l = achar(secao, chave);
    return l ? l->valor : std::string(padrao);
}

int TIniFile::ReadInteger(std::string_view secao, std::string_view chave, int padrao) const {
    const Linha* l = achar(secao, chave);
    int n = 0;
    return l && lerInteiro(l->valor, n) ? n : padrao;
}

bool TIniFile::ReadBool(std::string_view secao, std::string_view chave, bool padrao) const {
    const Linha* l = achar(secao, chave);
    if (!l) return padrao;
    const std::string v = minusculas(l->valor);
    if (v == "true" || v == "sim" || v == "s" || v == "yes") return true;
    if (v == "false" || v == "nao" || v == "não" || v == "n" || v == "no") return false;
    int n = 0;
    return lerInteiro(v, n) ? n != 0 : padrao;
}

double TIniFile::ReadFloat(std::string_view secao, std::string_view chave, double padrao) const {
    const Linha* l = achar(secao, chave);
    if (!l || l->valor.empty()) return padrao;
    std::string v = l->valor;
    for (char& c : v)
        if (c == ',') c = '.';
    const char* p = v.data();
    if (*p == '+') ++p;
    double d = 0;
    auto [fim, erro] = std::from_chars(p, v.data() + v.size(), d);
    if (erro != std::errc() || fim != v.data() + v.size()) return padrao;
    return d;
}

bool TIniFile::SectionExists(std::string_view secao) const {
    const std::string s = trim(secao);
    for (const Linha& l : fLinhas)
        if (l.ehSecao && iguaisSemCaixa(l.secao, s)) return true;
    return false;
}

bool TIniFile::ValueExists(std::string_view secao, std::string_view chave) const {
    return achar(secao, chave) != nullptr;
}

std::vector<std::string> TIniFile::ReadSections() const {
    std::vector<std::string> r;
    for (const Linha& l : fLinhas) {
        if (!l.ehSecao) continue;
        bool visto = false;
        for (const auto& s : r)
            visto = visto || iguaisSemCaixa(s, l.secao);
        if (!visto) r.push_back(l.secao);
    }
    return r;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view secao) const {
    const std::string s = trim(secao);
    std::vector<std::string> r;
    bool dentro = s.empty();
    for (const Linha& l : fLinhas) {
        if (l.ehSecao) {
            dentro = iguaisSemCaixa(l.secao, s);
        } else if (dentro && l.ehChave) {
            bool visto = false;
            for (const auto& k : r)
                visto = visto || iguaisSemCaixa(k, l.chave);
            if (!visto) r.push_back(l.chave);
        }
    }
    return r;
}

bool TIniFile::WriteString(std::string_view secao, std::string_view chave, std::string_view valor) {
    const std::string s = trim(secao), c = trim(chave);
    // A line break or a misplaced "=" or "]" would write a different file than the one asked for.
    if (s.empty() || c.empty() || temQuebra(s) || temQuebra(c) || temQuebra(valor) ||
        s.find(']') != std::string::npos || c.find('=') != std::string::npos || c[0] == '[' ||
        c[0] == ';' || c[0] == '#')
        return false;

    // Another program may have changed the file since it was read: start from what is there now.
    if (!fEmMemoria) {
        std::string conteudo;
        if (!lerArquivo(fCaminho, conteudo)) conteudo.clear();
        carregar(conteudo);
    }

    const std::string nova = c + "=" + std::string(valor);
    long i = indiceChave(s, c);
    if (i >= 0) {
        Linha& l = fLinhas[static_cast<std::size_t>(i)];
        // The key keeps its spelling and indentation as found.
        std::size_t pos = l.bruta.find_first_not_of(" \t");
        std::size_t igual = l.bruta.find('=');
        l = analisar(l.bruta.substr(0, pos) + trimDireita(l.bruta.substr(pos, igual - pos)) + "=" +
                     std::string(valor));
    } else {
        // Find the first section of that name; the key goes after its last non-blank line.
        long inicio = -1;
        for (std::size_t k = 0; k < fLinhas.size() && inicio < 0; ++k)
            if (fLinhas[k].ehSecao && iguaisSemCaixa(fLinhas[k].secao, s))
                inicio = static_cast<long>(k);
        if (inicio >= 0) {
            std::size_t depois = static_cast<std::size_t>(inicio) + 1;
            for (std::size_t k = depois; k < fLinhas.size() && !fLinhas[k].ehSecao; ++k)
                if (!trim(fLinhas[k].bruta).empty()) depois = k + 1;
            fLinhas.insert(fLinhas.begin() + static_cast<long>(depois), analisar(nova));
        } else {
            if (!fLinhas.empty() && !trim(fLinhas.back().bruta).empty())
                fLinhas.push_back(analisar(""));
            fLinhas.push_back(analisar("[" + s + "]"));
            fLinhas.push_back(analisar(nova));
        }
    }
    return fEmMemoria || salvar();
}

bool TIniFile::WriteInteger(std::string_view secao, std::string_view chave, int valor) {
    return WriteString(secao, chave, std::to_string(valor));
}

bool TIniFile::WriteBool(std::string_view secao, std::string_view chave, bool valor) {
    return WriteString(secao, chave, valor ? "1" : "0");
}

std::string TIniFile::texto() const {
    const char* eol = fCrLf ? "\r\n" : "\n";
    std::string r;
    for (std::size_t i = 0; i < fLinhas.size(); ++i) {
        r += fLinhas[i].bruta;
        if (i + 1 < fLinhas.size() || fQuebraFinal) r += eol;
    }
    return r;
}

bool TIniFile::salvar() const {
    std::string bytes = texto();
    if (fUtf8)
        bytes = (fBom ? "\xEF\xBB\xBF" : "") + bytes;
    else
        bytes = utf8ParaAnsi(bytes);
    // Written beside and renamed over the old file, so a failed write never leaves half a file.
    namespace fs = std::filesystem;
    const fs::path destino(fCaminho);
    fs::path temp = destino;
    temp += ".tmp";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        if (!f) {
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, destino, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace orv
