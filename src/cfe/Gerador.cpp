#include "cfe/Gerador.h"

#include "support/Texto.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace orv {

namespace {

// "|a|b|" -> does `texto` begin with one of the non-empty entries?
bool comecaComAlgum(std::string_view texto, std::string_view lista) {
    std::size_t i = 0;
    while (i <= lista.size()) {
        std::size_t f = lista.find('|', i);
        if (f == std::string_view::npos) f = lista.size();
        std::string_view item = lista.substr(i, f - i);
        if (!item.empty() && texto.substr(0, item.size()) == item) return true;
        i = f + 1;
    }
    return false;
}

void padEsquerda(std::string& s, int tamanho) {
    // Zeros go after a leading minus sign.
    int atual = static_cast<int>(s.size());
    if (atual >= tamanho) return;
    std::size_t pos = (!s.empty() && s[0] == '-') ? 1 : 0;
    s.insert(pos, static_cast<std::size_t>(tamanho - atual), '0');
}

std::string doisDigitos(int v, int largura) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", largura, v);
    return buf;
}

int decimaisDoTipo(TTipoCampo t) {
    switch (t) {
    case tcDe1: return 1;
    case tcDe2: return 2;
    case tcDe3: return 3;
    case tcDe4: return 4;
    case tcDe5: return 5;
    case tcDe6: return 6;
    case tcDe8: return 8;
    case tcDe10: return 10;
    default: return -1;
    }
}

// Latin-1 / Windows-1252 letters folded to ASCII; 0 keeps the byte.
constexpr char kDobra[256] = {
    // 0x00-0xBF unchanged
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xC0 À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
    'A', 'A', 'A', 'A', 'A', 'A', 'A', 'C', 'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',
    // 0xD0 Ð Ñ Ò Ó Ô Õ Ö × Ø Ù Ú Û Ü Ý Þ ß
    'D', 'N', 'O', 'O', 'O', 'O', 'O', 'x', '0', 'U', 'U', 'U', 'U', 'Y', 'b', 'B',
    // 0xE0 à á â ã ä å æ ç è é ê ë ì í î ï
    'a', 'a', 'a', 'a', 'a', 'a', 'a', 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
    // 0xF0 ð ñ ò ó ô õ ö ÷ ø ù ú û ü ý þ ÿ
    'o', 'n', 'o', 'o', 'o', 'o', 'o', '/', '0', 'u', 'u', 'u', 'u', 'y', 'b', 'y',
};

int somaModulo11(std::string_view d, std::initializer_list<int> pesos) {
    int soma = 0;
    std::size_t i = 0;
    for (int p : pesos) soma += (d[i++] - '0') * p;
    int r = soma % 11;
    return r < 2 ? 0 : 11 - r;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TVariante

std::string TVariante::paraTexto() const {
    if (auto s = std::get_if<std::string>(&fV)) return *s;
    if (auto i = std::get_if<long long>(&fV)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&fV)) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, *d);
        return std::string(buf, r.ptr);
    }
    if (auto c = std::get_if<Currency>(&fV)) {
        std::string s = c->paraTexto(4);
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s;
    }
    if (auto b = std::get_if<bool>(&fV)) return *b ? "True" : "False";
    return {};
}

long long TVariante::paraInt64(bool* ok) const {
    bool certo = true;
    long long r = 0;
    if (auto s = std::get_if<std::string>(&fV)) {
        std::string_view t = aparar(*s);
        if (!t.empty() && t[0] == '+') t.remove_prefix(1);
        auto res = std::from_chars(t.data(), t.data() + t.size(), r);
        certo = !t.empty() && res.ec == std::errc() && res.ptr == t.data() + t.size();
    } else if (auto i = std::get_if<long long>(&fV)) {
        r = *i;
    } else if (auto d = std::get_if<double>(&fV)) {
        double v = std::nearbyint(*d);
        certo = std::isfinite(v) && v >= -9.2e18 && v <= 9.2e18;
        if (certo) r = static_cast<long long>(v);
    } else if (auto c = std::get_if<Currency>(&fV)) {
        r = static_cast<long long>(std::nearbyint(c->paraDouble()));
    } else if (auto b = std::get_if<bool>(&fV)) {
        r = *b ? 1 : 0;
    } else {
        certo = false;
    }
    if (!certo) r = 0;
    if (ok) *ok = certo;
    return r;
}

int TVariante::paraInt(bool* ok) const {
    bool certo = false;
    long long v = paraInt64(&certo);
    if (certo && (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())) {
        certo = false;
        v = 0;
    }
    if (ok) *ok = certo;
    return static_cast<int>(v);
}

