// The XML signature block of an authorised document, rendered from the stored values.

#include "cfe/CFe.h"
#include "cfe/Gerador.h"

namespace orv {

namespace {
constexpr const char* NS_XMLDSIG = "http://www.w3.org/2000/09/xmldsig#";
constexpr const char* ALG_C14N = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
constexpr const char* ALG_RSA_SHA1 = "http://www.w3.org/2000/09/xmldsig#rsa-sha1";
constexpr const char* ALG_ENVELOPED = "http://www.w3.org/2000/09/xmldsig#enveloped-signature";
constexpr const char* ALG_SHA1 = "http://www.w3.org/2000/09/xmldsig#sha1";
} // namespace

std::string TSignature::GerarXML() {
    TGerador& g = *fGerador;
    g.ArquivoFormatoXML.clear();
    g.ListaDeAlertas.clear();
    // An empty value keeps separate start and end tags inside the signature.
    g.Opcoes.TagVaziaNoFormatoResumido = false;
    g.Opcoes.NivelIdentacao = 0;

    // The levels are fixed by the block's shape, so each line states its own.
    auto linha = [&g](int nivel, const std::string& texto) {
        if (g.Opcoes.IdentarXML)
            g.wTexto(std::string(static_cast<std::size_t>(g.Opcoes.TamanhoIdentacao * nivel), ' ') +
                     texto + "\r\n");
        else
            g.wTexto(texto);
    };
    auto valor = [&g](int nivel, const char* id, const char* tag, const std::string& v) {
        g.Opcoes.NivelIdentacao = nivel;
        g.wCampo(tcStr, id, tag, 0, 999, 1, v, "", false);
    };
    auto vazio = [](const char* tag, const char* algoritmo) {
        return std::string("<") + tag + " Algorithm=\"" + algoritmo + "\"/>";
    };

    linha(0, std::string("<Signature xmlns=\"") + NS_XMLDSIG + "\">");
    linha(1, "<SignedInfo>");
    linha(2, vazio("CanonicalizationMethod", ALG_C14N));
    linha(2, vazio("SignatureMethod", ALG_RSA_SHA1));
    linha(2, "<Reference URI=\"" + URI + "\">");
    linha(3, "<Transforms>");
    linha(4, vazio("Transform", ALG_ENVELOPED));
    linha(4, vazio("Transform", ALG_C14N));
    linha(3, "</Transforms>");
    linha(3, vazio("DigestMethod", ALG_SHA1));
    valor(4, "XS17", "DigestValue", DigestValue);
    linha(2, "</Reference>");
    linha(1, "</SignedInfo>");
    valor(1, "XS18", "SignatureValue", SignatureValue);
    linha(1, "<KeyInfo>");
    linha(2, "<X509Data>");
    valor(3, "XS20", "X509Certificate", X509Certificate);
    linha(2, "</X509Data>");
    linha(1, "</KeyInfo>");
    linha(0, "</Signature>");
    g.Opcoes.NivelIdentacao = 0;
    return g.ArquivoFormatoXML;
}

} // namespace orv
