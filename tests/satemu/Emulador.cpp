#include "Emulador.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

BibliotecaSat::BibliotecaSat(const char* caminho)
{
    h = dlopen(caminho, RTLD_NOW | RTLD_LOCAL);
    if (!h) throw std::runtime_error(std::string("dlopen: ") + dlerror());
    auto f = [&](auto& alvo, const char* nome) {
        alvo = reinterpret_cast<std::remove_reference_t<decltype(alvo)>>(dlsym(h, nome));
        if (!alvo) throw std::runtime_error(std::string("export ausente: ") + nome);
    };
    f(AssociarAssinatura, "AssociarAssinatura");
    f(AtivarSAT, "AtivarSAT");
    f(AtualizarSoftwareSAT, "AtualizarSoftwareSAT");
    f(BloquearSAT, "BloquearSAT");
    f(CancelarUltimaVenda, "CancelarUltimaVenda");
    f(ComunicarCertificadoICPBRASIL, "ComunicarCertificadoICPBRASIL");
    f(ConfigurarInterfaceDeRede, "ConfigurarInterfaceDeRede");
    f(ConsultarNumeroSessao, "ConsultarNumeroSessao");
    f(ConsultarSAT, "ConsultarSAT");
    f(ConsultarStatusOperacional, "ConsultarStatusOperacional");
    f(DesbloquearSAT, "DesbloquearSAT");
    f(EnviarDadosVenda, "EnviarDadosVenda");
    f(ExtrairLogs, "ExtrairLogs");
    f(TesteFimAFim, "TesteFimAFim");
    f(TrocarCodigoDeAtivacao, "TrocarCodigoDeAtivacao");
    f(ConsultarUltimaSessaoFiscal, "ConsultarUltimaSessaoFiscal");
}

BibliotecaSat::~BibliotecaSat()
{
    if (h) dlclose(h);
}

std::string DadosVenda::xml() const
{
    const std::string nl = "\r\n";
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>" + nl;
    x += "   <infCFe versaoDadosEnt=\"" + versao + "\">" + nl;
    x += "      <ide>" + nl + "         <CNPJ>" + cnpjSh + "</CNPJ>" + nl + "         <signAC>" + signAC + "</signAC>" + nl;
    x += "         <numeroCaixa>" + numeroCaixa + "</numeroCaixa>" + nl + "      </ide>" + nl;
    x += "      <emit>" + nl + "         <CNPJ>" + cnpjEmit + "</CNPJ>" + nl + "         <IE>" + ie + "</IE>" + nl;
    if (!im.empty()) x += "         <IM>" + im + "</IM>" + nl;
    x += "         <indRatISSQN>N</indRatISSQN>" + nl + "      </emit>" + nl;
    x += "      <dest>" + nl + dest + "      </dest>" + nl;
    for (size_t i = 0; i < itens.size(); ++i) {
        const ItemVenda& it = itens[i];
        x += "      <det nItem=\"" + std::to_string(it.nItem ? it.nItem : static_cast<int>(i + 1)) + "\">" + nl;
        x += "         <prod>" + nl + "            <cProd>" + std::to_string(100 + i) + "</cProd>" + nl;
        if (!it.cEAN.empty()) x += "            <cEAN>" + it.cEAN + "</cEAN>" + nl;
        x += "            <xProd>PRODUTO " + std::to_string(i + 1) + "</xProd>" + nl;
        x += "            <CFOP>" + it.cfop + "</CFOP>" + nl + "            <uCom>UN</uCom>" + nl;
        x += "            <qCom>" + it.qCom + "</qCom>" + nl + "            <vUnCom>" + it.vUnCom + "</vUnCom>" + nl;
        x += "            <indRegra>" + it.indRegra + "</indRegra>" + nl;
        if (!it.vDesc.empty()) x += "            <vDesc>" + it.vDesc + "</vDesc>" + nl;
        if (!it.vOutro.empty()) x += "            <vOutro>" + it.vOutro + "</vOutro>" + nl;
        x += "         </prod>" + nl + "         <imposto>" + nl;
        x += it.imposto.empty() ? "<ICMS><ICMSSN102><Orig>0</Orig><CSOSN>102</CSOSN></ICMSSN102></ICMS>"
                                  "<PIS><PISSN><CST>49</CST></PISSN></PIS><COFINS><COFINSSN><CST>49</CST></COFINSSN></COFINS>"
                                : it.imposto;
        x += nl + "         </imposto>" + nl + "      </det>" + nl;
    }
    x += "      <total>" + nl;
    if (!vDescSubtot.empty() || !vAcresSubtot.empty()) {
        x += "         <DescAcrEntr>" + nl;
        if (!vDescSubtot.empty()) x += "            <vDescSubtot>" + vDescSubtot + "</vDescSubtot>" + nl;
        if (!vAcresSubtot.empty()) x += "            <vAcresSubtot>" + vAcresSubtot + "</vAcresSubtot>" + nl;
        x += "         </DescAcrEntr>" + nl;
    }
    x += "         <vCFeLei12741>0.00</vCFeLei12741>" + nl + "      </total>" + nl + "      <pgto>" + nl;
    for (const auto& [cMP, vMP] : pagamentos)
        x += "         <MP>" + nl + "            <cMP>" + cMP + "</cMP>" + nl + "            <vMP>" + vMP + "</vMP>" + nl +
             "         </MP>" + nl;
    x += "      </pgto>" + nl + "   </infCFe>" + nl + "</CFe>" + nl;
    return x;
}

