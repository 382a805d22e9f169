#include "Cripto.h"

#include "Util.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <xmlsec/base64.h>
#include <xmlsec/crypto.h>
#include <xmlsec/errors.h>
#include <xmlsec/templates.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>

#include <libxml/parser.h>

#include <memory>
#include <mutex>
#include <stdexcept>

namespace satemu {

namespace {

template <typename T, void (*F)(T*)>
struct Libera {
    void operator()(T* p) const { F(p); }
};
using Chave = std::unique_ptr<EVP_PKEY, Libera<EVP_PKEY, EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Libera<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Libera<BIO, BIO_free_all>>;

void falhou(const char* o)
{
    throw std::runtime_error(std::string("falha criptografica: ") + o);
}

Chave novaChave()
{
    Chave k(EVP_RSA_gen(2048));
    if (!k) falhou("gerar chave RSA");
    return k;
}

std::string pemChave(EVP_PKEY* k)
{
    Bio b(BIO_new(BIO_s_mem()));
    if (!PEM_write_bio_PrivateKey(b.get(), k, nullptr, nullptr, 0, nullptr, nullptr)) falhou("gravar chave");
    char* p = nullptr;
    long n = BIO_get_mem_data(b.get(), &p);
    return std::string(p, n);
}

std::string pemCert(X509* c)
{
    Bio b(BIO_new(BIO_s_mem()));
    if (!PEM_write_bio_X509(b.get(), c)) falhou("gravar certificado");
    char* p = nullptr;
    long n = BIO_get_mem_data(b.get(), &p);
    return std::string(p, n);
}

Chave lerChave(const std::string& pem)
{
    Bio b(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    Chave k(PEM_read_bio_PrivateKey(b.get(), nullptr, nullptr, nullptr));
    if (!k) falhou("ler chave");
    return k;
}

Cert lerCert(const std::string& pem)
{
    Bio b(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    Cert c(PEM_read_bio_X509(b.get(), nullptr, nullptr, nullptr));
    if (!c) falhou("ler certificado");
    return c;
}

void nome(X509_NAME* n, const char* campo, const std::string& valor)
{
    X509_NAME_add_entry_by_txt(n, campo, MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(valor.c_str()), -1, -1, 0);
}

void extensao(X509* c, X509* emissor, int nid, const char* valor)
{
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, emissor, c, nullptr, nullptr, 0);
    X509_EXTENSION* e = X509V3_EXT_conf_nid(nullptr, &ctx, nid, valor);
    if (!e) falhou("extensao");
    X509_add_ext(c, e, -1);
    X509_EXTENSION_free(e);
}

Cert novoCert(EVP_PKEY* chave, X509_NAME* sujeito, X509* emissor, EVP_PKEY* chaveEmissor, long serial, bool ac)
{
    Cert c(X509_new());
    X509_set_version(c.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(c.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(c.get()), 5L * 365 * 24 * 3600);
    X509_set_pubkey(c.get(), chave);
    X509_set_subject_name(c.get(), sujeito);
    X509_set_issuer_name(c.get(), emissor ? X509_get_subject_name(emissor) : sujeito);
    X509* e = emissor ? emissor : c.get();
    extensao(c.get(), e, NID_basic_constraints, ac ? "critical,CA:TRUE" : "critical,CA:FALSE");
    extensao(c.get(), e, NID_key_usage, ac ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature,nonRepudiation");
    if (!X509_sign(c.get(), chaveEmissor, EVP_sha256())) falhou("assinar certificado");
    return c;
}

std::string carimboAsn1(const ASN1_TIME* t)
{
    std::tm tm{};
    if (!ASN1_TIME_to_tm(t, &tm)) return {};
    std::time_t utc = timegm(&tm);
    return formatarHora(utc, "%Y%m%d%H%M%S");
}

thread_local std::string tErroXmlsec;

// xmlsec reports to stderr by default; the device keeps the first fault for its answer.
void guardarErroXmlsec(const char* file, int line, const char* func, const char* errorObject,
                       const char* errorSubject, int reason, const char* msg)
{
    (void)file;
    (void)line;
    (void)errorObject;
    (void)reason;
    if (tErroXmlsec.empty())
        tErroXmlsec = std::string(func ? func : "") + ": " + (errorSubject ? errorSubject : "") + " " + (msg ? msg : "");
}

void iniciarXmlsec()
{
    static std::once_flag uma;
    static bool ok = false;
    std::call_once(uma, [] {
        xmlInitParser();
        if (xmlSecInit() < 0) return;
        if (xmlSecCheckVersion() != 1) return;
        if (xmlSecCryptoAppInit(nullptr) < 0) return;
        if (xmlSecCryptoInit() < 0) return;
        // Keep signature values and the certificate on one line, as the device hands them out.
        xmlSecBase64SetDefaultLineSize(1 << 20);
        xmlSecErrorsSetCallback(guardarErroXmlsec);
        xmlSecSetDefaultLineFeed(BAD_CAST "");
        ok = true;
    });
    if (!ok) throw std::runtime_error("biblioteca de assinatura XML indisponivel");
}

}  // namespace

Credenciais gerarCredenciais(const std::string& numeroSerie, const std::string& cnpj)
{
    Credenciais r;
    Chave chaveAc = novaChave();
    std::unique_ptr<X509_NAME, Libera<X509_NAME, X509_NAME_free>> nAc(X509_NAME_new());
    nome(nAc.get(), "C", "BR");
    nome(nAc.get(), "O", "Emulador SAT - homologacao");
    nome(nAc.get(), "CN", "AC de teste do emulador SAT");
    Cert ac = novoCert(chaveAc.get(), nAc.get(), nullptr, chaveAc.get(), 1, true);

    Chave chave = novaChave();
    std::unique_ptr<X509_NAME, Libera<X509_NAME, X509_NAME_free>> n(X509_NAME_new());
    nome(n.get(), "C", "BR");
    nome(n.get(), "O", "Emulador SAT - homologacao");
    nome(n.get(), "serialNumber", numeroSerie);
    nome(n.get(), "CN", "SAT " + numeroSerie + ":" + cnpj);
    unsigned char aleatorio[4];
    RAND_bytes(aleatorio, sizeof aleatorio);
    long serial = 2 + ((aleatorio[0] << 16 | aleatorio[1] << 8 | aleatorio[2]) & 0x7fffff);
    Cert cert = novoCert(chave.get(), n.get(), ac.get(), chaveAc.get(), serial, false);

    r.chaveAcPem = pemChave(chaveAc.get());
    r.certificadoAcPem = pemCert(ac.get());
    r.chavePem = pemChave(chave.get());
    r.certificadoPem = pemCert(cert.get());
    r.emissao = carimboAsn1(X509_get0_notBefore(cert.get()));
    r.vencimento = carimboAsn1(X509_get0_notAfter(cert.get()));
    return r;
}

std::string assinarTexto(const std::string& chavePem, const std::string& texto)
{
    Chave k = lerChave(chavePem);
    std::unique_ptr<EVP_MD_CTX, Libera<EVP_MD_CTX, EVP_MD_CTX_free>> ctx(EVP_MD_CTX_new());
    size_t n = 0;
    if (EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, k.get()) != 1 ||
        EVP_DigestSign(ctx.get(), nullptr, &n, reinterpret_cast<const unsigned char*>(texto.data()), texto.size()) != 1)
        falhou("assinar");
    std::string sig(n, '\0');
    if (EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(sig.data()), &n,
                       reinterpret_cast<const unsigned char*>(texto.data()), texto.size()) != 1)
        falhou("assinar");
    sig.resize(n);
    return base64(sig);
}

bool verificarTexto(const std::string& certificadoPem, const std::string& texto, const std::string& assinaturaB64)
{
    try {
        Cert c = lerCert(certificadoPem);
        auto sig = deBase64(assinaturaB64);
        if (!sig) return false;
        EVP_PKEY* k = X509_get0_pubkey(c.get());
        std::unique_ptr<EVP_MD_CTX, Libera<EVP_MD_CTX, EVP_MD_CTX_free>> ctx(EVP_MD_CTX_new());
        return EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, k) == 1 &&
               EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(sig->data()), sig->size(),
                                reinterpret_cast<const unsigned char*>(texto.data()), texto.size()) == 1;
    } catch (...) {
        return false;
    }
}

