#include "engine/win32/cng_crypto.h"

#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <stdexcept>

#include "core/filled.h"
#include "engine/texts.h"

namespace dszip {

using zip::BlockCipher;
using zip::Mac;

namespace {

void Check(NTSTATUS status, const char* what) {
  if (status < 0) throw std::runtime_error(Filled(texts::CryptoFailed, {what}));
}

class CngCipher : public BlockCipher {
 public:
  CngCipher(BCRYPT_ALG_HANDLE algorithm, const uint8_t* key) {
    Check(BCryptGenerateSymmetricKey(algorithm, &key_, nullptr, 0, const_cast<PUCHAR>(key), 32, 0),
          texts::CryptoKey);
  }
  ~CngCipher() override { BCryptDestroyKey(key_); }
  CngCipher(const CngCipher&) = delete;
  CngCipher& operator=(const CngCipher&) = delete;
  void EncryptBlocks(uint8_t* data, size_t blocks) override {
    ULONG done = 0;
    const auto size = static_cast<ULONG>(blocks * 16);
    Check(BCryptEncrypt(key_, data, size, nullptr, nullptr, 0, data, size, &done, 0), "AES");
  }

 private:
  BCRYPT_KEY_HANDLE key_ = nullptr;
};

class CngMac : public Mac {
 public:
  CngMac(BCRYPT_ALG_HANDLE algorithm, const uint8_t* key, size_t size) {
    Check(BCryptCreateHash(algorithm, &hash_, nullptr, 0, const_cast<PUCHAR>(key),
                           static_cast<ULONG>(size), 0),
          "HMAC");
  }
  ~CngMac() override { BCryptDestroyHash(hash_); }
  CngMac(const CngMac&) = delete;
  CngMac& operator=(const CngMac&) = delete;
  void Update(const uint8_t* data, size_t size) override {
    Check(BCryptHashData(hash_, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0), "HMAC");
  }
  std::vector<uint8_t> Finish() override {
    std::vector<uint8_t> digest(20);
    Check(BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0), "HMAC");
    return digest;
  }

 private:
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

CngCrypto::CngCrypto() {
  BCRYPT_ALG_HANDLE aes = nullptr, hmac = nullptr;
  Check(BCryptOpenAlgorithmProvider(&aes, BCRYPT_AES_ALGORITHM, nullptr, 0), "AES");
  aes_ = aes;
  Check(BCryptSetProperty(aes, BCRYPT_CHAINING_MODE,
                          reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB)),
                          sizeof(BCRYPT_CHAIN_MODE_ECB), 0),
        "AES-ECB");
  Check(BCryptOpenAlgorithmProvider(&hmac, BCRYPT_SHA1_ALGORITHM, nullptr,
                                    BCRYPT_ALG_HANDLE_HMAC_FLAG),
        "SHA-1");
  hmac_ = hmac;
}

CngCrypto::~CngCrypto() {
  if (aes_) BCryptCloseAlgorithmProvider(aes_, 0);
  if (hmac_) BCryptCloseAlgorithmProvider(hmac_, 0);
}

void CngCrypto::Random(uint8_t* out, size_t size) {
  Check(BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG),
        texts::CryptoRandom);
}

std::vector<uint8_t> CngCrypto::Pbkdf2Sha1(const std::string& password, const uint8_t* salt,
                                           size_t saltSize, unsigned iterations, size_t size) {
  std::vector<uint8_t> key(size);
  Check(BCryptDeriveKeyPBKDF2(hmac_, reinterpret_cast<PUCHAR>(const_cast<char*>(password.data())),
                              static_cast<ULONG>(password.size()), const_cast<PUCHAR>(salt),
                              static_cast<ULONG>(saltSize), iterations, key.data(),
                              static_cast<ULONG>(size), 0),
        "PBKDF2");
  return key;
}

std::unique_ptr<BlockCipher> CngCrypto::Aes256(const uint8_t* key) {
  return std::make_unique<CngCipher>(aes_, key);
}

std::unique_ptr<Mac> CngCrypto::HmacSha1(const uint8_t* key, size_t size) {
  return std::make_unique<CngMac>(hmac_, key, size);
}

}  // namespace dszip
