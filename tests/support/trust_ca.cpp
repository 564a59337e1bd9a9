// Adds a PEM certificate to the machine's trusted root store, the way an
// administrator installs a company CA; the HTTPS tests trust their own test
// CA with it inside their private Wine prefix.
//   trust_ca PATH
// Exit code 0 once the certificate is in the store, 1 when the file cannot
// be read or decoded, 2 when the store refuses it.
#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// The root store of the local machine, closed on scope exit.
class RootStore {
public:
    RootStore()
        : m_store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT")) {}
    RootStore(const RootStore&) = delete;
    RootStore& operator=(const RootStore&) = delete;
    ~RootStore() {
        if (m_store) CertCloseStore(m_store, 0);
    }
    bool Add(const std::string& der) const {
        return m_store && CertAddEncodedCertificateToStore(m_store, X509_ASN_ENCODING,
                                                           reinterpret_cast<const BYTE*>(der.data()),
                                                           static_cast<DWORD>(der.size()),
                                                           CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    }

private:
    HCERTSTORE m_store;
};

// The DER bytes of the first certificate in PEM text; empty when there is none.
std::string DerOf(const std::string& pem) {
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size,
                              nullptr, nullptr)) {
        return std::string();
    }
    std::string der(size, '\0');
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                              reinterpret_cast<BYTE*>(&der[0]), &size, nullptr, nullptr)) {
        return std::string();
    }
    der.resize(size);
    return der;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 1;
    std::ifstream file(argv[1], std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string der = DerOf(pem);
    if (der.empty()) return 1;
    return RootStore().Add(der) ? 0 : 2;
}