std::string cancelamentoXml(const std::string& chCanc, const std::string& cnpjSh, const std::string& signAC)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc><infCFe chCanc=\"" + chCanc + "\"><ide><CNPJ>" + cnpjSh +
           "</CNPJ><signAC>" + signAC + "</signAC><numeroCaixa>001</numeroCaixa></ide><emit></emit><dest></dest>"
           "<total></total></infCFe></CFeCanc>";
}

std::vector<std::string> campos(const char* resposta)
{
    std::vector<std::string> r;
    if (!resposta) return r;
    std::string s = resposta;
    size_t inicio = 0;
    while (true) {
        size_t p = s.find('|', inicio);
        r.push_back(s.substr(inicio, p == std::string::npos ? std::string::npos : p - inicio));
        if (p == std::string::npos) break;
        inicio = p + 1;
    }
    return r;
}

char digitoVerificador(const std::string& k43)
{
    int soma = 0;
    for (int i = 42, peso = 2; i >= 0; --i) {
        soma += (k43[i] - '0') * peso;
        peso = peso == 9 ? 2 : peso + 1;
    }
    int dv = 11 - soma % 11;
    return static_cast<char>('0' + (dv >= 10 ? 0 : dv));
}

std::string base64Decodificado(const std::string& b64)
{
    if (b64.empty() || b64.size() % 4 != 0) return {};
    std::string out(b64.size() / 4 * 3, '\0');
    int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()), reinterpret_cast<const unsigned char*>(b64.data()),
                            static_cast<int>(b64.size()));
    if (n < 0) return {};
    size_t pad = b64.compare(b64.size() - 2, 2, "==") == 0 ? 2 : b64.back() == '=' ? 1 : 0;
    out.resize(static_cast<size_t>(n) - pad);
    return out;
}

std::vector<std::string> xpath(const std::string& xml, const std::string& expressao)
{
    std::vector<std::string> r;
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    if (!doc) throw std::runtime_error("XML mal formado");
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    xmlXPathRegisterNs(ctx, BAD_CAST "ds", BAD_CAST "http://www.w3.org/2000/09/xmldsig#");
    xmlXPathObjectPtr obj = xmlXPathEvalExpression(BAD_CAST expressao.c_str(), ctx);
    if (obj && obj->nodesetval)
        for (int i = 0; i < obj->nodesetval->nodeNr; ++i) {
            xmlChar* t = xmlNodeGetContent(obj->nodesetval->nodeTab[i]);
            r.push_back(t ? reinterpret_cast<char*>(t) : "");
            xmlFree(t);
        }
    xmlXPathFreeObject(obj);
    xmlXPathFreeContext(ctx);
    xmlFreeDoc(doc);
    return r;
}