double TVariante::paraDouble(bool* ok) const {
    bool certo = true;
    double r = 0;
    if (auto s = std::get_if<std::string>(&fV)) {
        std::string_view t = aparar(*s);
        if (!t.empty() && t[0] == '+') t.remove_prefix(1);
        auto res = std::from_chars(t.data(), t.data() + t.size(), r);
        certo = !t.empty() && res.ec == std::errc() && res.ptr == t.data() + t.size();
    } else if (auto i = std::get_if<long long>(&fV)) {
        r = static_cast<double>(*i);
    } else if (auto d = std::get_if<double>(&fV)) {
        r = *d;
    } else if (auto c = std::get_if<Currency>(&fV)) {
        r = c->paraDouble();
    } else if (auto b = std::get_if<bool>(&fV)) {
        r = *b ? 1 : 0;
    } else {
        certo = false;
    }
    if (!certo) r = 0;
    if (ok) *ok = certo;
    return r;
}

Currency TVariante::paraCurrency() const {
    if (auto c = std::get_if<Currency>(&fV)) return *c;
    if (auto i = std::get_if<long long>(&fV)) return Currency(*i);
    if (auto d = std::get_if<double>(&fV)) return std::isfinite(*d) ? Currency::deDouble(*d) : Currency();
    if (std::holds_alternative<std::string>(fV)) {
        bool ok = false;
        double v = paraDouble(&ok);
        return ok ? Currency::deDouble(v) : Currency();
    }
    if (auto b = std::get_if<bool>(&fV)) return Currency(*b ? 1 : 0);
    return {};
}

bool TVariante::paraBool() const {
    if (auto b = std::get_if<bool>(&fV)) return *b;
    if (auto s = std::get_if<std::string>(&fV)) {
        std::string_view t = aparar(*s);
        return iguaisSemCaixa(t, "true") || t == "1";
    }
    return paraDouble() != 0;
}

// ---------------------------------------------------------------------------------------------
// Free helpers

std::string dobrarAnsi(std::string_view ansi) {
    std::string r(ansi);
    for (char& ch : r) {
        auto c = static_cast<unsigned char>(ch);
        if (kDobra[c]) ch = kDobra[c];
        c = static_cast<unsigned char>(ch);
        if (!(c == 8 || c == 10 || c == 13 || (c >= 32 && c <= 126))) ch = ' ';
    }
    return r;
}

std::string somenteNumeros(std::string_view s) {
    std::string r;
    for (char c : s)
        if (c >= '0' && c <= '9') r += c;
    return r;
}

std::string escaparXML(std::string_view texto, bool apostrofo) {
    std::string r;
    r.reserve(texto.size() + 16);
    for (char c : texto) {
        switch (c) {
        case '&': r += "&amp;"; break;
        case '<': r += "&lt;"; break;
        case '>': r += "&gt;"; break;
        case '"': r += "&quot;"; break;
        case '\'':
            if (apostrofo) r += "&#39;";
            else r += c;
            break;
        default: r += c;
        }
    }
    return r;
}

