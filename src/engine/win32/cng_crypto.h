#pragma once
#include "zip/crypto.h"

namespace dszip {

// The platform's own cryptography (CNG): no third-party library, and it runs under Wine.
class CngCrypto : public zip::Crypto {
 public:
  CngCrypto();
  ~CngCrypto() override;
  CngCrypto(const CngCrypto&) = delete;
  CngCrypto& operator=(const CngCrypto&) = delete;

  void Random(uint8_t* out, size_t size) override;
  std::vector<uint8_t> Pbkdf2Sha1(const std::string& password, const uint8_t* salt, size_t saltSize,
                                  unsigned iterations, size_t size) override;
  std::unique_ptr<zip::BlockCipher> Aes256(const uint8_t* key) override;
  std::unique_ptr<zip::Mac> HmacSha1(const uint8_t* key, size_t size) override;

 private:
  void* aes_ = nullptr;   // BCRYPT_ALG_HANDLE, ECB
  void* hmac_ = nullptr;  // BCRYPT_ALG_HANDLE, SHA-1 with the HMAC flag
};

}  // namespace dszip