std::string xpath1(const std::string& xml, const std::string& expressao)
{
    auto r = xpath(xml, expressao);
    return r.size() == 1 ? r[0] : "<" + std::to_string(r.size()) + " nós para " + expressao + ">";
}

bool assinaturaQrValida(const std::string& certificadoB64Der, const std::string& texto, const std::string& assinatura)
{
    std::string der = base64Decodificado(certificadoB64Der);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
    X509* cert = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
    if (!cert) return false;
    std::string sig = base64Decodificado(assinatura);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    bool ok = EVP_DigestVerifyInit(ctx, nullptr, EVP_sha256(), nullptr, X509_get0_pubkey(cert)) == 1 &&
              EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char*>(sig.data()), sig.size(),
                               reinterpret_cast<const unsigned char*>(texto.data()), texto.size()) == 1;
    EVP_MD_CTX_free(ctx);
    X509_free(cert);
    return ok;
}

void EmuladorTest::SetUp()
{
    char modelo[] = "/tmp/satemu-teste-XXXXXX";
    ASSERT_NE(mkdtemp(modelo), nullptr);
    pasta = modelo;
    ini = pasta + "/satemu.ini";
    estado = pasta + "/estado";
    dispositivo_["pasta_estado"] = estado;
    dispositivo_["pasta_esquemas"] = SATEMU_ESQUEMAS;
    escreverIni();
    setenv("SATEMU_INI", ini.c_str(), 1);
}

void EmuladorTest::TearDown()
{
    sat_.reset();
    std::error_code ec;
    fs::remove_all(pasta, ec);
}

void EmuladorTest::escreverIni()
{
    std::ofstream out(ini + ".novo", std::ios::trunc);
    out << "[dispositivo]\n";
    for (const auto& [k, v] : dispositivo_) out << k << "=" << v << "\n";
    out << "[falhas]\n";
    for (const auto& [k, v] : falhas_) out << k << "=" << v << "\n";
    out.close();
    fs::rename(ini + ".novo", ini);
}

void EmuladorTest::configurar(const std::string& chave, const std::string& valor)
{
    dispositivo_[chave] = valor;
    escreverIni();
}

void EmuladorTest::falha(const std::string& chave, const std::string& valor)
{
    falhas_[chave] = valor;
    escreverIni();
}

void EmuladorTest::limparFalhas()
{
    falhas_.clear();
    escreverIni();
}

void EmuladorTest::dispositivoNovo()
{
    static std::string modelo;
    if (modelo.empty()) {
        char m[] = "/tmp/satemu-modelo-XXXXXX";
        ASSERT_NE(mkdtemp(m), nullptr);
        modelo = m;
        std::string iniModelo = modelo + "/satemu.ini";
        std::ofstream(iniModelo) << "[dispositivo]\npasta_estado=" << modelo << "/estado\n";
        setenv("SATEMU_INI", iniModelo.c_str(), 1);
        sat().ConsultarSAT(999999);
        setenv("SATEMU_INI", ini.c_str(), 1);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(modelo, ec);
        });
    }
    falhas_.clear();
    escreverIni();
    std::error_code ec;
    fs::remove_all(estado, ec);
    fs::create_directories(estado);
    for (const char* arquivo : {"satemu.db", "satemu.db-wal"})
        if (fs::exists(modelo + "/estado/" + arquivo)) fs::copy_file(modelo + "/estado/" + arquivo, estado + "/" + arquivo);
}

BibliotecaSat& EmuladorTest::sat()
{
    if (!sat_) sat_ = std::make_unique<BibliotecaSat>();
    return *sat_;
}

std::vector<std::string> EmuladorTest::vender(const DadosVenda& v)
{
    std::string xml = v.xml();
    return campos(sat().EnviarDadosVenda(sessao(), kCodigo, xml.c_str()));
}

std::vector<std::string> EmuladorTest::cancelar(const std::string& chCanc)
{
    std::string xml = cancelamentoXml(chCanc);
    return campos(sat().CancelarUltimaVenda(sessao(), kCodigo, chCanc.c_str(), xml.c_str()));
}

std::vector<std::string> EmuladorTest::status() { return campos(sat().ConsultarStatusOperacional(sessao(), kCodigo)); }