bool validarCPF(std::string_view cpf) {
    if (cpf.size() != 11 || somenteNumeros(cpf).size() != 11) return false;
    int d1 = somaModulo11(cpf, {10, 9, 8, 7, 6, 5, 4, 3, 2});
    int d2 = somaModulo11(cpf, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
    return cpf[9] - '0' == d1 && cpf[10] - '0' == d2;
}

bool validarCNPJ(std::string_view cnpj) {
    if (cnpj.size() != 14 || somenteNumeros(cnpj).size() != 14) return false;
    int d1 = somaModulo11(cnpj, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    int d2 = somaModulo11(cnpj, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    return cnpj[12] - '0' == d1 && cnpj[13] - '0' == d2;
}

std::string formatarDecimal(double valor, int decimais, char separador) {
    if (decimais < 0) decimais = 0;
    std::string inteiro = "0", fracao(static_cast<std::size_t>(decimais), '0');
    bool negativo = false;
    if (std::isfinite(valor) && valor != 0) {
        negativo = valor < 0;
        // The exact double to 18 significant digits: d.ddddddddddddddddde+XX.
        char buf[64];
        auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(valor), std::chars_format::scientific, 17);
        std::string_view t(buf, static_cast<std::size_t>(res.ptr - buf));
        std::size_t e = t.find('e');
        std::string digitos;
        for (char c : t.substr(0, e))
            if (c != '.') digitos += c;
        int expoente = 0;
        std::string_view ex = t.substr(e + 1);
        if (!ex.empty() && ex[0] == '+') ex.remove_prefix(1);
        std::from_chars(ex.data(), ex.data() + ex.size(), expoente);
        // value = 0.digitos * 10^(expoente + 1): place the digits on a fixed grid of
        // `inteiros` integer digits and `decimais` decimals, then round half away from zero.
        int inteiros = expoente + 1;
        int manter = inteiros + decimais;  // digits of `digitos` that stay
        std::string grade;                 // integer and fraction digits, no separator
        if (manter < 0) {
            grade.assign(static_cast<std::size_t>(std::max(inteiros, 0) + decimais), '0');
        } else {
            bool subir = manter < static_cast<int>(digitos.size()) && digitos[static_cast<std::size_t>(manter)] >= '5';
            std::string parte = digitos.substr(0, std::min<std::size_t>(static_cast<std::size_t>(manter), digitos.size()));
            parte.append(static_cast<std::size_t>(manter) - parte.size(), '0');
            if (inteiros < 0) parte.insert(0, static_cast<std::size_t>(-inteiros), '0');
            if (subir) {
                int i = static_cast<int>(parte.size()) - 1;
                for (; i >= 0; --i) {
                    if (parte[static_cast<std::size_t>(i)] == '9') {
                        parte[static_cast<std::size_t>(i)] = '0';
                    } else {
                        ++parte[static_cast<std::size_t>(i)];
                        break;
                    }
                }
                if (i < 0) parte.insert(0, "1");
            }
            grade = parte;
        }
        std::size_t nInt = grade.size() - static_cast<std::size_t>(decimais);
        inteiro = grade.substr(0, nInt);
        fracao = grade.substr(nInt);
        std::size_t z = inteiro.find_first_not_of('0');
        inteiro = z == std::string::npos ? "0" : inteiro.substr(z);
        if (inteiro == "0" && fracao.find_first_not_of('0') == std::string::npos) negativo = false;
    }
    std::string r = negativo ? "-" : "";
    r += inteiro;
    if (decimais > 0) {
        r += separador;
        r += fracao;
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// TGerador

void TGerador::identar(int nivel) {
    if (nivel > 0 && Opcoes.TamanhoIdentacao > 0)
        ArquivoFormatoXML.append(static_cast<std::size_t>(nivel * Opcoes.TamanhoIdentacao), ' ');
}

void TGerador::wGrupo(std::string_view TAG, std::string_view ID, bool Identar) {
    bool fim = !TAG.empty() && TAG[0] == '/';
    std::string texto = fim ? "/" + Prefixo + std::string(TAG.substr(1)) : Prefixo + std::string(TAG);
    IDNivel = maiusculas(ID);

    if (!comecaComAlgum(texto, IgnorarTagNivel)) {
        if (!fim) {
            TagNivel += "<" + texto + ">";
        } else {
            std::string nome = texto.substr(1);
            if (nome.starts_with("det")) {
                std::size_t p = TagNivel.find("<det");
                if (p != std::string::npos) TagNivel.erase(p);
            } else {
                std::string marca = "<" + nome + ">";
                std::size_t p = TagNivel.find(marca);
                if (p != std::string::npos) TagNivel.erase(p, marca.size());
            }
        }
    }

    if (Identar && fim) --Opcoes.NivelIdentacao;
    int nivel = Opcoes.NivelIdentacao;
    if (comecaComAlgum(texto, IgnorarTagIdentacao)) --nivel;  // written one level less deep

    if (Opcoes.IdentarXML) {
        identar(nivel);
        ArquivoFormatoXML += '<';
        ArquivoFormatoXML += texto;
        ArquivoFormatoXML += ">\r\n";
    } else {
        ArquivoFormatoXML += '<';
        ArquivoFormatoXML += texto;
        ArquivoFormatoXML += '>';
    }
    if (Identar && !fim) ++Opcoes.NivelIdentacao;
}

std::string TGerador::PrepararTexto(std::string_view texto) const {
    // Fold (to ASCII) or at least bring the text to what the ANSI code page can hold.
    std::string s;
    if (ehAscii(texto)) {
        s = Opcoes.RetirarAcentos ? dobrarAnsi(texto) : std::string(texto);
    } else if (Opcoes.RetirarAcentos) {
        s = dobrarAnsi(utf8ParaAnsi(texto));
    } else {
        s = ansiParaUtf8(utf8ParaAnsi(texto));
    }

    std::string r = escaparXML(s, true);

    if (Opcoes.RetirarEspacos) {
        std::string t;
        t.reserve(r.size());
        for (char c : r)
            if (!(c == ' ' && !t.empty() && t.back() == ' ')) t += c;
        r.swap(t);
    }

    if (!aparar(r).empty()) {
        std::string t;
        t.reserve(r.size());
        for (std::size_t i = 0; i < r.size(); ++i) {
            char c = r[i];
            if (c == '\r') {
                if (i + 1 < r.size() && r[i + 1] == '\n') ++i;
                c = '\n';
            }
            if (c == '\n' && Opcoes.QuebraLinha != "\n")
                t += Opcoes.QuebraLinha;
            else
                t += c;
        }
        r.swap(t);
    }
    return std::string(aparar(r));
}

void TGerador::wAlerta(std::string_view ID, std::string_view TAG, std::string_view Descricao,
                       std::string_view Alerta) {
    if (aparar(Alerta).empty()) return;
    std::string s = Opcoes.FormatoAlerta;
    s = substituirTudo(s, "%TAGNIVEL%", TagNivel);
    s = substituirTudo(s, "%TAG%", TAG);
    s = substituirTudo(s, "%ID%", ID);
    s = substituirTudo(s, "%MSG%", Alerta);
    s = substituirTudo(s, "%DESCRICAO%", aparar(Descricao));
    ListaDeAlertas.push_back(std::move(s));
}

void TGerador::wCampo(TTipoCampo Tipo, std::string_view ID, std::string_view TAG, int min, int max,
                      int ocorrencias, const TVariante& valor, std::string_view Descricao,
                      bool ParseTextoXML, std::string_view Atributo) {
    if (ocorrencias < 0) return;
    std::string_view id = aparar(ID);
    std::string_view atributo = aparar(Atributo);
    std::string tag = Prefixo + std::string(aparar(TAG));
    bool obrigatorio = ocorrencias == 1;

    std::string conteudo;
    bool vazio = false;
    int casas = decimaisDoTipo(Tipo);

    switch (Tipo) {
    case tcStr:
        conteudo = aparar(valor.paraTexto());
        vazio = conteudo.empty();
        break;
    case tcStrOrig:
        conteudo = valor.paraTexto();
        vazio = conteudo.empty();
        break;
    case tcEsp: {
        conteudo = aparar(valor.paraTexto());
        vazio = conteudo.empty();
        if (conteudo.empty() || somenteNumeros(conteudo).size() != conteudo.size())
            wAlerta(id, tag, Descricao, ERR_MSG_INVALIDO);
        break;
    }
    case tcNumStr:
        conteudo = aparar(valor.paraTexto());
        vazio = conteudo.empty();
        padEsquerda(conteudo, min);
        break;
    case tcInt:
    case tcInt64: {
        long long v = Tipo == tcInt ? valor.paraInt() : valor.paraInt64();
        conteudo = std::to_string(v);
        vazio = v == 0 && !obrigatorio;
        padEsquerda(conteudo, min);
        break;
    }
    case tcDat:
    case tcDatCFe:
    case tcDatVcto:
    case tcDatHor:
    case tcDatHorCFe:
    case tcHor:
    case tcHorCFe: {
        TDateTime dt = valor.paraDataHora();
        PartesData p = decodificarDataHora(dt);
        bool semData = std::trunc(dt) == 0;
        std::string a = doisDigitos(p.ano, 4), m = doisDigitos(p.mes, 2), d = doisDigitos(p.dia, 2);
        std::string h = doisDigitos(p.hora, 2), n = doisDigitos(p.minuto, 2), s = doisDigitos(p.segundo, 2);
        switch (Tipo) {
        case tcDat: conteudo = a + "-" + m + "-" + d; vazio = semData; break;
        case tcDatCFe: conteudo = a + m + d; vazio = semData; break;
        case tcDatVcto: conteudo = d + "/" + m + "/" + a; vazio = semData; break;
        case tcDatHor: conteudo = a + "-" + m + "-" + d + "T" + h + ":" + n + ":" + s; vazio = semData; break;
        case tcDatHorCFe: conteudo = a + m + d + h + n + s; vazio = semData; break;
        case tcHor: conteudo = h + ":" + n + ":" + s; break;
        default: conteudo = h + n + s; break;
        }
        if (Tipo == tcHor || Tipo == tcHorCFe) vazio = p.hora == 0 && p.minuto == 0 && p.segundo == 0;
        break;
    }
    case tcBoolStr:
        conteudo = valor.paraBool() ? "true" : "false";
        break;
    case tcDe1:
    case tcDe2:
    case tcDe3:
    case tcDe4:
    case tcDe5:
    case tcDe6:
    case tcDe8:
    case tcDe10: {
        bool ok = false;
        double v = valor.paraDouble(&ok);
        if (!ok) v = 0;
        conteudo = formatarDecimal(v, casas, Opcoes.DecimalChar);
        if (Opcoes.SuprimirDecimais) {
            std::size_t p = conteudo.find(Opcoes.DecimalChar);
            if (p != std::string::npos && conteudo.find_first_not_of('0', p + 1) == std::string::npos)
                conteudo.erase(p);
        } else {
            ++min;
            ++max;
        }
        vazio = v == 0 && !obrigatorio;
        padEsquerda(conteudo, min);
        break;
    }
    case tcDe7:
    case tcDatBol:
        // Kinds no document uses: written with empty content.
        vazio = true;
        break;
    }

    // Validation: at most one message; the content is never cut.
    std::string msg;
    int tamanho = static_cast<int>(contarCaracteres(conteudo));
    bool deTamanho = false;
    if (obrigatorio && vazio && min > 0) {
        msg = ERR_MSG_VAZIO;
    } else if (tamanho < min && !vazio) {
        msg = ERR_MSG_MENOR;
        deTamanho = true;
    }
    if (tamanho > max) {
        msg = ERR_MSG_MAIOR;
        deTamanho = true;
    }
    if (deTamanho) {
        std::string bruto = valor.paraTexto();
        if (!bruto.empty()) msg += " [" + bruto + "]";
    }
    if (!msg.empty()) wAlerta(id, tag, Descricao, msg);

    if (Opcoes.SomenteValidar) return;
    bool ident = Opcoes.IdentarXML;
    if (obrigatorio && vazio) {
        if (ident) {
            identar(Opcoes.NivelIdentacao);
            if (Opcoes.TagVaziaNoFormatoResumido)
                ArquivoFormatoXML += "<" + tag + "/>\r\n";
            else
                ArquivoFormatoXML += "<" + tag + "></" + tag + ">\r\n";
        } else {
            std::string abre = "<" + tag + (atributo.empty() ? "" : " " + std::string(atributo));
            if (Opcoes.TagVaziaNoFormatoResumido)
                ArquivoFormatoXML += abre + "/>";
            else
                ArquivoFormatoXML += abre + "></" + tag + ">";
        }
    } else if (obrigatorio || !vazio) {
        if (ident) identar(Opcoes.NivelIdentacao);
        ArquivoFormatoXML += '<';
        ArquivoFormatoXML += tag;
        if (!atributo.empty()) {
            ArquivoFormatoXML += ' ';
            ArquivoFormatoXML += atributo;
        }
        ArquivoFormatoXML += '>';
        ArquivoFormatoXML += ParseTextoXML ? PrepararTexto(conteudo) : conteudo;
        ArquivoFormatoXML += "</";
        ArquivoFormatoXML += tag;
        ArquivoFormatoXML += '>';
        if (ident) ArquivoFormatoXML += "\r\n";
    }
}

void TGerador::wCampoCNPJCPF(std::string_view ID1, std::string_view ID2, std::string_view CNPJCPF,
                             bool obrigatorio, bool PreencheZeros) {
    std::string numero = somenteNumeros(aparar(CNPJCPF));
    std::size_t n = numero.size();
    int ocorr = obrigatorio ? 1 : 0;
    if (n >= 1 && n <= 11) {
        if (PreencheZeros && n != 11) numero.insert(0, 11 - n, '0');
        wCampo(tcStr, ID2, "CPF", 0, 11, ocorr, numero, "CPF");
        if (!validarCPF(numero)) wAlerta(ID2, "CPF", "CPF", ERR_MSG_INVALIDO);
    } else {
        if (PreencheZeros && (obrigatorio || n > 0) && n != 14) {
            if (n > 14)
                numero.resize(14);
            else
                numero.insert(0, 14 - n, '0');
        }
        wCampo(tcStr, ID1, "CNPJ", 0, 14, ocorr, numero, "CNPJ");
        if (n > 0 && !validarCNPJ(numero)) wAlerta(ID1, "CNPJ", "CNPJ", ERR_MSG_INVALIDO);
    }
    std::size_t final = numero.size();
    if (final != 0 && final != 11 && final != 14)
        wAlerta(std::string(ID1) + "-" + std::string(ID2), "CNPJ-CPF", "CNPJ/CPF", ERR_MSG_INVALIDO);
}

} // namespace orv
