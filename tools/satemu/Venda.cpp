#include "Venda.h"

#include "Cripto.h"
#include "Util.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

namespace satemu {

namespace {

const std::map<int, const char*>& tabela()
{
    static const std::map<int, const char*> t = {
        {1004, "Rejeição: Versão do leiaute do arquivo de entrada do SAT não é válida"},
        {1019, "Rejeição: numeração dos itens não é sequencial crescente"},
        {1073, "Rejeição: Valor de Desconto sobre total não é maior ou igual a zero."},
        {1074, "Rejeição: Valor de Acréscimo sobre total não é maior ou igual a zero."},
        {1085, "Assinatura do Aplicativo Comercial não confere com o registro do SAT"},
        {1203, "Rejeição: Emitente não autorizado para uso do SAT."},
        {1207, "Rejeição: CNPJ do emitente inválido"},
        {1209, "Rejeição: IE do emitente inválida"},
        {1210, "Rejeição: Intervalo de tempo entre o CF-e-SAT emitido e a emissão do respectivo CF-e-SAT de "
               "cancelamento é maior que 30 (trinta) minutos."},
        {1218, "Rejeição: Chave de acesso do CF-e-SAT já consta como cancelado."},
        {1220, "Rejeição: Valor do rateio do desconto sobre subtotal do item (N) inválido."},
        {1221, "Aplicativo Comercial não vinculado ao SAT"},
        {1222, "Rejeição: Assinatura do Aplicativo Comercial não é válida"},
        {1224, "Rejeição: CNPJ da Software House inválido"},
        {1228, "Rejeição: Valor do rateio do acréscimo sobre subtotal do item (N) inválido."},
        {1229, "Rejeição: IE do emitente não informada"},
        {1230, "Rejeição: IE do emitente diferente da IE do contribuinte autorizado para uso do SAT"},
        {1235, "Rejeição: CNPJ do destinatário inválido"},
        {1237, "Rejeição: CPF do destinatário inválido"},
        {1408, "Rejeição: Valor total do CF-e-SAT maior que o somatório dos valores de Meio de Pagamento "
               "empregados em seu pagamento."},
        {1412, "Rejeição: CF-e-SAT a cancelar não é o último emitido pelo SAT."},
        {1456, "Rejeição: Código de Regime Tributário inválido"},
        {1457, "Rejeição: Código de Natureza da Operação para ISSQN inválido"},
        {1459, "Rejeição: Código do produto ou serviço em branco"},
        {1460, "Rejeição: GTIN do item (N) inválido"},
        {1461, "Rejeição: Descrição do produto ou serviço em branco"},
        {1462, "Rejeição: CFOP não é de Operação de saída prevista para CF-e-SAT"},
        {1463, "Rejeição: Unidade Comercia do produto ou serviço em branco"},
        {1464, "Rejeição: Quantidade Comercial do item (N) inválido."},
        {1465, "Rejeição: Valor Unitário do item (N) inválido."},
        {1467, "Rejeição: Regra de cálculo do Item (N) inválido (diferente de \"A\" e \"T\")"},
        {1468, "Rejeição: Valor do Desconto do item (N) inválido."},
        {1469, "Rejeição: Valor de outras despesas acessórias do item (N) inválido."},
        {1471, "Rejeição:Origem da mercadoria do Item (N) inválido (diferente de 0, 1 , 2, 3, 4, 5, 6, 7)"},
        {1472, "Rejeição:CST do Item (N) inválido (diferente de 00, 20, 90)"},
        {1473, "Rejeição: Alíquota efetiva do ICMS do item (N) não é maior ou igual a zero."},
        {1475, "Rejeição:CST do Item (N) inválido (diferente de 40 e 41 e 50 e 60)"},
        {1476, "Rejeição:Código de situação da operação - Simples Nacional - do Item (N) inválido (diferente de 102, "
               "300 e 500)"},
        {1477, "Rejeição:Código de situação da operação - Simples Nacional - do Item (N) inválido (diferente de 900)"},
        {1478, "Rejeição: Código de Situação Tributária do PIS Inválido (diferente de 01 e 02)"},
        {1479, "Rejeição: Base de cálculo do PIS do item (N) inválido"},
        {1480, "Rejeição: Alíquota do PIS do item (N) não é maior ou igual a zero."},
        {1482, "Rejeição: Código de Situação Tributária do PIS Inválido (diferente de 03)"},
        {1483, "Rejeição: Qtde Vendida do item (N) não é maior ou igual a zero."},
        {1484, "Rejeição: Alíquota do PIS em R$ do item (N) inválido."},
        {1486, "Rejeição: Código de Situação Tributária do PIS Inválido (diferente de 04, 06, 07, 08 e 09)"},
        {1487, "Rejeição: Código de Situação Tributária do PIS inválido (diferente de 49)"},
        {1488, "Rejeição: Código de Situação Tributária do PIS Inválido (diferente de 99)"},
        {1490, "Rejeição: Código de Situação Tributária da COFINS Inválido (diferente de 01 e 02)"},
        {1491, "Rejeição: Base de cálculo do COFINS do item (N) inválido."},
        {1492, "Rejeição: Alíquota da COFINS do item (N) não é maior ou igual a zero."},
        {1494, "Rejeição: Código de Situação Tributária da COFINS Inválido (diferente de 03)"},
        {1496, "Rejeição: Alíquota da COFINS em R$ do item (N) não é maior ou igual a zero."},
        {1498, "Rejeição: Código de Situação Tributária da COFINS Inválido (diferente de 04, 06, 07, 08 e 09)"},
        {1499, "Rejeição: Código de Situação Tributária da COFINS Inválido (diferente de 49)"},
        {1500, "Rejeição: Código de Situação Tributária da COFINS Inválido (diferente de 99)"},
        {1501, "Rejeição: Operação com tributação de ISSQN sem informar a Inscrição Municipal"},
        {1503, "Rejeição: Valor das deduções para o ISSQN do item (N) não é maior ou igual a zero."},
        {1505, "Rejeição: Alíquota efetiva do ISSQN do item (N) não é maior ou igual a 2,00 (2%) e menor ou igual "
               "a 5,00 (5%)."},
        {1507, "Rejeição: Indicador de rateio para ISSQN inválido"},
        {1511, "Rejeição: Indicador de Incentivo Fiscal do ISSQN do item (N) inválido (diferente de 1 e 2)"},
        {1527, "Rejeição: Código do Meio de Pagamento inválido"},
        {1528, "Rejeição: Valor do Meio de Pagamento inválido."},
        {1533, "Rejeição: Valor aproximado dos tributos do CF-e_SAT negativo."},
        {1534, "Rejeição: Valor aproximado dos tributos do produto negativo."},
        {1535, "Rejeição: código da credenciadora de cartão de débito ou crédito inválido"},
        {1999, "Rejeição: Erro não identificado"},
    };
    return t;
}

struct LiberaDoc {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using Doc = std::unique_ptr<xmlDoc, LiberaDoc>;

std::string nomeDe(xmlNodePtr n) { return reinterpret_cast<const char*>(n->name); }

xmlNodePtr filho(xmlNodePtr pai, const char* nome)
{
    if (!pai) return nullptr;
    for (xmlNodePtr c = pai->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE && xmlStrcmp(c->name, BAD_CAST nome) == 0) return c;
    return nullptr;
}

std::vector<xmlNodePtr> filhos(xmlNodePtr pai, const char* nome)
{
    std::vector<xmlNodePtr> r;
    if (!pai) return r;
    for (xmlNodePtr c = pai->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE && (!nome || xmlStrcmp(c->name, BAD_CAST nome) == 0)) r.push_back(c);
    return r;
}

std::string texto(xmlNodePtr n)
{
    if (!n) return {};
    xmlChar* c = xmlNodeGetContent(n);
    std::string s = c ? reinterpret_cast<char*>(c) : "";
    xmlFree(c);
    return s;
}

std::string textoDe(xmlNodePtr pai, const char* nome) { return texto(filho(pai, nome)); }

std::string atributo(xmlNodePtr n, const char* nome)
{
    xmlChar* v = xmlGetProp(n, BAD_CAST nome);
    std::string s = v ? reinterpret_cast<char*>(v) : "";
    xmlFree(v);
    return s;
}

// Indentation of the entry document is no content of the issued one: blank text goes.
void tirarBrancos(xmlNodePtr n)
{
    for (xmlNodePtr c = n->children; c;) {
        xmlNodePtr proximo = c->next;
        if (c->type == XML_TEXT_NODE && xmlIsBlankNode(c)) {
            xmlUnlinkNode(c);
            xmlFreeNode(c);
        } else if (c->type == XML_ELEMENT_NODE) {
            tirarBrancos(c);
        }
        c = proximo;
    }
}

// Parses without network access, entity expansion or blank text nodes; a malformed document
// is a refusal with libxml2's own description of the fault.
Doc lerXml(const std::string& xml)
{
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> ctx(xmlNewParserCtxt(), xmlFreeParserCtxt);
    if (!ctx) throw std::runtime_error("sem memoria para o analisador XML");
    Doc d(xmlCtxtReadMemory(ctx.get(), xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!d) {
        const xmlError* e = xmlCtxtGetLastError(ctx.get());
        std::string m = e && e->message ? campoSeguro(e->message) : "documento vazio";
        if (e) m += " (linha " + std::to_string(e->line) + ")";
        throw Rejeicao(1999, "XML mal formado: " + m);
    }
    if (xmlNodePtr r = xmlDocGetRootElement(d.get())) tirarBrancos(r);
    return d;
}

xmlNodePtr novo(xmlNodePtr pai, const char* nome, const std::string& valor)
{
    return xmlNewTextChild(pai, nullptr, BAD_CAST nome, BAD_CAST valor.c_str());
}

// Inserts <nome>valor</nome> after the last present element among `depois` (in document order
// they all precede it), or as first child when none is present.
void inserirApos(xmlNodePtr pai, std::initializer_list<const char*> depois, const char* nome, const std::string& valor)
{
    xmlNodePtr ancora = nullptr;
    for (const char* d : depois)
        if (xmlNodePtr n = filho(pai, d)) ancora = n;
    xmlNodePtr novoNo = xmlNewDocNode(pai->doc, nullptr, BAD_CAST nome, nullptr);
    xmlNodeAddContent(novoNo, BAD_CAST valor.c_str());
    if (ancora) xmlAddNextSibling(ancora, novoNo);
    else if (pai->children) xmlAddPrevSibling(pai->children, novoNo);
    else xmlAddChild(pai, novoNo);
}

std::string dinheiro(int64_t centavos) { return formatarDecimal(centavos, 2); }

int64_t arredondar(__int128 n, __int128 d, char regra) { return regra == 'T' ? dividirTruncando(n, d) : dividirPar(n, d); }

// Reads an amount; absent gives `padrao`, malformed refuses with `codigo`.
int64_t valorOpcional(xmlNodePtr pai, const char* nome, int casas, int codigo, int item)
{
    xmlNodePtr n = filho(pai, nome);
    if (!n) return 0;
    auto v = lerDecimal(texto(n), casas);
    if (!v) throw Rejeicao(codigo, textoRejeicao(codigo, item));
    return *v;
}

int64_t valorExigido(xmlNodePtr pai, const char* nome, int casas, int codigo, int item)
{
    auto v = lerDecimal(textoDe(pai, nome), casas);
    if (!v) throw Rejeicao(codigo, textoRejeicao(codigo, item));
    return *v;
}

bool umDe(const std::string& v, std::initializer_list<const char*> lista)
{
    for (const char* l : lista)
        if (v == l) return true;
    return false;
}

struct Item {
    xmlNodePtr det = nullptr;
    int numero = 0;
    char regra = 'A';
    int64_t vProd = 0, vDesc = 0, vOutro = 0, base = 0, vRatDesc = 0, vRatAcr = 0, vItem = 0;
    bool issqn = false;
    int64_t vICMS = 0, vPIS = 0, vCOFINS = 0, vPISST = 0, vCOFINSST = 0, vBCISS = 0, vISSQN = 0;
    std::string nomeIcms, nomePis, nomeCofins;
};

// PIS and COFINS share their layout; only names and codes differ.
struct Contribuicao {
    const char* grupo;       // "PIS"
    const char* aliquota;    // "pPIS"
    const char* valor;       // "vPIS"
    int cstAliq, vBC, pAliq, cstQtde, qtde, vAliqProd, cstNT, cstSN, cstOutr;
};
const Contribuicao kPIS{"PIS", "pPIS", "vPIS", 1478, 1479, 1480, 1482, 1483, 1484, 1486, 1487, 1488};
const Contribuicao kCOFINS{"COFINS", "pCOFINS", "vCOFINS", 1490, 1491, 1492, 1494, 1483, 1496, 1498, 1499, 1500};

// vBC x rate, or quantity x amount per unit, whichever the group carries.
int64_t calcularBase(xmlNodePtr g, const Contribuicao& c, int item, bool exigeAlgum)
{
    bool temAliq = filho(g, "vBC") || filho(g, c.aliquota);
    bool temQtde = filho(g, "qBCProd") || filho(g, "vAliqProd");
    if (temAliq && !temQtde) {
        int64_t vbc = valorExigido(g, "vBC", 2, c.vBC, item);
        int64_t p = valorExigido(g, c.aliquota, 4, c.pAliq, item);
        return dividirPar(static_cast<__int128>(vbc) * p, 10000);
    }
    if (temQtde && !temAliq) {
        int64_t q = valorExigido(g, "qBCProd", 4, c.qtde, item);
        int64_t v = valorExigido(g, "vAliqProd", 4, c.vAliqProd, item);
        return dividirPar(static_cast<__int128>(q) * v, 1000000);
    }
    if (!exigeAlgum && !temAliq && !temQtde) return 0;
    throw Rejeicao(1999, std::string("Rejeição: grupo ") + nomeDe(g) + " do item " + std::to_string(item) +
                             " deve ter vBC e " + c.aliquota + " ou qBCProd e vAliqProd");
}

void contribuicao(Item& it, const Contribuicao& c, int64_t& valor, int64_t& valorST)
{
    xmlNodePtr imposto = filho(it.det, "imposto");
    xmlNodePtr grupo = filho(imposto, c.grupo);
    auto internos = filhos(grupo, nullptr);
    if (!grupo || internos.size() != 1)
        throw Rejeicao(1999, std::string("Rejeição: grupo ") + c.grupo + " do item " + std::to_string(it.numero) + " inválido");
    xmlNodePtr g = internos[0];
    std::string nome = nomeDe(g), prefixo = c.grupo, cst = textoDe(g, "CST");
    int n = it.numero;
    if (nome == prefixo + "Aliq") {
        if (!umDe(cst, {"01", "02"})) throw Rejeicao(c.cstAliq, textoRejeicao(c.cstAliq, n));
        valor = calcularBase(g, c, n, true);
    } else if (nome == prefixo + "Qtde") {
        if (cst != "03") throw Rejeicao(c.cstQtde, textoRejeicao(c.cstQtde, n));
        valor = calcularBase(g, c, n, true);
    } else if (nome == prefixo + "NT") {
        if (!umDe(cst, {"04", "06", "07", "08", "09"})) throw Rejeicao(c.cstNT, textoRejeicao(c.cstNT, n));
    } else if (nome == prefixo + "SN") {
        if (cst != "49") throw Rejeicao(c.cstSN, textoRejeicao(c.cstSN, n));
    } else if (nome == prefixo + "Outr") {
        if (cst != "99") throw Rejeicao(c.cstOutr, textoRejeicao(c.cstOutr, n));
        valor = calcularBase(g, c, n, true);
    } else {
        throw Rejeicao(1999, "Rejeição: grupo " + nome + " do item " + std::to_string(n) + " desconhecido");
    }
    if (nome != prefixo + "NT" && nome != prefixo + "SN") novo(g, c.valor, dinheiro(valor));
    if (xmlNodePtr st = filho(imposto, (prefixo + "ST").c_str())) {
        valorST = calcularBase(st, c, n, true);
        novo(st, c.valor, dinheiro(valorST));
    }
}

void impostos(Item& it, const std::string& im)
{
    int n = it.numero;
    xmlNodePtr imposto = filho(it.det, "imposto");
    if (!imposto) throw Rejeicao(1999, "Rejeição: grupo imposto do item " + std::to_string(n) + " ausente");
    if (xmlNodePtr v = filho(imposto, "vItem12741"); v && !lerDecimal(texto(v), 2))
        throw Rejeicao(1534, textoRejeicao(1534, n));
    xmlNodePtr icms = filho(imposto, "ICMS");
    xmlNodePtr iss = filho(imposto, "ISSQN");
    if ((icms != nullptr) == (iss != nullptr))
        throw Rejeicao(1999, "Rejeição: o item " + std::to_string(n) + " deve ter o grupo ICMS ou o grupo ISSQN");
    if (icms) {
        auto internos = filhos(icms, nullptr);
        if (internos.size() != 1)
            throw Rejeicao(1999, "Rejeição: grupo ICMS do item " + std::to_string(n) + " inválido");
        xmlNodePtr g = internos[0];
        std::string nome = nomeDe(g), orig = textoDe(g, "Orig");
        if (orig.size() != 1 || orig[0] < '0' || orig[0] > '7') throw Rejeicao(1471, textoRejeicao(1471, n));
        bool aliquota = false;
        if (nome == "ICMS00") {
            if (!umDe(textoDe(g, "CST"), {"00", "20", "90"})) throw Rejeicao(1472, textoRejeicao(1472, n));
            aliquota = true;
        } else if (nome == "ICMS40") {
            if (!umDe(textoDe(g, "CST"), {"40", "41", "50", "60"})) throw Rejeicao(1475, textoRejeicao(1475, n));
        } else if (nome == "ICMSSN102") {
            if (!umDe(textoDe(g, "CSOSN"), {"102", "300", "400", "500"})) throw Rejeicao(1476, textoRejeicao(1476, n));
        } else if (nome == "ICMSSN900") {
            if (textoDe(g, "CSOSN") != "900") throw Rejeicao(1477, textoRejeicao(1477, n));
            aliquota = true;
        } else {
            throw Rejeicao(1999, "Rejeição: grupo " + nome + " do item " + std::to_string(n) + " desconhecido");
        }
        if (aliquota) {
            int64_t p = valorExigido(g, "pICMS", 2, 1473, n);
            it.vICMS = dividirPar(static_cast<__int128>(it.vItem) * p, 10000);
            novo(g, "vICMS", dinheiro(it.vICMS));
        }
    } else {
        it.issqn = true;
        if (im.empty()) throw Rejeicao(1501, textoRejeicao(1501));
        int64_t deducao = valorExigido(iss, "vDeducISSQN", 2, 1503, n);
        int64_t aliq = valorExigido(iss, "vAliq", 2, 1505, n);
        if (aliq < 200 || aliq > 500) throw Rejeicao(1505, textoRejeicao(1505, n));
        std::string natOp = textoDe(iss, "cNatOp");
        if (!umDe(natOp, {"01", "02", "03", "04", "05", "06", "07", "08"})) throw Rejeicao(1457, textoRejeicao(1457));
        if (!umDe(textoDe(iss, "indIncFisc"), {"1", "2"})) throw Rejeicao(1511, textoRejeicao(1511, n));
        it.vBCISS = it.vItem - deducao;
        if (it.vBCISS < 0) throw Rejeicao(1503, textoRejeicao(1503, n));
        it.vISSQN = dividirPar(static_cast<__int128>(it.vBCISS) * aliq, 10000);
        inserirApos(iss, {"vDeducISSQN"}, "vBC", dinheiro(it.vBCISS));
        inserirApos(iss, {"vDeducISSQN", "vBC", "vAliq"}, "vISSQN", dinheiro(it.vISSQN));
    }
    contribuicao(it, kPIS, it.vPIS, it.vPISST);
    contribuicao(it, kCOFINS, it.vCOFINS, it.vCOFINSST);
}

// Shares `total` over the items in proportion to their base, truncated to the cent; what the
// truncation leaves goes to the item with the largest base (the first of equals).
std::vector<int64_t> ratear(const std::vector<Item>& itens, int64_t total, int codigo)
{
    std::vector<int64_t> partes(itens.size(), 0);
    if (total == 0) return partes;
    __int128 soma = 0;
    size_t maior = 0;
    for (size_t i = 0; i < itens.size(); ++i) {
        soma += itens[i].base;
        if (itens[i].base > itens[maior].base) maior = i;
    }
    if (soma <= 0) throw Rejeicao(codigo, textoRejeicao(codigo, 1));
    int64_t distribuido = 0;
    for (size_t i = 0; i < itens.size(); ++i) {
        partes[i] = dividirTruncando(static_cast<__int128>(total) * itens[i].base, soma);
        distribuido += partes[i];
    }
    partes[maior] += total - distribuido;
    return partes;
}

std::string gerarCNF()
{
    static thread_local std::mt19937 gerador{std::random_device{}()};
    std::uniform_int_distribution<int> d(0, 999999);
    std::string s = std::to_string(d(gerador));
    return std::string(6 - s.size(), '0') + s;
}

std::string zeros(long v, size_t largura)
{
    std::string s = std::to_string(v);
    return s.size() >= largura ? s : std::string(largura - s.size(), '0') + s;
}

// cUF(2) AAMM(4) CNPJ(14) "59" nserieSAT(9) nCFe(6) cNF(6) cDV(1)
std::string montarChave(int uf, const std::string& aamm, const std::string& cnpj, const std::string& serie, long ncfe,
                        const std::string& cnf)
{
    std::string c = zeros(uf, 2) + aamm + cnpj + "59" + serie + zeros(ncfe, 6) + cnf;
    return c + static_cast<char>('0' + digitoChave(c));
}

// ide as the device completes it (shared by sale and cancellation; tpAmb only in a sale).
void preencherIde(xmlNodePtr ide, const Configuracao& cfg, const Dispositivo& d, const std::string& cnf, long ncfe,
                  const std::string& carimbo, const std::string& chave, bool comAmbiente, const std::string& cnpjSh,
                  const std::string& signAC, const std::string& numeroCaixa, const std::string& qrcode)
{
    (void)cfg;
    novo(ide, "cUF", zeros(d.uf, 2));
    novo(ide, "cNF", cnf);
    novo(ide, "mod", "59");
    novo(ide, "nserieSAT", d.serie);
    novo(ide, "nCFe", zeros(ncfe, 6));
    novo(ide, "dEmi", carimbo.substr(0, 8));
    novo(ide, "hEmi", carimbo.substr(8, 6));
    novo(ide, "cDV", chave.substr(43, 1));
    if (comAmbiente) novo(ide, "tpAmb", "2");
    novo(ide, "CNPJ", cnpjSh);
    novo(ide, "signAC", signAC);
    novo(ide, "assinaturaQRCODE", qrcode);
    novo(ide, "numeroCaixa", numeroCaixa);
}

void preencherEmitente(xmlNodePtr emit, const Configuracao& cfg, const Dispositivo& d)
{
    novo(emit, "CNPJ", d.cnpjContribuinte);
    novo(emit, "xNome", cfg.razaoSocial);
    if (!cfg.nomeFantasia.empty()) novo(emit, "xFant", cfg.nomeFantasia);
    xmlNodePtr end = xmlNewChild(emit, nullptr, BAD_CAST "enderEmit", nullptr);
    novo(end, "xLgr", cfg.logradouro);
    novo(end, "nro", cfg.numero);
    if (!cfg.complemento.empty()) novo(end, "xCpl", cfg.complemento);
    novo(end, "xBairro", cfg.bairro);
    novo(end, "xMun", cfg.municipio);
    novo(end, "CEP", cfg.cep);
}

std::string serializar(xmlDocPtr doc)
{
    xmlChar* buf = nullptr;
    int n = 0;
    xmlDocDumpFormatMemoryEnc(doc, &buf, &n, "UTF-8", 0);
    std::string s = buf ? std::string(reinterpret_cast<char*>(buf), n) : std::string();
    xmlFree(buf);
    // One line, as the device hands it out: drop the break libxml2 puts after the declaration.
    if (size_t p = s.find("?>\n"); p != std::string::npos && p < 60) s.erase(p + 2, 1);
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
}

std::string destinatario(xmlNodePtr dest)
{
    if (xmlNodePtr c = filho(dest, "CNPJ")) return texto(c);
    if (xmlNodePtr c = filho(dest, "CPF")) return texto(c);
    return {};
}

// Number, time stamp, access key (with a fresh cNF, given back in `cnf`) and signed QR-code text
// of a document the device issues at `momento`, sale or cancellation alike.
Emissao numerar(const Dispositivo& d, long ncfe, std::time_t momento, std::string vCFe, std::string dest,
                std::string& cnf)
{
    Emissao r;
    r.ncfe = ncfe;
    r.carimbo = formatarHora(momento, "%Y%m%d%H%M%S");
    cnf = gerarCNF();
    r.chave = montarChave(d.uf, r.carimbo.substr(2, 4), d.cnpjContribuinte, d.serie, ncfe, cnf);
    r.vCFe = std::move(vCFe);
    r.dest = std::move(dest);
    r.qrcode = assinarTexto(d.cred.chavePem, r.chave + "|" + r.carimbo + "|" + r.vCFe + "|" + r.dest);
    return r;
}

void verificarVinculo(xmlNodePtr ide, const Dispositivo& d, int retornoVinculo)
{
    std::string cnpjSh = textoDe(ide, "CNPJ");
    if (!cnpjValido(cnpjSh)) throw Rejeicao(1224, textoRejeicao(1224));
    if (cnpjSh != d.cnpjSoftwareHouse)
        throw Rejeicao(1224, "Vinculação do AC não confere: CNPJ da Software House diferente do vinculado ao SAT",
                       retornoVinculo);
    if (textoDe(ide, "signAC") != d.signAC)
        throw Rejeicao(1085, textoRejeicao(1085), retornoVinculo);
}

}  // namespace

std::string textoRejeicao(int codigo, int item)
{
    auto it = tabela().find(codigo);
    std::string t = it == tabela().end() ? "Rejeição: código " + std::to_string(codigo) : it->second;
    if (size_t p = t.find("(N)"); p != std::string::npos) t.replace(p, 3, item > 0 ? std::to_string(item) : "");
    return t;
}

std::string validarEsquema(const std::string& pasta, const std::string& arquivo, const std::string& xml)
{
    if (pasta.empty()) return {};
    std::string caminho = pasta + "/" + arquivo;
    if (!std::filesystem::exists(caminho)) throw std::runtime_error("esquema " + caminho + " não encontrado");
    std::string primeiro;
    auto guardar = [](void* ctx, const xmlError* e) {
        auto* s = static_cast<std::string*>(ctx);
        if (s->empty() && e && e->message) *s = campoSeguro(e->message) + " (linha " + std::to_string(e->line) + ")";
    };
    using FnErro = void (*)(void*, const xmlError*);
    // Parsed once per process and file: commands are serialised, the map needs no lock of its
    // own. Freed when the library is unloaded.
    struct Esquemas {
        std::map<std::string, xmlSchemaPtr> porCaminho;
        ~Esquemas()
        {
            for (auto& [caminho, esquema] : porCaminho) xmlSchemaFree(esquema);
        }
    };
    static Esquemas esquemas;
    xmlSchemaPtr& esquema = esquemas.porCaminho[caminho];
    if (!esquema) {
        xmlSchemaParserCtxtPtr pc = xmlSchemaNewParserCtxt(caminho.c_str());
        esquema = pc ? xmlSchemaParse(pc) : nullptr;
        xmlSchemaFreeParserCtxt(pc);
    }
    if (!esquema) throw std::runtime_error("esquema " + caminho + " ilegível");
    Doc doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) return "XML mal formado";
    xmlSchemaValidCtxtPtr vc = xmlSchemaNewValidCtxt(esquema);
    xmlSchemaSetValidStructuredErrors(vc, reinterpret_cast<xmlStructuredErrorFunc>(static_cast<FnErro>(guardar)), &primeiro);
    int r = xmlSchemaValidateDoc(vc, doc.get());
    xmlSchemaFreeValidCtxt(vc);
    if (r != 0 && primeiro.empty()) primeiro = "documento fora do leiaute";
    return r == 0 ? std::string() : primeiro;
}

Emissao autorizarVenda(const std::string& dados, const Configuracao& cfg, const Dispositivo& d, long ncfe,
                       std::time_t momento)
{
    Doc entrada = lerXml(dados);
    xmlNodePtr raiz = xmlDocGetRootElement(entrada.get());
    if (!raiz || nomeDe(raiz) != "CFe") throw Rejeicao(1999, "Rejeição: o elemento raiz deve ser CFe");
    xmlNodePtr inf = filho(raiz, "infCFe");
    if (!inf) throw Rejeicao(1999, "Rejeição: grupo infCFe ausente");
    std::string versao = atributo(inf, "versaoDadosEnt");
    if (versao != "0.07" && versao != "0.08") throw Rejeicao(1004, textoRejeicao(1004));
    xmlNodePtr ide = filho(inf, "ide"), emit = filho(inf, "emit"), dest = filho(inf, "dest"),
               total = filho(inf, "total"), pgto = filho(inf, "pgto");
    for (auto [no, nome] : {std::pair{ide, "ide"}, {emit, "emit"}, {dest, "dest"}, {total, "total"}, {pgto, "pgto"}})
        if (!no) throw Rejeicao(1999, std::string("Rejeição: grupo ") + nome + " ausente");

    verificarVinculo(ide, d, 6004);

    std::string cnpjEmit = textoDe(emit, "CNPJ");
    if (!cnpjValido(cnpjEmit)) throw Rejeicao(1207, textoRejeicao(1207));
    if (cnpjEmit != d.cnpjContribuinte)
        throw Rejeicao(1207, "Rejeição: CNPJ do emitente inválido (difere do contribuinte ativado no SAT)");
    std::string ie = textoDe(emit, "IE");
    if (aparar(ie).empty()) throw Rejeicao(1229, textoRejeicao(1229));
    if (!soDigitos(ie) || ie.size() < 2 || ie.size() > 14) throw Rejeicao(1209, textoRejeicao(1209));
    if (ie != cfg.ie) throw Rejeicao(1230, textoRejeicao(1230));
    std::string im = textoDe(emit, "IM");
    if (xmlNodePtr r = filho(emit, "cRegTribISSQN"); r && !umDe(texto(r), {"1", "2", "3", "4", "5", "6"}))
        throw Rejeicao(1456, textoRejeicao(1456));
    if (!umDe(textoDe(emit, "indRatISSQN"), {"S", "N"})) throw Rejeicao(1507, textoRejeicao(1507));

    if (xmlNodePtr c = filho(dest, "CNPJ"); c && !cnpjValido(texto(c))) throw Rejeicao(1235, textoRejeicao(1235));
    if (xmlNodePtr c = filho(dest, "CPF"); c && !texto(c).empty() && !cpfValido(texto(c)))
        throw Rejeicao(1237, textoRejeicao(1237));

    // Items: numbering, product data, values.
    auto dets = filhos(inf, "det");
    if (dets.empty() || dets.size() > 500)
        throw Rejeicao(1999, "Rejeição: o CF-e deve ter de 1 a 500 itens (tem " + std::to_string(dets.size()) + ")");
    std::vector<Item> itens;
    for (size_t i = 0; i < dets.size(); ++i) {
        Item it;
        it.det = dets[i];
        it.numero = static_cast<int>(i + 1);
        std::string nItem = atributo(dets[i], "nItem");
        if (nItem.size() > 3 || !soDigitos(nItem) || std::stoi(nItem) != it.numero) throw Rejeicao(1019, textoRejeicao(1019));
        int n = it.numero;
        xmlNodePtr prod = filho(dets[i], "prod");
        if (!prod) throw Rejeicao(1999, "Rejeição: grupo prod do item " + std::to_string(n) + " ausente");
        if (aparar(textoDe(prod, "cProd")).empty()) throw Rejeicao(1459, textoRejeicao(1459));
        if (xmlNodePtr e = filho(prod, "cEAN"); e && !gtinValido(texto(e))) throw Rejeicao(1460, textoRejeicao(1460, n));
        if (aparar(textoDe(prod, "xProd")).empty()) throw Rejeicao(1461, textoRejeicao(1461));
        std::string cfop = textoDe(prod, "CFOP");
        if (cfop.size() != 4 || !soDigitos(cfop) || cfop[0] != '5') throw Rejeicao(1462, textoRejeicao(1462));
        if (aparar(textoDe(prod, "uCom")).empty()) throw Rejeicao(1463, textoRejeicao(1463));
        int64_t q = valorExigido(prod, "qCom", 4, 1464, n);
        if (q <= 0) throw Rejeicao(1464, textoRejeicao(1464, n));
        int64_t vUn = valorExigido(prod, "vUnCom", 3, 1465, n);
        std::string regra = textoDe(prod, "indRegra");
        if (regra != "A" && regra != "T") throw Rejeicao(1467, textoRejeicao(1467, n));
        it.regra = regra[0];
        it.vDesc = valorOpcional(prod, "vDesc", 2, 1468, n);
        it.vOutro = valorOpcional(prod, "vOutro", 2, 1469, n);
        // qCom has 4 decimals and vUnCom up to 3: the product is in 10^-7, the value in cents.
        it.vProd = arredondar(static_cast<__int128>(q) * vUn, 100000, it.regra);
        if (it.vDesc > it.vProd) throw Rejeicao(1468, textoRejeicao(1468, n));
        it.base = it.vProd - it.vDesc + it.vOutro;
        itens.push_back(it);
    }

    // Discount or surcharge on the subtotal, shared over the items.
    int64_t descSub = 0, acresSub = 0;
    xmlNodePtr descAcr = filho(total, "DescAcrEntr");
    if (descAcr) {
        descSub = valorOpcional(descAcr, "vDescSubtot", 2, 1073, 0);
        acresSub = valorOpcional(descAcr, "vAcresSubtot", 2, 1074, 0);
        if (descSub > 0 && acresSub > 0)
            throw Rejeicao(1999, "Rejeição: desconto e acréscimo sobre o subtotal informados juntos");
    }
    auto rDesc = ratear(itens, descSub, 1220);
    auto rAcr = ratear(itens, acresSub, 1228);
    int64_t vCFe = 0;
    for (size_t i = 0; i < itens.size(); ++i) {
        Item& it = itens[i];
        it.vRatDesc = rDesc[i];
        it.vRatAcr = rAcr[i];
        it.vItem = it.base - it.vRatDesc + it.vRatAcr;
        if (it.vItem < 0) throw Rejeicao(1220, textoRejeicao(1220, it.numero));
        vCFe += it.vItem;
    }
    if (xmlNodePtr l = filho(total, "vCFeLei12741"); l && !lerDecimal(texto(l), 2)) throw Rejeicao(1533, textoRejeicao(1533));

    // Payments.
    auto mps = filhos(pgto, "MP");
    if (mps.empty() || mps.size() > 10)
        throw Rejeicao(1999, "Rejeição: o CF-e deve ter de 1 a 10 meios de pagamento (tem " + std::to_string(mps.size()) + ")");
    int64_t pago = 0;
    for (xmlNodePtr mp : mps) {
        if (!umDe(textoDe(mp, "cMP"), {"01", "02", "03", "04", "05", "10", "11", "12", "13", "99"}))
            throw Rejeicao(1527, textoRejeicao(1527));
        auto v = lerDecimal(textoDe(mp, "vMP"), 2);
        if (!v || *v <= 0) throw Rejeicao(1528, textoRejeicao(1528));
        if (xmlNodePtr a = filho(mp, "cAdmC"); a && (texto(a).size() != 3 || !soDigitos(texto(a))))
            throw Rejeicao(1535, textoRejeicao(1535));
        pago += *v;
    }

    // Taxes write their computed values into the entry tree, which is copied below.
    for (Item& it : itens) impostos(it, im);
    if (vCFe > pago) throw Rejeicao(1408, textoRejeicao(1408));

    if (std::string e = validarEsquema(cfg.pastaEsquemas, "emissao_cfe_00" + versao.substr(2) + ".xsd", dados); !e.empty())
        throw Rejeicao(1999, "Rejeição: Erro não identificado: " + e);

    // Number, key, signature of the QR-code text.
    std::string cnf;
    Emissao r = numerar(d, ncfe, momento, dinheiro(vCFe), destinatario(dest), cnf);

    Doc saida(xmlNewDoc(BAD_CAST "1.0"));
    xmlDocPtr o = saida.get();
    xmlNodePtr cfe = xmlNewDocNode(o, nullptr, BAD_CAST "CFe", nullptr);
    xmlDocSetRootElement(o, cfe);
    xmlNodePtr oInf = xmlNewChild(cfe, nullptr, BAD_CAST "infCFe", nullptr);
    xmlNewProp(oInf, BAD_CAST "versao", BAD_CAST versao.c_str());
    xmlNewProp(oInf, BAD_CAST "versaoDadosEnt", BAD_CAST versao.c_str());
    xmlNewProp(oInf, BAD_CAST "versaoSB", BAD_CAST "010000");
    xmlNewProp(oInf, BAD_CAST "Id", BAD_CAST("CFe" + r.chave).c_str());

    preencherIde(xmlNewChild(oInf, nullptr, BAD_CAST "ide", nullptr), cfg, d, cnf, ncfe, r.carimbo, r.chave, true,
                 textoDe(ide, "CNPJ"), textoDe(ide, "signAC"), textoDe(ide, "numeroCaixa"), r.qrcode);
    xmlNodePtr oEmit = xmlNewChild(oInf, nullptr, BAD_CAST "emit", nullptr);
    preencherEmitente(oEmit, cfg, d);
    novo(oEmit, "IE", ie);
    if (filho(emit, "IM")) novo(oEmit, "IM", im);
    novo(oEmit, "cRegTrib", cfg.regimeTributario);
    if (xmlNodePtr r2 = filho(emit, "cRegTribISSQN")) novo(oEmit, "cRegTribISSQN", texto(r2));
    novo(oEmit, "indRatISSQN", textoDe(emit, "indRatISSQN"));
    xmlAddChild(oInf, xmlDocCopyNode(dest, o, 1));
    if (xmlNodePtr e = filho(inf, "entrega")) xmlAddChild(oInf, xmlDocCopyNode(e, o, 1));

    int64_t tICMS = 0, tProd = 0, tDesc = 0, tPIS = 0, tCOFINS = 0, tPISST = 0, tCOFINSST = 0, tOutro = 0;
    int64_t sBC = 0, sISS = 0, sPIS = 0, sCOFINS = 0, sPISST = 0, sCOFINSST = 0;
    bool temIss = false;
    for (Item& it : itens) {
        xmlNodePtr prod = filho(it.det, "prod");
        inserirApos(prod, {"vUnCom"}, "vProd", dinheiro(it.vProd));
        inserirApos(prod, {"indRegra", "vDesc", "vOutro"}, "vItem", dinheiro(it.vItem));
        if (it.vRatDesc > 0) inserirApos(prod, {"vItem"}, "vRatDesc", dinheiro(it.vRatDesc));
        if (it.vRatAcr > 0) inserirApos(prod, {"vItem", "vRatDesc"}, "vRatAcr", dinheiro(it.vRatAcr));
        xmlAddChild(oInf, xmlDocCopyNode(it.det, o, 1));
        if (it.issqn) {
            temIss = true;
            sBC += it.vBCISS;
            sISS += it.vISSQN;
            sPIS += it.vPIS;
            sCOFINS += it.vCOFINS;
            sPISST += it.vPISST;
            sCOFINSST += it.vCOFINSST;
        } else {
            tICMS += it.vICMS;
            tProd += it.vProd;
            tDesc += it.vDesc;
            tPIS += it.vPIS;
            tCOFINS += it.vCOFINS;
            tPISST += it.vPISST;
            tCOFINSST += it.vCOFINSST;
            tOutro += it.vOutro;
        }
    }

    xmlNodePtr oTotal = xmlNewChild(oInf, nullptr, BAD_CAST "total", nullptr);
    xmlNodePtr icmsTot = xmlNewChild(oTotal, nullptr, BAD_CAST "ICMSTot", nullptr);
    for (auto [nome, v] : {std::pair{"vICMS", tICMS}, {"vProd", tProd}, {"vDesc", tDesc}, {"vPIS", tPIS},
                           {"vCOFINS", tCOFINS}, {"vPISST", tPISST}, {"vCOFINSST", tCOFINSST}, {"vOutro", tOutro}})
        novo(icmsTot, nome, dinheiro(v));
    novo(oTotal, "vCFe", r.vCFe);
    if (temIss) {
        xmlNodePtr issTot = xmlNewChild(oTotal, nullptr, BAD_CAST "ISSQNtot", nullptr);
        for (auto [nome, v] : {std::pair{"vBC", sBC}, {"vISS", sISS}, {"vPIS", sPIS}, {"vCOFINS", sCOFINS},
                               {"vPISST", sPISST}, {"vCOFINSST", sCOFINSST}})
            novo(issTot, nome, dinheiro(v));
    }
    if (descAcr) xmlAddChild(oTotal, xmlDocCopyNode(descAcr, o, 1));
    if (xmlNodePtr l = filho(total, "vCFeLei12741")) novo(oTotal, "vCFeLei12741", texto(l));

    xmlNodePtr oPgto = xmlNewChild(oInf, nullptr, BAD_CAST "pgto", nullptr);
    for (xmlNodePtr mp : mps) xmlAddChild(oPgto, xmlDocCopyNode(mp, o, 1));
    novo(oPgto, "vTroco", dinheiro(pago - vCFe));
    if (xmlNodePtr a = filho(inf, "infAdic")) xmlAddChild(oInf, xmlDocCopyNode(a, o, 1));

    assinarXml(o, oInf, d.cred.chavePem, d.cred.certificadoPem);
    r.xml = serializar(o);
    return r;
}

Emissao autorizarCancelamento(const std::string& chave, const std::string& dados, const Configuracao& cfg,
                              const Dispositivo& d, const std::optional<Documento>& ultimo,
                              const std::optional<Documento>& alvo, long ncfe, std::time_t momento)
{
    Doc entrada = lerXml(dados);
    xmlNodePtr raiz = xmlDocGetRootElement(entrada.get());
    if (!raiz || nomeDe(raiz) != "CFeCanc") throw Rejeicao(1999, "Rejeição: o elemento raiz deve ser CFeCanc");
    xmlNodePtr inf = filho(raiz, "infCFe");
    xmlNodePtr ide = filho(inf, "ide");
    if (!inf || !ide) throw Rejeicao(1999, "Rejeição: grupos infCFe e ide são obrigatórios");
    if (atributo(inf, "chCanc") != chave)
        throw Rejeicao(1999, "Rejeição: chCanc do documento difere da chave informada no comando");
    verificarVinculo(ide, d, 0);

    // Only the last coupon the device issued, and only within 30 minutes of it.
    const std::string chave44 = chave.substr(3);
    if (alvo && alvo->tipo == "V" && alvo->cancelado) throw Rejeicao(1218, textoRejeicao(1218));
    if (!alvo || alvo->tipo != "V" || !ultimo || ultimo->chave != alvo->chave)
        throw Rejeicao(1412, textoRejeicao(1412));
    std::time_t emitido = lerCarimbo(alvo->carimbo);
    if (emitido < 0 || momento - emitido > 30 * 60) throw Rejeicao(1210, textoRejeicao(1210));

    Doc venda = lerXml(alvo->xml);
    xmlNodePtr vInf = filho(xmlDocGetRootElement(venda.get()), "infCFe");
    std::string versao = atributo(vInf, "versao");
    if (std::string e = validarEsquema(cfg.pastaEsquemas, "cancelamento_00" + versao.substr(versao.size() >= 2 ? 2 : 0) + ".xsd", dados);
        !e.empty())
        throw Rejeicao(1999, "Rejeição: Erro não identificado: " + e);

    std::string cnf;
    Emissao r = numerar(d, ncfe, momento, alvo->vCFe, alvo->dest, cnf);

    Doc saida(xmlNewDoc(BAD_CAST "1.0"));
    xmlDocPtr o = saida.get();
    xmlNodePtr canc = xmlNewDocNode(o, nullptr, BAD_CAST "CFeCanc", nullptr);
    xmlDocSetRootElement(o, canc);
    xmlNodePtr oInf = xmlNewChild(canc, nullptr, BAD_CAST "infCFe", nullptr);
    xmlNewProp(oInf, BAD_CAST "versao", BAD_CAST(versao.empty() ? "0.08" : versao).c_str());
    xmlNewProp(oInf, BAD_CAST "Id", BAD_CAST("CFe" + r.chave).c_str());
    xmlNewProp(oInf, BAD_CAST "chCanc", BAD_CAST chave.c_str());
    novo(oInf, "dEmi", alvo->carimbo.substr(0, 8));
    novo(oInf, "hEmi", alvo->carimbo.substr(8, 6));
    preencherIde(xmlNewChild(oInf, nullptr, BAD_CAST "ide", nullptr), cfg, d, cnf, ncfe, r.carimbo, r.chave, false,
                 textoDe(ide, "CNPJ"), textoDe(ide, "signAC"), textoDe(ide, "numeroCaixa"), r.qrcode);
    xmlNodePtr oEmit = xmlNewChild(oInf, nullptr, BAD_CAST "emit", nullptr);
    preencherEmitente(oEmit, cfg, d);
    xmlNodePtr vEmit = filho(vInf, "emit");
    novo(oEmit, "IE", textoDe(vEmit, "IE"));
    if (xmlNodePtr im = filho(vEmit, "IM")) novo(oEmit, "IM", texto(im));
    xmlNodePtr oDest = xmlNewChild(oInf, nullptr, BAD_CAST "dest", nullptr);
    xmlNodePtr vDest = filho(vInf, "dest");
    for (const char* doc : {"CNPJ", "CPF"})
        if (xmlNodePtr n = filho(vDest, doc)) novo(oDest, doc, texto(n));
    xmlNodePtr oTotal = xmlNewChild(oInf, nullptr, BAD_CAST "total", nullptr);
    novo(oTotal, "vCFe", r.vCFe);
    (void)chave44;

    assinarXml(o, oInf, d.cred.chavePem, d.cred.certificadoPem);
    r.xml = serializar(o);
    return r;
}

}  // namespace satemu