void assinarXml(xmlDocPtr doc, xmlNodePtr alvo, const std::string& chavePem, const std::string& certificadoPem)
{
    iniciarXmlsec();
    xmlChar* id = xmlGetProp(alvo, BAD_CAST "Id");
    if (!id) throw std::runtime_error("documento sem Id");
    std::string uri = "#" + std::string(reinterpret_cast<char*>(id));
    xmlAttrPtr attr = xmlHasProp(alvo, BAD_CAST "Id");
    xmlAddID(nullptr, doc, id, attr);
    xmlFree(id);

    xmlNodePtr sig = xmlSecTmplSignatureCreate(doc, xmlSecTransformInclC14NId, xmlSecTransformRsaSha256Id, nullptr);
    if (!sig) falhou("modelo de assinatura");
    xmlAddChild(xmlDocGetRootElement(doc), sig);
    xmlNodePtr ref = xmlSecTmplSignatureAddReference(sig, xmlSecTransformSha256Id, nullptr,
                                                     BAD_CAST uri.c_str(), nullptr);
    if (!ref || !xmlSecTmplReferenceAddTransform(ref, xmlSecTransformEnvelopedId) ||
        !xmlSecTmplReferenceAddTransform(ref, xmlSecTransformInclC14NId))
        falhou("referencia");
    xmlNodePtr keyInfo = xmlSecTmplSignatureEnsureKeyInfo(sig, nullptr);
    xmlNodePtr x509 = keyInfo ? xmlSecTmplKeyInfoAddX509Data(keyInfo) : nullptr;
    if (!x509 || !xmlSecTmplX509DataAddCertificate(x509)) falhou("KeyInfo");

    std::unique_ptr<xmlSecDSigCtx, Libera<xmlSecDSigCtx, xmlSecDSigCtxDestroy>> ctx(xmlSecDSigCtxCreate(nullptr));
    if (!ctx) falhou("contexto de assinatura");
    ctx->signKey = xmlSecCryptoAppKeyLoadMemory(reinterpret_cast<const xmlSecByte*>(chavePem.data()),
                                                static_cast<xmlSecSize>(chavePem.size()), xmlSecKeyDataFormatPem,
                                                nullptr, nullptr, nullptr);
    if (!ctx->signKey) falhou("carregar chave");
    if (xmlSecCryptoAppKeyCertLoadMemory(ctx->signKey, reinterpret_cast<const xmlSecByte*>(certificadoPem.data()),
                                         static_cast<xmlSecSize>(certificadoPem.size()), xmlSecKeyDataFormatPem) < 0)
        falhou("carregar certificado");
    tErroXmlsec.clear();
    if (xmlSecDSigCtxSign(ctx.get(), sig) < 0) falhou(("assinar XML: " + campoSeguro(tErroXmlsec)).c_str());
}

}  // namespace satemu
